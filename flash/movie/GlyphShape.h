#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>
#include <map>

namespace qb::movie {

// Glyph outlines gathered into one shape, so a whole text object is one
// rasterizer pass: each glyph placed by a map, filled in its colour.
class GlyphShape {
public:
    // Glyph outlines one text may copy (a short text in a detailed font is
    // far below; a hostile one repeating a huge glyph stops here).
    static constexpr size_t kMaxEdges = 1 << 20;

    // The fill style of a colour, added on first use.
    uint32_t Style(swf::Rgba color);
    // A glyph outline (edges filling style 1) under map `m`, in `style`.
    void Add(const swf::ShapeDef& glyph, const swf::Matrix& m, uint32_t style, uint16_t group = 0);
    // An edge the caller made (backgrounds, frames); bounds follow it.
    void AddEdge(const swf::Edge& e);
    swf::ShapeDef& Shape() { return shape_; }
    // The shape with bounds around what was added.
    swf::ShapeDef Finish();

private:
    swf::ShapeDef shape_;
    std::map<uint32_t, uint32_t> styleOf_;  // colour to fill style number
};

}  // namespace qb::movie
