#include "flash/movie/GlyphShape.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qb::movie {

uint32_t GlyphShape::Style(swf::Rgba c) {
    const uint32_t key = uint32_t{c.R} << 24 | c.G << 16 | c.B << 8 | c.A;
    auto [it, added] = styleOf_.emplace(key, static_cast<uint32_t>(shape_.Fills.size() + 1));
    if (added) {
        swf::FillStyle f;
        f.Color = c;
        shape_.Fills.push_back(f);
    }
    return it->second;
}

void GlyphShape::Add(const swf::ShapeDef& glyph, const swf::Matrix& m, uint32_t style, uint16_t group, bool kept) {
    if (shape_.Edges.size() + glyph.Edges.size() > kMaxEdges) return;
    if (glyph.Edges.empty()) return;
    allKept_ = allKept_ && kept;
    double size = 0;
    auto put = [&](int32_t& x, int32_t& y) {
        double tx, ty;
        m.Apply(x, y, tx, ty);
        x = static_cast<int32_t>(std::lround(std::clamp(tx, -1e9, 1e9)));
        y = static_cast<int32_t>(std::lround(std::clamp(ty, -1e9, 1e9)));
    };
    for (swf::Edge e : glyph.Edges) {
        for (int32_t v : {e.X0, e.Y0, e.X1, e.Y1, e.CX, e.CY}) size = std::max(size, std::fabs(static_cast<double>(v)));
        put(e.X0, e.Y0);
        put(e.X1, e.Y1);
        put(e.CX, e.CY);
        e.FillLeft = e.FillLeft ? style : 0;
        e.FillRight = e.FillRight ? style : 0;
        e.Line = 0;
        e.Group = group;
        shape_.Edges.push_back(e);
    }
    if (allKept_) glyphs_.push_back({&glyph, m, style, size});
}

void GlyphShape::AddBackdrop(const swf::Edge& e) {
    shape_.Edges.push_back(e);
    backdrop_.Edges.push_back(e);
}

TextShape GlyphShape::Finish() {
    if (!shape_.Edges.empty()) {
        swf::Rect b{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
        auto grow = [&b](int32_t px, int32_t py) {
            b.XMin = std::min(b.XMin, px), b.XMax = std::max(b.XMax, px);
            b.YMin = std::min(b.YMin, py), b.YMax = std::max(b.YMax, py);
        };
        for (const auto& e : shape_.Edges) {
            grow(e.X0, e.Y0);
            grow(e.X1, e.Y1);
            if (e.Curved) grow(e.CX, e.CY);
        }
        shape_.Bounds = b;
    }
    uint16_t groups = 1;
    for (const auto& e : shape_.Edges) groups = std::max<uint16_t>(groups, e.Group + 1);
    shape_.Groups = groups;
    TextShape text;
    if (!backdrop_.Edges.empty()) {
        backdrop_.Fills = shape_.Fills;
        backdrop_.Lines = shape_.Lines;
        backdrop_.Bounds = shape_.Bounds;
        text.Backdrop = std::move(backdrop_);
    }
    if (allKept_) text.Glyphs = std::move(glyphs_);
    text.Outline = std::move(shape_);
    return text;
}

}  // namespace qb::movie
