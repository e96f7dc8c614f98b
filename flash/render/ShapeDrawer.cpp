#include "flash/render/ShapeDrawer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qb::render {
namespace {

PixelRect Bounds(double x0, double y0, double x1, double y1) {
    auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, -1e8, 1e8)); };
    return {clampInt(std::floor(x0)), clampInt(std::floor(y0)), clampInt(std::ceil(x1)) + 1,
            clampInt(std::ceil(y1)) + 1};
}

}  // namespace

double ShapeDrawer::Tolerance() const {
    switch (quality_) {
        case Quality::Low: return 0.5;
        case Quality::Medium: return 0.3;
        default: return 0.15;
    }
}

PixelRect ShapeDrawer::DeviceBounds(const swf::ShapeDef& shape, const swf::Matrix& m) {
    double maxLine = 0;
    for (const auto& l : shape.Lines) maxLine = std::max<double>(maxLine, l.Width);
    const double pad = maxLine * 0.5;
    const swf::Rect& b = shape.Bounds;
    double xs[4], ys[4];
    m.Apply(b.XMin - pad, b.YMin - pad, xs[0], ys[0]);
    m.Apply(b.XMax + pad, b.YMin - pad, xs[1], ys[1]);
    m.Apply(b.XMin - pad, b.YMax + pad, xs[2], ys[2]);
    m.Apply(b.XMax + pad, b.YMax + pad, xs[3], ys[3]);
    const double x0 = std::min({xs[0], xs[1], xs[2], xs[3]}), x1 = std::max({xs[0], xs[1], xs[2], xs[3]});
    const double y0 = std::min({ys[0], ys[1], ys[2], ys[3]}), y1 = std::max({ys[0], ys[1], ys[2], ys[3]});
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) return {};
    return Bounds(x0 - 1, y0 - 1, x1 + 1, y1 + 1);  // a pixel more: hairlines stick out
}

PixelRect ShapeDrawer::OpaqueRect(const swf::ShapeDef& shape, const swf::Matrix& m,
                                  const swf::ColorTransform& cx) const {
    if (m.B != 0 || m.C != 0 || shape.Groups != 1) return {};
    // Only upright edges change coverage along a row. When the fill's are
    // straight, all of one style, and lie on two columns that each run
    // unbroken over the same rows with the fill on the side facing the
    // other, every row between is covered once from one column to the other.
    struct Side {
        int32_t X = 0;
        int Sign = 0;
        std::vector<std::pair<int32_t, int32_t>> Spans;
    };
    Side sides[2];
    int sideCount = 0;
    uint32_t fill = 0;
    for (const swf::Edge& e : shape.Edges) {
        if (e.FillLeft == e.FillRight) continue;
        if (e.Curved || (e.X0 != e.X1 && e.Y0 != e.Y1) || (e.FillLeft && e.FillRight)) return {};
        if (fill && fill != e.FillLeft + e.FillRight) return {};
        fill = e.FillLeft + e.FillRight;
        if (e.Y0 == e.Y1) continue;
        const int sign = (e.FillLeft ? 1 : -1) * (e.Y1 > e.Y0 ? 1 : -1);
        int k = 0;
        while (k < sideCount && sides[k].X != e.X0) ++k;
        if (k == sideCount) {
            if (sideCount == 2) return {};
            sides[sideCount++] = {e.X0, sign, {}};
        }
        if (sides[k].Sign != sign) return {};
        sides[k].Spans.push_back({std::min(e.Y0, e.Y1), std::max(e.Y0, e.Y1)});
    }
    if (sideCount != 2 || sides[0].Sign != -sides[1].Sign || !fill || fill > shape.Fills.size()) return {};
    for (Side& side : sides) {
        std::sort(side.Spans.begin(), side.Spans.end());
        for (size_t i = 1; i < side.Spans.size(); ++i)
            if (side.Spans[i].first != side.Spans[i - 1].second) return {};
    }
    const int32_t top = sides[0].Spans.front().first, bottom = sides[0].Spans.back().second;
    if (sides[1].Spans.front().first != top || sides[1].Spans.back().second != bottom) return {};
    if (!Paint::FromStyle(shape.Fills[fill - 1], m, cx, nullptr, quality_).Opaque()) return {};
    double ax, ay, bx, by;
    m.Apply(sides[0].X, top, ax, ay);
    m.Apply(sides[1].X, bottom, bx, by);
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return {};
    // Whole pixels only, and one more in from each side: the box's edge
    // pixels blend with what lies under them.
    auto in = [](double v) { return static_cast<int>(std::clamp(std::ceil(v) + 1, -1e8, 1e8)); };
    auto out = [](double v) { return static_cast<int>(std::clamp(std::floor(v) - 1, -1e8, 1e8)); };
    return PixelRect{in(std::min(ax, bx)), in(std::min(ay, by)), out(std::max(ax, bx)), out(std::max(ay, by))}
        .Intersect(DeviceBounds(shape, m));
}

