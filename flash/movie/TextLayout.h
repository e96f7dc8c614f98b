#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a text field turns its text into lines: the characters it shows and
// where each one goes. Pure arithmetic on advances; no fonts or drawing.
namespace qb::movie {

// Characters a field shows at most; a hostile movie's megabyte string
// stops here.
inline constexpr size_t kMaxFieldChars = 1 << 16;

// A movie's string as characters: UTF-8 from version 6 on, one byte a
// character before. Invalid sequences read as their bytes.
std::u32string DecodeText(std::string_view bytes, bool utf8);

// HTML text as plain text: tags dropped, <br> and the end of a paragraph
// as line breaks, the common entities decoded.
std::u32string StripHtml(std::u32string_view html);

enum class TextAlign : uint8_t { Left, Right, Center, Justify };

struct LayoutParams {
    double Width = 0;  // of the area inside the field's gutter
    bool WordWrap = false;
    bool Multiline = false;
    TextAlign Align = TextAlign::Left;
    double LeftMargin = 0, RightMargin = 0, Indent = 0;
};

struct TextLine {
    std::u32string Chars;
    std::vector<double> X;  // where each character starts, from the area's left
};

// Lines of `text`: broken at line breaks when multiline, and where a word
// would pass the width when wrapping (a word wider than the line is cut).
std::vector<TextLine> LayoutLines(std::u32string_view text, const LayoutParams& p,
                                  const std::function<double(char32_t)>& advance);

}  // namespace qb::movie
