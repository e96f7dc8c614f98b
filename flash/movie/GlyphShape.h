#pragma once
#include "flash/render/GlyphCoverage.h"
#include "flash/swf/Shape.h"

#include <cstdint>
#include <map>
#include <vector>

namespace qb::movie {

// A text drawn one of two ways: its whole outline in one pass, or (small
// and upright on screen) its backdrop and then each glyph on its own.
struct TextShape {
    swf::ShapeDef Outline;
    swf::ShapeDef Backdrop;                   // a field's background and border
    std::vector<render::PlacedGlyph> Glyphs;  // empty: the outline only
};

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
    // `kept`: the outline outlives the text, which may then draw the glyph
    // on its own.
    void Add(const swf::ShapeDef& glyph, const swf::Matrix& m, uint32_t style, uint16_t group = 0, bool kept = false);
    // An edge of the backdrop (a field's background and frame).
    void AddBackdrop(const swf::Edge& e);
    swf::ShapeDef& Shape() { return shape_; }
    // The text with bounds around what was added; glyphs on their own only
    // when every glyph was kept.
    TextShape Finish();

private:
    swf::ShapeDef shape_;
    swf::ShapeDef backdrop_;
    std::vector<render::PlacedGlyph> glyphs_;
    bool allKept_ = true;
    std::map<uint32_t, uint32_t> styleOf_;  // colour to fill style number
};

}  // namespace qb::movie