void ShapeDrawer::Flatten(const swf::Edge& e, const swf::Matrix& m, std::vector<Point>& out) const {
    Point p0, p1;
    m.Apply(e.X0, e.Y0, p0.X, p0.Y);
    m.Apply(e.X1, e.Y1, p1.X, p1.Y);
    if (!e.Curved) {
        out.push_back(p1);
        return;
    }
    Point c;
    m.Apply(e.CX, e.CY, c.X, c.Y);
    // A quadratic's deviation from its chord is a quarter of |p0 - 2c + p1|;
    // n pieces cut it by n^2.
    const double dx = p0.X - 2 * c.X + p1.X, dy = p0.Y - 2 * c.Y + p1.Y;
    const double dev = std::sqrt(dx * dx + dy * dy) * 0.25;
    const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(dev / Tolerance()))), 1, 64);
    for (int i = 1; i < n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        out.push_back({u * u * p0.X + 2 * u * t * c.X + t * t * p1.X, u * u * p0.Y + 2 * u * t * c.Y + t * t * p1.Y});
    }
    out.push_back(p1);
}

void ShapeDrawer::AddFills(std::span<const swf::Edge> edges, const swf::Matrix& m) {
    for (const swf::Edge& e : edges) {
        if (e.FillLeft == e.FillRight) continue;
        Point start;
        m.Apply(e.X0, e.Y0, start.X, start.Y);
        points_.clear();
        Flatten(e, m, points_);
        for (const Point& p : points_) {
            raster_.Line(start.X, start.Y, p.X, p.Y, e.FillLeft, e.FillRight);
            start = p;
        }
        work_ += points_.size();
    }
}

void ShapeDrawer::AddStrokes(std::span<const swf::Edge* const> edges, const swf::Matrix& m, double halfWidth) {
    Stroker& stroker = stroker_;
    stroker.Reset(1, halfWidth, Tolerance());
    polyline_.clear();
    const swf::Edge* prev = nullptr;
    auto flush = [&] {
        if (polyline_.size() > 1) stroker.Stroke(polyline_, polyline_.front() == polyline_.back());
        work_ += polyline_.size() * 4;
        polyline_.clear();
    };
    for (const swf::Edge* e : edges) {
        if (!prev || prev->X1 != e->X0 || prev->Y1 != e->Y0) {
            flush();
            Point start;
            m.Apply(e->X0, e->Y0, start.X, start.Y);
            polyline_.push_back(start);
        }
        Flatten(*e, m, polyline_);
        prev = e;
    }
    flush();
}

