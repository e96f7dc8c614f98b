#pragma once
#include <string>

// Conversions between the program's 8-bit strings and the wide text the
// windows show: UTF-8 for our own texts, the ANSI code page for names and
// paths (what the file functions and install.ini use).
namespace qb::setup::win {

std::wstring FromUtf8(const std::string& text);
std::wstring FromAnsi(const std::string& text);
std::string ToAnsi(const std::wstring& text);
// Our text with "%s" replaced by a name in the ANSI code page.
std::wstring Format(const char* utf8Pattern, const std::string& ansiName);

}  // namespace qb::setup::win
