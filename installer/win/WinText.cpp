#include "installer/win/WinText.h"

#include <windows.h>

namespace qb::setup::win {

namespace {

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

std::wstring FromUtf8(const std::string& text) { return Widen(text, CP_UTF8); }
std::wstring FromAnsi(const std::string& text) { return Widen(text, CP_ACP); }

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Format(const char* utf8Pattern, const std::string& ansiName) {
    std::wstring pattern = FromUtf8(utf8Pattern);
    const size_t at = pattern.find(L"%s");
    if (at != std::wstring::npos) pattern.replace(at, 2, FromAnsi(ansiName));
    return pattern;
}

}  // namespace qb::setup::win