void ShapeDrawer::Draw(const swf::ShapeDef& shape, const swf::Matrix& m, const swf::ColorTransform& cx, Image& target,
                       const PixelRect& clipIn, const Mask* mask) {
    PixelRect clip = clipIn.Intersect(DeviceBounds(shape, m)).Intersect({0, 0, target.Width, target.Height});
    if (mask) clip = clip.Intersect(mask->Bounds);
    if (clip.Empty() || shape.Edges.empty()) return;
    const bool aa = quality_ != Quality::Low;
    const auto rule = shape.NonZero ? FillRule::NonZero : FillRule::EvenOdd;

    paints_.resize(shape.Fills.size() + 1);
    for (size_t i = 0; i < shape.Fills.size(); ++i) {
        const auto& f = shape.Fills[i];
        const Image* bmp = f.Kind == swf::FillKind::Bitmap && bitmaps_ ? bitmaps_(f.BitmapId) : nullptr;
        paints_[i + 1] = Paint::FromStyle(f, m, cx, bmp, quality_);
    }
    const std::span<const swf::Edge> all(shape.Edges);
    // Edges come grouped: a later group's styles draw over an earlier one's.
    for (size_t begin = 0; begin < all.size() && work_ <= limit_;) {
        size_t end = begin + 1;
        while (end < all.size() && all[end].Group == all[begin].Group) ++end;
        const auto group = all.subspan(begin, end - begin);
        begin = end;

        raster_.Begin(clip, static_cast<uint32_t>(paints_.size()));
        AddFills(group, m);
        if (raster_.CellCount() > 0) {
            Compositor out(target, paints_, mask, scratch_);
            raster_.Sweep(rule, aa, out);
            work_ += raster_.CellCount();
        }

        // Then the group's strokes, a pass per line style, each at least a
        // pixel wide.
        stroked_.clear();
        for (const swf::Edge& e : group)
            if (e.Line && e.Line <= shape.Lines.size()) stroked_.push_back(&e);
        std::stable_sort(stroked_.begin(), stroked_.end(),
                         [](const swf::Edge* a, const swf::Edge* b) { return a->Line < b->Line; });
        for (size_t s = 0; s < stroked_.size() && work_ <= limit_;) {
            size_t t = s + 1;
            while (t < stroked_.size() && stroked_[t]->Line == stroked_[s]->Line) ++t;
            const auto& style = shape.Lines[stroked_[s]->Line - 1];
            const double width = std::max(1.0, style.Width * m.MeanScale());
            const Image* bmp = style.Fill.Kind == swf::FillKind::Bitmap && bitmaps_
                                   ? bitmaps_(style.Fill.BitmapId)
                                   : nullptr;
            linePaints_.resize(2);
            linePaints_[1] = Paint::FromStyle(style.Fill, m, cx, bmp, quality_);
            raster_.Begin(clip, 2);
            AddStrokes(std::span<const swf::Edge* const>(stroked_).subspan(s, t - s), m, width * 0.5);
            Compositor out(target, linePaints_, mask, scratch_);
            raster_.Sweep(FillRule::NonZero, aa, out);
            work_ += raster_.CellCount();
            s = t;
        }
    }
}

void ShapeDrawer::DrawMask(const swf::ShapeDef& shape, const swf::Matrix& m, Mask& mask, const PixelRect& clipIn) {
    const PixelRect clip = clipIn.Intersect(DeviceBounds(shape, m)).Intersect(mask.Bounds);
    if (clip.Empty()) return;
    const auto rule = shape.NonZero ? FillRule::NonZero : FillRule::EvenOdd;
    const std::span<const swf::Edge> all(shape.Edges);
    for (size_t begin = 0; begin < all.size() && work_ <= limit_;) {
        size_t end = begin + 1;
        while (end < all.size() && all[end].Group == all[begin].Group) ++end;
        raster_.Begin(clip, static_cast<uint32_t>(shape.Fills.size() + 1));
        AddFills(all.subspan(begin, end - begin), m);
        MaskWriter out(mask);
        raster_.Sweep(rule, quality_ != Quality::Low, out);
        work_ += raster_.CellCount();
        begin = end;
    }
}

size_t ShapeDrawer::GlyphKeyHash::operator()(const GlyphKey& k) const {
    // Outlines sit a fixed stride apart and sizes repeat: mix every bit.
    auto mix = [](uint64_t x) {
        x ^= x >> 33, x *= 0xff51afd7ed558ccdULL, x ^= x >> 33, x *= 0xc4ceb9fe1a85ec53ULL;
        return x ^ (x >> 33);
    };
    uint64_t a, d;
    std::memcpy(&a, &k.A, sizeof a);
    std::memcpy(&d, &k.D, sizeof d);
    const uint64_t h = mix(reinterpret_cast<uintptr_t>(k.Outline) ^ mix(a ^ mix(d ^ static_cast<uint64_t>(k.PhaseX * kGlyphPhases + k.PhaseY))));
    return static_cast<size_t>(h);
}

void ShapeDrawer::ForgetGlyphs() {
    glyphs_.clear();
    keptCovers_ = 0;
}

