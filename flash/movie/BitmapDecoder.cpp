#include "flash/movie/BitmapDecoder.h"

#include "flash/swf/MovieFile.h"
#include "flash/swf/Reader.h"

#include <zlib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace qb::movie {
namespace {

constexpr int kMaxSide = 8192;

bool StartsWith(std::span<const uint8_t> data, std::initializer_list<uint8_t> head) {
    return data.size() >= head.size() && std::equal(head.begin(), head.end(), data.begin());
}

// Since version 8 the JPEG tags may carry a PNG or GIF file instead; only a
// JPEG gets the marker repair and the separate alpha plane.
bool IsJpeg(std::span<const uint8_t> data) {
    return !StartsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}) && !StartsWith(data, {'G', 'I', 'F', '8'});
}

// Old authoring tools wrote an end-of-image plus start-of-image pair inside
// the data (and the shared tables end with one, and some data starts with
// one); the pairs are dropped so the decoder sees one stream with one start.
std::vector<uint8_t> JoinJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
    std::vector<uint8_t> all(tables.begin(), tables.end());
    all.insert(all.end(), data.begin(), data.end());
    std::vector<uint8_t> out;
    out.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (i + 3 < all.size() && all[i] == 0xFF && all[i + 1] == 0xD9 && all[i + 2] == 0xFF && all[i + 3] == 0xD8) {
            i += 3;
            continue;
        }
        out.push_back(all[i]);
    }
    if (!StartsWith(out, {0xFF, 0xD8})) out.insert(out.begin(), {0xFF, 0xD8});
    return out;
}

std::shared_ptr<render::Image> Decode(std::span<const uint8_t> bytes, size_t maxPixels) {
    int w = 0, h = 0, comp = 0;
    const int len = static_cast<int>(std::min<size_t>(bytes.size(), INT32_MAX));
    if (!stbi_info_from_memory(bytes.data(), len, &w, &h, &comp)) return nullptr;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || size_t(w) * size_t(h) > maxPixels) return nullptr;
    struct Free { void operator()(stbi_uc* p) const { stbi_image_free(p); } };
    std::unique_ptr<stbi_uc, Free> px(stbi_load_from_memory(bytes.data(), len, &w, &h, &comp, 4));
    if (!px) return nullptr;
    auto img = std::make_shared<render::Image>();
    img->Resize(w, h);
    const stbi_uc* p = px.get();
    for (size_t i = 0; i < img->Pixels.size(); ++i, p += 4)
        img->Pixels[i] = render::pixel::Premultiply(p[0], p[1], p[2], p[3]);
    return img;
}

std::vector<uint8_t> Inflate(std::span<const uint8_t> packed, size_t expected) {
    std::vector<uint8_t> out(expected);
    uLongf size = static_cast<uLongf>(expected);
    const int rc = uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size()));
    if (rc != Z_OK && rc != Z_BUF_ERROR) return {};
    if (size < expected) return {};
    return out;
}

std::shared_ptr<render::Image> Lossless(std::span<const uint8_t> body, bool withAlpha, size_t maxPixels) {
    swf::Reader r(body);
    const uint8_t format = r.U8();
    const int w = r.U16(), h = r.U16();
    if (w == 0 || h == 0 || size_t(w) * size_t(h) > maxPixels) return nullptr;
    auto img = std::make_shared<render::Image>();
    img->Resize(w, h);
    if (format == 3) {
        const size_t colors = size_t{r.U8()} + 1;
        const size_t entry = withAlpha ? 4 : 3;
        const size_t stride = (size_t(w) + 3) & ~size_t{3};
        const auto data = Inflate(r.Rest(), colors * entry + stride * h);
        if (data.empty()) return nullptr;
        std::vector<uint32_t> palette(256, 0);
        for (size_t i = 0; i < colors; ++i) {
            const uint8_t* c = &data[i * entry];
            palette[i] = render::pixel::Premultiply(c[0], c[1], c[2], withAlpha ? c[3] : 255);
            if (withAlpha) palette[i] = render::pixel::Pack(c[3], c[0], c[1], c[2]);  // stored premultiplied
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img->Row(y)[x] = palette[data[colors * entry + y * stride + x]];
    } else if (format == 4 && !withAlpha) {
        const size_t stride = (size_t(w) * 2 + 3) & ~size_t{3};
        const auto data = Inflate(r.Rest(), stride * h);
        if (data.empty()) return nullptr;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint16_t v = static_cast<uint16_t>(data[y * stride + x * 2] << 8 | data[y * stride + x * 2 + 1]);
                auto c5 = [](uint32_t c) { return (c << 3) | (c >> 2); };
                img->Row(y)[x] = render::pixel::Pack(255, c5(v >> 10 & 31), c5(v >> 5 & 31), c5(v & 31));
            }
    } else if (format == 5) {
        const auto data = Inflate(r.Rest(), size_t(w) * h * 4);
        if (data.empty()) return nullptr;
        for (size_t i = 0; i < img->Pixels.size(); ++i) {
            const uint8_t* c = &data[i * 4];
            const uint8_t a = withAlpha ? c[0] : 255;
            // With alpha the colours are stored premultiplied already.
            img->Pixels[i] = render::pixel::Pack(a, std::min(c[1], a), std::min(c[2], a), std::min(c[3], a));
        }
    } else {
        return nullptr;
    }
    return img;
}


std::shared_ptr<render::Image> DecodeAny(uint16_t tagCode, std::span<const uint8_t> body,
                                         std::span<const uint8_t> jpegTables, size_t maxPixels) {
    switch (tagCode) {
        case swf::tags::DefineBits:
            return Decode(JoinJpeg(jpegTables, body), maxPixels);
        case swf::tags::DefineBitsJpeg2:
            return IsJpeg(body) ? Decode(JoinJpeg({}, body), maxPixels) : Decode(body, maxPixels);
        case swf::tags::DefineBitsJpeg3:
        case swf::tags::DefineBitsJpeg4: {
            swf::Reader r(body);
            const uint32_t alphaAt = r.U32();
            // The deblocking strength of the newer form is not applied: the
            // decoder's own smoothing of block edges is close enough.
            if (tagCode == swf::tags::DefineBitsJpeg4) r.U16();
            if (r.Overrun() || alphaAt > r.Remaining()) return nullptr;
            const auto data = r.Take(alphaAt);
            if (!IsJpeg(data)) return Decode(data, maxPixels);  // PNG and GIF carry their own alpha
            auto img = Decode(JoinJpeg({}, data), maxPixels);
            if (!img) return nullptr;
            // A missing or damaged alpha plane leaves the picture opaque.
            const auto alpha = Inflate(r.Rest(), img->Pixels.size());
            for (size_t i = 0; i < alpha.size(); ++i)
                img->Pixels[i] = render::pixel::Scale(img->Pixels[i] | 0xFF000000u, alpha[i] + (alpha[i] >> 7));
            return img;
        }
        case swf::tags::DefineBitsLossless:
            return Lossless(body, false, maxPixels);
        case swf::tags::DefineBitsLossless2:
            return Lossless(body, true, maxPixels);
        default:
            return nullptr;
    }
}

}  // namespace

std::shared_ptr<render::Image> DecodeBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                            std::span<const uint8_t> jpegTables, size_t maxPixels) {
    auto img = DecodeAny(tagCode, body, jpegTables, maxPixels);
    if (img)
        img->Opaque = std::all_of(img->Pixels.begin(), img->Pixels.end(), [](uint32_t c) { return c >> 24 == 255; });
    return img;
}

}  // namespace qb::movie
