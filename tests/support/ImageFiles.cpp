#include "tests/support/ImageFiles.h"


#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <stdexcept>

namespace qb::test {
namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

std::vector<uint8_t> Channels(const std::vector<uint32_t>& rgba, int n) {
    std::vector<uint8_t> out;
    for (uint32_t c : rgba)
        for (int k = 0; k < n; ++k) out.push_back(static_cast<uint8_t>(c >> (24 - 8 * k)));
    return out;
}

}  // namespace

Bytes EncodeJpeg(int w, int h, const std::vector<uint32_t>& rgba, int quality) {
    Bytes out;
    const auto rgb = Channels(rgba, 3);
    if (!stbi_write_jpg_to_func(Append, &out, w, h, 3, rgb.data(), quality)) throw std::runtime_error("jpeg");
    return out;
}

Bytes EncodePng(int w, int h, const std::vector<uint32_t>& rgba) {
    Bytes out;
    const auto px = Channels(rgba, 4);
    if (!stbi_write_png_to_func(Append, &out, w, h, 4, px.data(), w * 4)) throw std::runtime_error("png");
    return out;
}

Bytes EncodeGif(int w, int h, const std::vector<uint32_t>& rgba) {
    std::vector<uint32_t> palette{0};  // index 0: transparent
    std::vector<uint8_t> index;
    for (uint32_t c : rgba) {
        if ((c & 0xFF) < 128) {
            index.push_back(0);
            continue;
        }
        auto it = std::find(palette.begin() + 1, palette.end(), c | 0xFF);
        if (it == palette.end()) {
            if (palette.size() == 256) throw std::runtime_error("gif: too many colours");
            it = palette.insert(palette.end(), c | 0xFF);
        }
        index.push_back(static_cast<uint8_t>(it - palette.begin()));
    }
    ByteWriter g;
    g.Append(Bytes{'G', 'I', 'F', '8', '9', 'a'}).U16(static_cast<uint16_t>(w)).U16(static_cast<uint16_t>(h));
    g.U8(0xF7).U8(0).U8(0);  // a 256-entry global colour table
    for (size_t i = 0; i < 256; ++i) g.Rgb(i < palette.size() ? palette[i] >> 8 : 0);
    g.U8(0x21).U8(0xF9).U8(4).U8(0x01).U16(0).U8(0).U8(0);  // index 0 is transparent
    g.U8(0x2C).U16(0).U16(0).U16(static_cast<uint16_t>(w)).U16(static_cast<uint16_t>(h)).U8(0);
    // Codes of 9 bits with a clear code before every pixel: the code table
    // never grows, so no compression is needed to stay a valid stream.
    g.U8(8);
    Bytes lzw;
    uint32_t bits = 0;
    int count = 0;
    auto code = [&](uint32_t c) {
        bits |= c << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8) lzw.push_back(static_cast<uint8_t>(bits));
    };
    for (uint8_t i : index) code(256), code(i);
    code(257);
    if (count > 0) lzw.push_back(static_cast<uint8_t>(bits));
    for (size_t at = 0; at < lzw.size(); at += 255) {
        const size_t n = std::min<size_t>(255, lzw.size() - at);
        g.U8(static_cast<uint8_t>(n)).Append(std::span<const uint8_t>(lzw).subspan(at, n));
    }
    g.U8(0).U8(0x3B);
    return g.Take();
}

}  // namespace qb::test
