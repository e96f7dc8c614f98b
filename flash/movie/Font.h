#pragma once
#include "flash/swf/Shape.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qb::swf { class Reader; }

namespace qb::movie {

// A font as a movie defines it: glyph outlines in units of an em square of
// `EmSize`, the character each glyph stands for, and (DefineFont2/3 with
// layout) the advances and line metrics text fields lay out with. A font
// whose glyphs have no outlines at all is a device font: its name picks a
// face of the host's.
struct FontDef {
    std::vector<swf::ShapeDef> Glyphs;
    std::vector<char32_t> Codes;     // per glyph; empty until a code table is read
    std::vector<double> Advances;    // per glyph, em units; empty without layout
    double EmSize = 1024;
    double Ascent = 0, Descent = 0, Leading = 0;  // em units; 0 without layout
    std::string Name;
    bool Bold = false, Italic = false;

    bool HasOutlines() const { return outlined_; }
    // The glyph drawing a character, or -1.
    int IndexOf(char32_t c) const;
    // Builds the lookups once the glyphs and the code table are read.
    void Index();

private:
    std::unordered_map<char32_t, int> index_;
    bool outlined_ = false;
};

// Reads DefineFont (version 1) or DefineFont2/3 (2, 3) after the font id.
FontDef ReadFont(swf::Reader& r, int version);
// DefineFontInfo (version 1) or DefineFontInfo2 (2) after the font id: the
// name, style and code table of a version 1 font.
void ReadFontInfo(swf::Reader& r, int version, FontDef& font);

}  // namespace qb::movie
