#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qb::render {

// 32-bit pixels, premultiplied alpha, stored as 0xAARRGGBB words (bytes
// B, G, R, A in memory: what a Windows DIB section expects).
struct Image {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    // Every alpha is 255 (kept by whoever fills the pixels: drawing such an
    // image hides what lies under it).
    bool Opaque = false;

    void Resize(int w, int h) {
        Width = w, Height = h;
        Opaque = false;
        Pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    }
    uint32_t* Row(int y) { return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
    const uint32_t* Row(int y) const { return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
};

enum class Quality : uint8_t { Low, Medium, High };

namespace pixel {

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// Straight colour to premultiplied.
inline uint32_t Premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
    return Pack(a, m(r), m(g), m(b));
}

// All four channels times f/256 (f in 0..256).
inline uint32_t Scale(uint32_t c, uint32_t f) {
    const uint32_t rb = ((c & 0x00FF00FFu) * f >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((c >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

// Source over destination, both premultiplied.
inline uint32_t Over(uint32_t src, uint32_t dst) {
    const uint32_t a = src >> 24;
    return src + Scale(dst, 256 - (a + (a >> 7)));
}

// An opaque colour over destination with cover f/256 (f in 0..256): each
// channel weighed between the two, one rounding instead of two.
inline uint32_t Mix(uint32_t color, uint32_t dst, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = (((dst & 0x00FF00FFu) * g + (color & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((dst >> 8) & 0x00FF00FFu) * g + ((color >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

}  // namespace pixel
}  // namespace qb::render
