#pragma once
#include "tests/support/MovieBuilder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Fonts, static texts and text fields for the engine's test movies.
namespace qb::test {

namespace tag {
inline constexpr uint16_t DefineFont = 10, DefineText = 11, DefineFontInfo = 13, DefineText2 = 33,
                          DefineEditText = 37, DefineFont2 = 48, DefineFont3 = 75;
}

struct GlyphSpec {
    char16_t Code = 0;
    int16_t Advance = 0;  // em units
    ShapeBuilder Outline;  // drawn with fill style 1; empty for a space
};

struct FontSpec {
    std::string Name = "Test";
    bool Bold = false, Italic = false;
    std::vector<GlyphSpec> Glyphs;
    bool Layout = true;
    uint16_t Ascent = 896, Descent = 128;
    int16_t Leading = 0;
};

// DefineFont2 (version 2) or DefineFont3 (3): glyphs, wide code table, and
// the layout block when asked for.
void DefineFont2(TagList& tags, uint16_t id, const FontSpec& font, int version = 2);

// A pixel font of 5 x 7 squares (128 em units each) for capitals, digits,
// '*', '.' and the space; advance six squares, ascent seven.
FontSpec BlockFont(const std::string& name = "Blocks");
// The glyph index of a character in BlockFont, or -1.
int BlockFontIndex(char16_t c);

// One record of a static text: a run of glyphs in one font and colour.
struct TextRunSpec {
    uint16_t Font = 0;
    uint32_t Rgba = 0x000000FF;
    int16_t X = 0, Y = 0;  // baseline start, twips
    uint16_t Height = 240;
    std::vector<std::pair<uint32_t, int32_t>> Glyphs;  // index, advance in twips
};
// DefineText2 with the given matrix and runs.
void DefineText2(TagList& tags, uint16_t id, const RectTwips& bounds, const MatrixSpec& m,
                 const std::vector<TextRunSpec>& runs);
// The run writing `text` in BlockFont at `height`, advances from its layout.
TextRunSpec BlockRun(uint16_t font, const std::string& text, uint16_t height, int16_t x, int16_t y, uint32_t rgba);

struct FieldLayoutSpec {
    uint8_t Align = 0;  // left, right, center, justify
    uint16_t LeftMargin = 0, RightMargin = 0, Indent = 0;
    int16_t Leading = 0;
};

struct EditTextSpec {
    RectTwips Bounds{0, 2000, 0, 400};
    bool WordWrap = false, Multiline = false, Password = false, ReadOnly = true, AutoSize = false;
    bool NoSelect = false, Border = false, WasStatic = false, Html = false, UseOutlines = false;
    std::optional<uint16_t> Font;
    std::optional<std::string> FontClass;
    uint16_t Height = 240;
    std::optional<uint32_t> Rgba;
    std::optional<uint16_t> MaxLength;
    std::optional<FieldLayoutSpec> Layout;
    std::string Variable;
    std::optional<std::string> Text;
};
Bytes EncodeEditText(uint16_t id, const EditTextSpec& e);
void DefineEditText(TagList& tags, uint16_t id, const EditTextSpec& e);

}  // namespace qb::test
