#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Plain value types of the movie format. Coordinates in a movie are twips
// (1/20 pixel); they stay integers until the renderer maps them to pixels.
namespace qb::swf {

using Twips = int32_t;
inline constexpr double kTwipsPerPixel = 20.0;

struct Rect {
    Twips XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    Twips Width() const { return XMax - XMin; }
    Twips Height() const { return YMax - YMin; }
    bool operator==(const Rect&) const = default;
};

// Straight (not premultiplied) colour with alpha.
struct Rgba {
    uint8_t R = 0, G = 0, B = 0, A = 255;
    bool operator==(const Rgba&) const = default;
};

// The affine map of a placed object: x' = A*x + C*y + Tx, y' = B*x + D*y + Ty.
struct Matrix {
    double A = 1, B = 0, C = 0, D = 1;
    double Tx = 0, Ty = 0;

    bool operator==(const Matrix&) const = default;

    // this after other: first `other`, then `this`.
    Matrix operator*(const Matrix& o) const {
        return {A * o.A + C * o.B, B * o.A + D * o.B, A * o.C + C * o.D, B * o.C + D * o.D,
                A * o.Tx + C * o.Ty + Tx, B * o.Tx + D * o.Ty + Ty};
    }
    void Apply(double x, double y, double& ox, double& oy) const {
        ox = A * x + C * y + Tx;
        oy = B * x + D * y + Ty;
    }
    double Determinant() const { return A * D - B * C; }
    // The inverse, or a matrix that maps everything to the origin when this
    // one is singular (a zero-scaled object then paints one colour).
    Matrix Inverse() const {
        const double det = Determinant();
        if (!std::isfinite(det) || std::fabs(det) < 1e-12) return {0, 0, 0, 0, 0, 0};
        const double ia = D / det, ib = -B / det, ic = -C / det, id = A / det;
        return {ia, ib, ic, id, -(ia * Tx + ic * Ty), -(ib * Tx + id * Ty)};
    }
    // How much the map stretches lengths on average (for line widths).
    double MeanScale() const { return std::sqrt(std::fabs(Determinant())); }
};

// Colour transform: channel' = channel * Mul / 256 + Add, clamped to 0..255.
struct ColorTransform {
    int32_t RMul = 256, GMul = 256, BMul = 256, AMul = 256;
    int32_t RAdd = 0, GAdd = 0, BAdd = 0, AAdd = 0;

    bool operator==(const ColorTransform&) const = default;
    bool IsIdentity() const { return *this == ColorTransform{}; }

    static uint8_t Channel(int32_t v, int32_t mul, int32_t add) {
        return static_cast<uint8_t>(std::clamp((v * mul >> 8) + add, 0, 255));
    }
    Rgba Apply(Rgba c) const {
        return {Channel(c.R, RMul, RAdd), Channel(c.G, GMul, GAdd), Channel(c.B, BMul, BAdd),
                Channel(c.A, AMul, AAdd)};
    }
    // this after other (a parent's transform over its child's).
    ColorTransform operator*(const ColorTransform& o) const {
        auto mul = [](int32_t a, int32_t b) { return std::clamp<int64_t>(int64_t{a} * b >> 8, -65536, 65536); };
        auto add = [](int32_t m, int32_t oAdd, int32_t a) {
            return static_cast<int32_t>(std::clamp<int64_t>((int64_t{oAdd} * m >> 8) + a, -65536, 65536));
        };
        return {static_cast<int32_t>(mul(RMul, o.RMul)), static_cast<int32_t>(mul(GMul, o.GMul)),
                static_cast<int32_t>(mul(BMul, o.BMul)), static_cast<int32_t>(mul(AMul, o.AMul)),
                add(RMul, o.RAdd, RAdd), add(GMul, o.GAdd, GAdd), add(BMul, o.BAdd, BAdd), add(AMul, o.AAdd, AAdd)};
    }
};

}  // namespace qb::swf
