#pragma once
#include "flash/movie/Font.h"
#include "flash/movie/FontHost.h"
#include "flash/movie/GlyphShape.h"
#include "flash/swf/Shape.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace qb::swf { class Reader; }

namespace qb::movie {

using FontTable = std::unordered_map<uint16_t, std::shared_ptr<FontDef>>;

// Static text (DefineText, DefineText2): glyphs of fonts placed, sized and
// coloured as its records say, under the text's own matrix.
struct StaticTextDef {
    struct Glyph {
        const FontDef* Font;
        uint32_t Index;
        double X, Y, Height;  // twips, text space; Y the baseline
        swf::Rgba Color;
    };
    swf::Matrix Matrix;
    std::vector<std::shared_ptr<const FontDef>> Fonts;  // keeps the glyphs' fonts
    std::vector<Glyph> Glyphs;

    // Whether some glyph is in a device font (drawn from the host's fonts).
    bool NeedsHost() const;
};

// Reads the body after the character id.
StaticTextDef ReadStaticText(swf::Reader& r, int version, const FontTable& fonts);

// The text as one shape; glyphs in device fonts come from `host` (none:
// they are left out).
TextShape BuildStaticText(const StaticTextDef& text, HostGlyphCache* host);

}  // namespace qb::movie
