#pragma once
#include "flash/movie/FontHost.h"
#include "flash/movie/GlyphShape.h"
#include "flash/movie/Text.h"
#include "flash/movie/TextLayout.h"
#include "flash/swf/Shape.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qb::swf { class Reader; }

namespace qb::movie {

// A text field (DefineEditText). The player shows it and never lets anyone
// type into it: what it shows is its initial text, or the value of the
// variable it is bound to.
struct EditTextDef {
    swf::Rect Bounds;
    bool HasText = false, WordWrap = false, Multiline = false, Password = false, ReadOnly = false;
    bool AutoSize = false, NoSelect = false, Border = false, WasStatic = false, Html = false, UseOutlines = false;
    std::shared_ptr<const FontDef> Font;  // null: no font named, or none by that id
    std::string FontClass;
    double FontHeight = 240;  // twips
    swf::Rgba Color{0, 0, 0, 255};
    uint16_t MaxLength = 0;  // 0: any length
    TextAlign Align = TextAlign::Left;
    double LeftMargin = 0, RightMargin = 0, Indent = 0, Leading = 0;
    std::string VariableName;
    std::string InitialText;
};

// Reads the body after the character id.
EditTextDef ReadEditText(swf::Reader& r, const FontTable& fonts);

// The characters the field shows for `text`: HTML reduced to plain text,
// cut to the maximum length, starred in a password field; a single-line
// field shows no line breaks.
std::u32string ShownText(const EditTextDef& field, std::string_view text, bool utf8);

// The field showing `text` as one shape: its background and border, then
// the lines that fit its height. Glyphs come from the embedded font when
// the field uses its outlines, from `host` otherwise (none: no text).
TextShape BuildEditText(const EditTextDef& field, std::string_view text, bool utf8, HostGlyphCache* host);

}  // namespace qb::movie
