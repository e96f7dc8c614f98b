#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace qb::swf { class Reader; }

namespace qb::movie {

// The outlines of a font's glyphs, in units of an em square of `EmSize`.
struct FontDef {
    std::vector<swf::ShapeDef> Glyphs;
    double EmSize = 1024;
};

// Reads DefineFont (version 1) or DefineFont2/3 (2, 3) after the font id.
FontDef ReadFont(swf::Reader& r, int version);

// Static text (DefineText, DefineText2 after the id) drawn as one shape:
// every glyph's outline placed, scaled and coloured as its text record says,
// with the text's own matrix applied.
swf::ShapeDef ReadStaticText(swf::Reader& r, int version, const std::unordered_map<uint16_t, FontDef>& fonts);

}  // namespace qb::movie
