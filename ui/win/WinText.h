#pragma once
#include <windows.h>

#include <string>

#include "ui/Font.h"

namespace qb::ui::win {

// Our texts are 8-bit strings in the code page of the font that shows them
// (GB2312 for Chinese), whatever the system's code page is; the window
// system is always spoken to in UTF-16.
inline UINT CodePageOf(const Font& f) {
    unsigned cp = CodePageOfCharset(f.Charset());
    return cp ? cp : CP_ACP;
}

inline std::wstring Widen(const std::string& s, UINT cp) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, s.data(), (int)s.size(), nullptr, 0);
    if (n <= 0) {
        cp = CP_ACP;
        n = MultiByteToWideChar(cp, 0, s.data(), (int)s.size(), nullptr, 0);
    }
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(cp, 0, s.data(), (int)s.size(), w.data(), n);
    return w;
}

inline std::string Narrow(const std::wstring& w, UINT cp) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
    return s;
}

inline COLORREF ToColorRef(Color c) { return IsSysColor(c) ? GetSysColor(c & 0xFF) : COLORREF(c & 0xFFFFFF); }

// A GDI object deleted in the destructor.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : h_(h) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    H Get() const { return h_; }
    void Reset(H h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    H h_ = nullptr;
};

// The font's GDI face, at the screen's resolution.
inline HFONT MakeFont(const Font& f) {
    LOGFONTW lf{};
    HDC screen = GetDC(nullptr);
    lf.lfHeight = -MulDiv(f.Size(), GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    lf.lfWeight = (f.Style() & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (f.Style() & fsItalic) != 0;
    lf.lfUnderline = (f.Style() & fsUnderline) != 0;
    lf.lfStrikeOut = (f.Style() & fsStrikeOut) != 0;
    lf.lfCharSet = (BYTE)f.Charset();
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring face = Widen(f.Name(), CodePageOf(f));
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

}  // namespace qb::ui::win
