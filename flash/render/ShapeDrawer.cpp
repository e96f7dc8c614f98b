#include "flash/render/ShapeDrawer.h"

#include <algorithm>
#include <cmath>

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

}  // namespace qb::render
