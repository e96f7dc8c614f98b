#include "flash/render/Png.h"

#include "platform/File.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image_write.h>
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_FAILURE_STRINGS
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <vector>

namespace qb::render {

bool WritePng(const Image& image, const std::string& path) {
    std::vector<uint8_t> rgba(image.Pixels.size() * 4);
    for (size_t i = 0; i < image.Pixels.size(); ++i) {
        const uint32_t c = image.Pixels[i];
        const uint32_t a = c >> 24;
        auto un = [a](uint32_t v) { return static_cast<uint8_t>(a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0); };
        rgba[i * 4] = un((c >> 16) & 0xFF);
        rgba[i * 4 + 1] = un((c >> 8) & 0xFF);
        rgba[i * 4 + 2] = un(c & 0xFF);
        rgba[i * 4 + 3] = static_cast<uint8_t>(a);
    }
    std::vector<uint8_t> out;
    auto sink = [](void* ctx, void* data, int size) {
        auto* v = static_cast<std::vector<uint8_t>*>(ctx);
        v->insert(v->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    };
    if (!stbi_write_png_to_func(sink, &out, image.Width, image.Height, 4, rgba.data(), image.Width * 4)) return false;
    return WriteWholeFile(path, out);
}

std::optional<Image> ReadPng(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return std::nullopt;
    int w = 0, h = 0, comp = 0;
    stbi_uc* px = stbi_load_from_memory(bytes->data(), static_cast<int>(bytes->size()), &w, &h, &comp, 4);
    if (!px) return std::nullopt;
    Image img;
    img.Resize(w, h);
    for (size_t i = 0; i < img.Pixels.size(); ++i)
        img.Pixels[i] = pixel::Premultiply(px[i * 4], px[i * 4 + 1], px[i * 4 + 2], px[i * 4 + 3]);
    stbi_image_free(px);
    return img;
}

}  // namespace qb::render
