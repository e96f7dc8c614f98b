#pragma once
#include "flash/render/Image.h"
#include "flash/swf/Shape.h"

#include <array>
#include <cstdint>

namespace qb::render {

// What fills the pixels of one style during one draw: a colour, a gradient
// or a bitmap, with the object's colour transform and the map from pixels
// back to the style's own space already applied.
class Paint {
public:
    Paint() = default;
    static Paint Solid(swf::Rgba color, const swf::ColorTransform& cx);
    // `toPixels` maps shape twips to pixels; `bitmap` may be null (a missing
    // bitmap paints nothing).
    static Paint FromStyle(const swf::FillStyle& style, const swf::Matrix& toPixels, const swf::ColorTransform& cx,
                           const Image* bitmap, Quality quality);

    bool IsSolid() const { return kind_ == Kind::Solid; }
    uint32_t Color() const { return color_; }
    bool Opaque() const { return opaque_; }
    // Pixels x0..x1-1 of row y, premultiplied.
    void Fill(int y, int x0, int x1, uint32_t* out) const;

private:
    enum class Kind : uint8_t { Solid, Linear, Radial, Focal, Bitmap };
    void FillBitmap(int y, int x0, int x1, uint32_t* out) const;

    Kind kind_ = Kind::Solid;
    uint32_t color_ = 0;
    bool opaque_ = false;
    swf::Matrix inverse_;  // pixels to style space
    swf::SpreadMode spread_ = swf::SpreadMode::Pad;
    double focal_ = 0;
    std::array<uint32_t, 256> lut_{};
    const Image* bitmap_ = nullptr;
    bool repeat_ = true, smooth_ = false;
    swf::ColorTransform cx_;
};

}  // namespace qb::render