const GlyphCoverage& ShapeDrawer::Coverage(const GlyphKey& key) {
    if (auto it = glyphs_.find(key); it != glyphs_.end()) return it->second;
    if (keptCovers_ > kMaxKeptCovers) ForgetGlyphs();
    GlyphCoverage cov;
    const swf::Matrix m{key.A, 0, 0, key.D, static_cast<double>(key.PhaseX) / kGlyphPhases,
                        static_cast<double>(key.PhaseY) / kGlyphPhases};
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint32_t styles = 1;
    bool first = true;
    auto grow = [&](int32_t px, int32_t py) {
        double x, y;
        m.Apply(px, py, x, y);
        if (first) x0 = x1 = x, y0 = y1 = y, first = false;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    };
    for (const swf::Edge& e : key.Outline->Edges) {
        grow(e.X0, e.Y0);
        grow(e.X1, e.Y1);
        if (e.Curved) grow(e.CX, e.CY);
        styles = std::max({styles, e.FillLeft, e.FillRight});
    }
    if (!first) {
        const PixelRect box = Bounds(x0 - 1, y0 - 1, x1 + 1, y1 + 1);
        // Rasterized with the box's corner at the origin: the rasterizer
        // works on canvas pixels, which never go below zero.
        cov.Box = {0, 0, box.X1 - box.X0, box.Y1 - box.Y0};
        cov.Covers.assign(static_cast<size_t>(cov.Box.X1) * static_cast<size_t>(cov.Box.Y1), 0);
        raster_.Begin(cov.Box, styles + 1);
        AddFills(key.Outline->Edges, swf::Matrix{1, 0, 0, 1, -static_cast<double>(box.X0), -static_cast<double>(box.Y0)} * m);
        CoverageSink sink(cov);
        raster_.Sweep(FillRule::EvenOdd, quality_ != Quality::Low, sink);
        work_ += raster_.CellCount();
        cov.Box = box;
        cov.FindSpans();
    }
    keptCovers_ += cov.Covers.size() + 16;
    return glyphs_.emplace(key, std::move(cov)).first->second;
}

bool ShapeDrawer::GlyphsFit(std::span<const PlacedGlyph> glyphs, const swf::Matrix& m) {
    for (const PlacedGlyph& g : glyphs) {
        const swf::Matrix p = m * g.Place;
        if (p.B != 0 || p.C != 0 || !std::isfinite(p.A) || !std::isfinite(p.D) ||
            g.Size * std::max(std::fabs(p.A), std::fabs(p.D)) > kMaxGlyphPixels)
            return false;
    }
    return true;
}

void ShapeDrawer::DrawGlyphs(std::span<const PlacedGlyph> glyphs, const std::vector<swf::FillStyle>& fills,
                             const swf::Matrix& m, const swf::ColorTransform& cx, Image& target,
                             const PixelRect& clipIn, const Mask* mask) {
    PixelRect clip = clipIn.Intersect({0, 0, target.Width, target.Height});
    if (mask) clip = clip.Intersect(mask->Bounds);
    if (clip.Empty()) return;
    paints_.resize(fills.size() + 1);
    for (size_t i = 0; i < fills.size(); ++i) paints_[i + 1] = Paint::FromStyle(fills[i], m, cx, nullptr, quality_);
    Compositor out(target, paints_, mask, scratch_);
    for (const PlacedGlyph& g : glyphs) {
        if (work_ > limit_) break;
        if (!g.Outline || g.Style == 0 || g.Style >= paints_.size()) continue;
        const swf::Matrix p = m * g.Place;
        if (!std::isfinite(p.Tx) || !std::isfinite(p.Ty)) continue;
        // The origin to the nearest step: whole pixels and a phase.
        const double sx = std::round(std::clamp(p.Tx, -1e8, 1e8) * kGlyphPhases);
        const double sy = std::round(std::clamp(p.Ty, -1e8, 1e8) * kGlyphPhases);
        const double ox = std::floor(sx / kGlyphPhases), oy = std::floor(sy / kGlyphPhases);
        const GlyphKey key{g.Outline, p.A, p.D, static_cast<int>(sx - ox * kGlyphPhases),
                           static_cast<int>(sy - oy * kGlyphPhases)};
        const GlyphCoverage& cov = Coverage(key);
        const int ix = static_cast<int>(ox), iy = static_cast<int>(oy);
        const int w = cov.Box.X1 - cov.Box.X0, x0 = ix + cov.Box.X0;
        const int top = std::max(clip.Y0, iy + cov.Box.Y0), bottom = std::min(clip.Y1, iy + cov.Box.Y1);
        for (int y = top; y < bottom; ++y) {
            const size_t r = static_cast<size_t>(y - iy - cov.Box.Y0);
            const int left = std::max(clip.X0, x0 + cov.Spans[r].first), right = std::min(clip.X1, x0 + cov.Spans[r].second);
            if (left >= right) continue;
            out.Run(y, left, g.Style, cov.Covers.data() + r * static_cast<size_t>(w) + (left - x0), right - left);
            work_ += static_cast<size_t>(right - left) / 16 + 1;
        }
    }
}

}  // namespace qb::render
