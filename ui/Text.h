#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qb::ui {

// Letters compared without regard to case in the ASCII range; bytes of
// double-byte characters compare as they are.
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view text);
// The text with ASCII letters in upper case: a key for case-insensitive maps.
std::string UpperText(std::string_view text);

// Decimal whole number, or hexadecimal with 0x/0X/$; empty when the text is
// anything else (blanks included) or does not fit 32 bits.
bool TryStrToInt(std::string_view text, int& value);

// Splits comma text: items separated by commas or runs of blanks and control
// characters; a double-quoted item keeps its commas and blanks, and "" inside
// it stands for one quote; two commas in a row give an empty item.
std::vector<std::string> ParseCommaText(std::string_view text);

// The character after the first unescaped "&" of a caption, upper-cased;
// 0 when the caption has none ("&&" is a literal ampersand).
char AcceleratorOf(std::string_view caption);
bool IsAccelerator(char ch, std::string_view caption);

}  // namespace qb::ui
