#include "flash/render/Paint.h"

#include "flash/render/BitmapSpan.h"
#include "flash/render/Blend.h"
#include "flash/render/GradientSpan.h"

#include <algorithm>
#include <cmath>

namespace qb::render {
namespace {

uint32_t PremultipliedColor(swf::Rgba c) { return pixel::Premultiply(c.R, c.G, c.B, c.A); }

// std::lround for 0..255, without the library call that was most of the
// cost of building a gradient's table. Truncation and the exact remainder
// decide as lround does; NaN gives 0, the low byte of what lround returns.
uint8_t RoundByte(double x) {
    if (!(x >= 0.0)) return 0;
    if (x >= 255.0) return 255;
    const int whole = static_cast<int>(x);
    return static_cast<uint8_t>(whole + (x - whole >= 0.5 ? 1 : 0));
}

double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double FromLinear(double c) { return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055; }

void BuildLut(const swf::Gradient& g, const swf::ColorTransform& cx, std::array<uint32_t, 256>& lut, bool& opaque) {
    struct Stop { double ratio, r, g, b, a; };
    std::vector<Stop> stops;
    const bool linear = g.Interpolation == swf::InterpolationMode::LinearRgb;
    for (const auto& s : g.Stops) {
        const swf::Rgba c = cx.Apply(s.Color);
        auto ch = [linear](uint8_t v) { return linear ? ToLinear(v / 255.0) : v / 255.0; };
        stops.push_back({static_cast<double>(s.Ratio), ch(c.R), ch(c.G), ch(c.B), c.A / 255.0});
    }
    opaque = true;
    size_t k = 0;
    for (int i = 0; i < 256; ++i) {
        while (k + 1 < stops.size() && stops[k + 1].ratio < i) ++k;
        Stop c = stops[k];
        if (i > stops[k].ratio && k + 1 < stops.size()) {
            const Stop& a = stops[k];
            const Stop& b = stops[k + 1];
            const double t = b.ratio > a.ratio ? (i - a.ratio) / (b.ratio - a.ratio) : 1.0;
            c = {0, a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
        }
        auto out = [linear](double v) {
            v = std::clamp(v, 0.0, 1.0);
            return RoundByte((linear ? FromLinear(v) : v) * 255.0);
        };
        const uint8_t alpha = RoundByte(std::clamp(c.a, 0.0, 1.0) * 255.0);
        if (alpha != 255) opaque = false;
        lut[i] = pixel::Premultiply(out(c.r), out(c.g), out(c.b), alpha);
    }
}

}  // namespace

Paint Paint::Solid(swf::Rgba color, const swf::ColorTransform& cx) {
    Paint p;
    const swf::Rgba c = cx.Apply(color);
    p.color_ = PremultipliedColor(c);
    p.opaque_ = c.A == 255;
    return p;
}

Paint Paint::FromStyle(const swf::FillStyle& style, const swf::Matrix& toPixels, const swf::ColorTransform& cx,
                       const Image* bitmap, Quality quality) {
    using K = swf::FillKind;
    if (style.Kind == K::Solid) return Solid(style.Color, cx);
    Paint p;
    const swf::Matrix full = toPixels * style.Matrix;
    p.inverse_ = full.Inverse();
    p.cx_ = cx;
    if (style.Kind == K::Bitmap) {
        if (!bitmap || bitmap->Width <= 0 || bitmap->Height <= 0) return Solid({0, 0, 0, 0}, {});
        p.kind_ = Kind::Bitmap;
        p.bitmap_ = bitmap;
        p.repeat_ = style.Repeat;
        p.smooth_ = style.Smooth && quality == Quality::High;
        // Nothing shows through an opaque bitmap whose transform keeps it so.
        p.opaque_ = bitmap->Opaque && swf::ColorTransform::Channel(255, cx.AMul, cx.AAdd) == 255;
        return p;
    }
    // Gradients live in a square of 32768 twips centred on the origin; scale
    // it to -1..1 so the per-pixel work is a plain lookup.
    const double k = 1.0 / 16384.0;
    p.inverse_ = swf::Matrix{k, 0, 0, k, 0, 0} * p.inverse_;
    p.kind_ = style.Kind == K::Linear ? Kind::Linear : style.Kind == K::Radial ? Kind::Radial : Kind::Focal;
    p.spread_ = style.Gradient.Spread;
    p.focal_ = style.Gradient.Focal;
    BuildLut(style.Gradient, cx, p.lut_, p.opaque_);
    return p;
}

void Paint::Fill(int y, int x0, int x1, uint32_t* out) const {
    if (kind_ == Kind::Solid) {
        blend::Fill(out, color_, x1 - x0);
        return;
    }
    if (kind_ == Kind::Bitmap) {
        FillBitmap(y, x0, x1, out);
        return;
    }
    auto clampF = [](double v) { return static_cast<float>(std::clamp(v, -1e9, 1e9)); };
    const float gx = clampF(inverse_.A * (x0 + 0.5) + inverse_.C * (y + 0.5) + inverse_.Tx);
    const float gy = clampF(inverse_.B * (x0 + 0.5) + inverse_.D * (y + 0.5) + inverse_.Ty);
    const float sx = clampF(inverse_.A), sy = clampF(inverse_.B);
    const GradientShape shape = kind_ == Kind::Linear   ? GradientShape::Linear
                                : kind_ == Kind::Radial ? GradientShape::Radial
                                                        : GradientShape::Focal;
    // The focal point kept just inside the circle, where the ray always meets it.
    FillGradientSpan(shape, spread_, lut_.data(), gx, gy, sx, sy, static_cast<float>(focal_) * 0.999f, x1 - x0, out);
}

void Paint::FillBitmap(int y, int x0, int x1, uint32_t* out) const {
    double u = inverse_.A * (x0 + 0.5) + inverse_.C * (y + 0.5) + inverse_.Tx;
    double v = inverse_.B * (x0 + 0.5) + inverse_.D * (y + 0.5) + inverse_.Ty;
    // Smoothing blends around pixel centres, which sit half a pixel in.
    if (smooth_) u -= 0.5, v -= 0.5;
    const int n = x1 - x0;
    FillBitmapSpan(*bitmap_, repeat_, smooth_, u, v, inverse_.A, inverse_.B, n, out);
    if (cx_.IsIdentity()) return;
    for (int i = 0; i < n; ++i) {
        const uint32_t c = out[i];
        const uint32_t a = c >> 24;
        swf::Rgba s{0, 0, 0, static_cast<uint8_t>(a)};
        if (a) {
            s.R = static_cast<uint8_t>(std::min<uint32_t>(255, ((c >> 16) & 0xFF) * 255 / a));
            s.G = static_cast<uint8_t>(std::min<uint32_t>(255, ((c >> 8) & 0xFF) * 255 / a));
            s.B = static_cast<uint8_t>(std::min<uint32_t>(255, (c & 0xFF) * 255 / a));
        }
        s = cx_.Apply(s);
        out[i] = pixel::Premultiply(s.R, s.G, s.B, s.A);
    }
}

}  // namespace qb::render
