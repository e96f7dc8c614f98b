#include "flash/movie/FontHost.h"

#include <algorithm>

#include <cmath>

namespace qb::movie {
namespace {
int32_t Unit(double v) { return static_cast<int32_t>(std::lround(std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0.0)); }
}  // namespace

void OutlinePen::Edge(bool curved, double cx, double cy, double x, double y) {
    swf::Edge e;
    e.X0 = Unit(x_), e.Y0 = Unit(y_), e.X1 = Unit(x), e.Y1 = Unit(y);
    e.CX = Unit(cx), e.CY = Unit(cy);
    e.Curved = curved;
    // The outlines wind the same way round their insides (holes the other
    // way), so the inside lies on one side of every edge.
    e.FillLeft = 1;
    if (e.X0 != e.X1 || e.Y0 != e.Y1 || curved) shape_.Edges.push_back(e);
    x_ = x, y_ = y;
}

void OutlinePen::MoveTo(double x, double y) {
    Close();
    x_ = startX_ = x, y_ = startY_ = y;
    open_ = true;
}

void OutlinePen::LineTo(double x, double y) { Edge(false, 0, 0, x, y); }

void OutlinePen::QuadTo(double cx, double cy, double x, double y) { Edge(true, cx, cy, x, y); }

void OutlinePen::CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    // Halve it (de Casteljau), then each half's best single control point.
    const double ax = (x_ + c1x) / 2, ay = (y_ + c1y) / 2, bx = (c1x + c2x) / 2, by = (c1y + c2y) / 2;
    const double cx = (c2x + x) / 2, cy = (c2y + y) / 2;
    const double abx = (ax + bx) / 2, aby = (ay + by) / 2, bcx = (bx + cx) / 2, bcy = (by + cy) / 2;
    const double mx = (abx + bcx) / 2, my = (aby + bcy) / 2;
    const double x0 = x_, y0 = y_;
    QuadTo((3 * (ax + abx) - x0 - mx) / 4, (3 * (ay + aby) - y0 - my) / 4, mx, my);
    QuadTo((3 * (bcx + cx) - mx - x) / 4, (3 * (bcy + cy) - my - y) / 4, x, y);
}

void OutlinePen::Close() {
    if (open_ && (Unit(x_) != Unit(startX_) || Unit(y_) != Unit(startY_))) LineTo(startX_, startY_);
    open_ = false;
}

swf::ShapeDef OutlinePen::Take() {
    Close();
    shape_.Fills.assign(1, swf::FillStyle{});
    return std::move(shape_);
}

const HostGlyph* HostGlyphCache::Find(const FontFace& face, char32_t c) {
    if (!host_) return nullptr;
    auto key = std::make_pair(face, c);
    auto it = glyphs_.find(key);
    if (it == glyphs_.end()) {
        if (glyphs_.size() >= kMaxGlyphs) glyphs_.clear();
        it = glyphs_.emplace(std::move(key), host_->Glyph(face, c)).first;
    }
    return it->second ? &*it->second : nullptr;
}

}  // namespace qb::movie
