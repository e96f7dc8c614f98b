#include "player/SystemFonts.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace qb {
namespace {

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    // Movies name fonts in UTF-8 from version 6; older ones in the system's code page.
    for (UINT cp : {UINT{CP_UTF8}, UINT{CP_ACP}}) {
        const DWORD flags = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
        if (n <= 0) continue;
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), w.data(), n);
        return w;
    }
    return {};
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

std::wstring SystemFace(const std::string& name) {
    const std::wstring w = Widen(name);
    if (w.empty() || SameName(w, L"_sans")) return L"Arial";
    if (SameName(w, L"_serif")) return L"Times New Roman";
    if (SameName(w, L"_typewriter")) return L"Courier New";
    return w;
}

double Fixed(FIXED f) { return f.value + f.fract / 65536.0; }

struct DeleteFont {
    void operator()(HFONT f) const { DeleteObject(f); }
};
struct DeleteDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteFont>;

class GdiFontHost final : public movie::FontHost {
public:
    GdiFontHost() : dc_(CreateCompatibleDC(nullptr)) {}

    std::optional<movie::HostGlyph> Glyph(const movie::FontFace& face, char32_t c) const override {
        if (!dc_ || c > 0xFFFF) return std::nullopt;
        std::lock_guard lock(mutex_);
        // The face asked for, else the common one (or whatever the system
        // puts in its place), else one of the faces with CJK.
        const std::pair<std::wstring, bool> tries[] = {{SystemFace(face.Name), true},
                                                       {L"Arial", false},
                                                       {L"SimSun", true},
                                                       {L"Microsoft YaHei", true},
                                                       {L"WenQuanYi Micro Hei", true}};
        for (const auto& [name, exact] : tries) {
            HFONT font = Font(name, face.Bold, face.Italic, exact);
            if (!font) continue;
            SelectObject(dc_.get(), font);
            WORD index = 0;
            const wchar_t ch = static_cast<wchar_t>(c);
            if (GetGlyphIndicesW(dc_.get(), &ch, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR || index == 0xFFFF)
                continue;
            if (auto g = Outline(ch)) return g;
        }
        return std::nullopt;
    }

private:
    // A font one em of kEm pixels high; `exact` asks for null when the
    // system only has another face for that name.
    HFONT Font(const std::wstring& name, bool bold, bool italic, bool exact) const {
        const auto key = std::make_tuple(name, bold, italic, exact);
        auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second.get();
        LOGFONTW lf{};
        lf.lfHeight = -static_cast<LONG>(kEm);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = italic;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        lf.lfQuality = ANTIALIASED_QUALITY;
        wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
        FontHandle font(CreateFontIndirectW(&lf));
        if (font && exact) {
            // The mapper picks some face for any name: keep it only when it
            // is the one named, so the fallbacks get their turn.
            SelectObject(dc_.get(), font.get());
            wchar_t picked[LF_FACESIZE] = {};
            GetTextFaceW(dc_.get(), LF_FACESIZE, picked);
            if (!SameName(picked, name)) font.reset();
        }
        return fonts_.emplace(key, std::move(font)).first->second.get();
    }

    std::optional<movie::HostGlyph> Outline(wchar_t ch) const {
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        GLYPHMETRICS gm{};
        const UINT format = GGO_NATIVE | GGO_UNHINTED;
        const DWORD size = GetGlyphOutlineW(dc_.get(), ch, format, &gm, 0, nullptr, &identity);
        if (size == GDI_ERROR) return std::nullopt;
        std::vector<uint8_t> buffer(size);
        if (size && GetGlyphOutlineW(dc_.get(), ch, format, &gm, size, buffer.data(), &identity) == GDI_ERROR)
            return std::nullopt;
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_.get(), &tm);
        movie::HostGlyph g;
        g.Advance = gm.gmCellIncX;
        g.Ascent = tm.tmAscent;
        g.Descent = tm.tmDescent;
        // Contours of lines and quadratic splines, y up; ours run y down.
        movie::OutlinePen pen;
        auto point = [](const POINTFX& p) { return std::make_pair(Fixed(p.x), -Fixed(p.y)); };
        for (size_t at = 0; at + sizeof(TTPOLYGONHEADER) <= buffer.size();) {
            TTPOLYGONHEADER head;
            std::memcpy(&head, buffer.data() + at, sizeof head);
            if (head.cb < sizeof head || at + head.cb > buffer.size()) break;
            const size_t end = at + head.cb;
            auto [sx, sy] = point(head.pfxStart);
            pen.MoveTo(sx, sy);
            for (size_t p = at + sizeof head; p + 4 <= end;) {
                WORD type = 0, count = 0;
                std::memcpy(&type, buffer.data() + p, 2);
                std::memcpy(&count, buffer.data() + p + 2, 2);
                const size_t pointsAt = p + 4;
                if (pointsAt + size_t{count} * sizeof(POINTFX) > end) break;
                std::vector<std::pair<double, double>> pts;
                for (WORD i = 0; i < count; ++i) {
                    POINTFX fx;
                    std::memcpy(&fx, buffer.data() + pointsAt + i * sizeof(POINTFX), sizeof fx);
                    pts.push_back(point(fx));
                }
                if (type == TT_PRIM_LINE) {
                    for (auto [px, py] : pts) pen.LineTo(px, py);
                } else if (type == TT_PRIM_QSPLINE) {
                    // Control points in a row have their on-curve points
                    // implied halfway between them.
                    for (size_t i = 0; i + 1 < pts.size(); ++i) {
                        const bool last = i + 2 == pts.size();
                        const double ex = last ? pts[i + 1].first : (pts[i].first + pts[i + 1].first) / 2;
                        const double ey = last ? pts[i + 1].second : (pts[i].second + pts[i + 1].second) / 2;
                        pen.QuadTo(pts[i].first, pts[i].second, ex, ey);
                    }
                } else if (type == TT_PRIM_CSPLINE) {
                    for (size_t i = 0; i + 2 < pts.size(); i += 3)
                        pen.CubicTo(pts[i].first, pts[i].second, pts[i + 1].first, pts[i + 1].second, pts[i + 2].first,
                                    pts[i + 2].second);
                }
                p = pointsAt + size_t{count} * sizeof(POINTFX);
            }
            pen.Close();
            at = end;
        }
        g.Outline = pen.Take();
        return g;
    }

    std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDc> dc_;
    mutable std::mutex mutex_;  // the DC and the fonts: one caller at a time
    mutable std::map<std::tuple<std::wstring, bool, bool, bool>, FontHandle> fonts_;
};

}  // namespace

std::shared_ptr<const movie::FontHost> SystemFonts() { return std::make_shared<GdiFontHost>(); }

}  // namespace qb
