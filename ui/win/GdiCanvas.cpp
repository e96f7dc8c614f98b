#include "ui/win/GdiCanvas.h"

#include <vector>

#include "ui/ImageList.h"

namespace qb::ui::win {
namespace {

// The list's pictures as one premultiplied 32-bit DIB, one picture per row band.
struct DibCache : ImageList::Native {
    GdiObject<HBITMAP> bitmap;
};

HBITMAP BitmapOf(const ImageList& list) {
    auto& cache = list.NativeCache();
    if (auto* d = dynamic_cast<DibCache*>(cache.get())) return d->bitmap.Get();
    int w = list.Width(), h = list.Height() * list.Count();
    if (w <= 0 || h <= 0) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return nullptr;
    auto* out = static_cast<uint32_t*>(bits);
    for (int i = 0; i < list.Count(); ++i) {
        const auto& px = list.Pixels(i);
        for (size_t k = 0; k < px.size(); ++k) {
            uint32_t p = px[k], a = p >> 24;
            uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
            out[i * px.size() + k] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    auto d = std::make_unique<DibCache>();
    d->bitmap.Reset(bmp);
    cache = std::move(d);
    return bmp;
}

void HLine(HDC dc, int x1, int x2, int y, COLORREF c) {
    RECT r{x1, y, x2, y + 1};
    SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}
void VLine(HDC dc, int x, int y1, int y2, COLORREF c) {
    RECT r{x, y1, x + 1, y2};
    SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

GdiCanvas::~GdiCanvas() {
    if (oldFont_) SelectObject(dc_, oldFont_);
}

void GdiCanvas::FillRect(const Rect& r, Color c) {
    RECT rc{r.left, r.top, r.right, r.bottom};
    SetBkColor(dc_, ToColorRef(c));
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void GdiCanvas::Rectangle(const Rect& r, Color pen, int penWidth, const Color* fill) {
    GdiObject<HPEN> p(CreatePen(PS_INSIDEFRAME, std::max(penWidth, 1), ToColorRef(pen)));
    GdiObject<HBRUSH> b(fill ? CreateSolidBrush(ToColorRef(*fill)) : nullptr);
    HGDIOBJ oldPen = SelectObject(dc_, p.Get());
    HGDIOBJ oldBrush = SelectObject(dc_, fill ? (HGDIOBJ)b.Get() : GetStockObject(NULL_BRUSH));
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
    SelectObject(dc_, oldPen);
    SelectObject(dc_, oldBrush);
}

void GdiCanvas::Bevel(const Rect& rect, Color topLeft, Color bottomRight, int width) {
    COLORREF a = ToColorRef(topLeft), b = ToColorRef(bottomRight);
    COLORREF keep = GetBkColor(dc_);
    Rect r = rect;
    for (int i = 0; i < width && r.Width() > 1 && r.Height() > 1; ++i) {
        HLine(dc_, r.left, r.right - 1, r.top, a);
        VLine(dc_, r.left, r.top, r.bottom - 1, a);
        HLine(dc_, r.left, r.right, r.bottom - 1, b);
        VLine(dc_, r.right - 1, r.top, r.bottom, b);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    SetBkColor(dc_, keep);
}

void GdiCanvas::DrawImage(const ImageList& list, int index, int x, int y, bool transparent, Color background) {
    if (index < 0 || index >= list.Count()) return;
    HBITMAP bmp = BitmapOf(list);
    if (!bmp) return;
    int w = list.Width(), h = list.Height();
    if (!transparent) FillRect({x, y, x + w, y + h}, background);
    HDC mem = CreateCompatibleDC(dc_);
    HGDIOBJ old = SelectObject(mem, bmp);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc_, x, y, w, h, mem, 0, index * h, w, h, bf);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void GdiCanvas::Select(const Font& f) {
    font_.Reset(MakeFont(f));
    HGDIOBJ old = SelectObject(dc_, font_.Get());
    if (!oldFont_) oldFont_ = old;
}

Size GdiCanvas::MeasureText(const std::string& text, const Font& font, bool wordWrap, int maxWidth) {
    Select(font);
    std::wstring w = Widen(text, CodePageOf(font));
    RECT r{0, 0, maxWidth, 0};
    ::DrawTextW(dc_, w.c_str(), (int)w.size(), &r, DT_CALCRECT | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
    return {int(r.right - r.left), int(r.bottom - r.top)};
}

void GdiCanvas::DrawText(const std::string& text, const Rect& rc, const Font& font, Color color, bool wordWrap) {
    Select(font);
    std::wstring w = Widen(text, CodePageOf(font));
    RECT r{rc.left, rc.top, rc.right, rc.bottom};
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ToColorRef(color));
    ::DrawTextW(dc_, w.c_str(), (int)w.size(), &r,
                DT_CENTER | DT_NOCLIP | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER));
}

}  // namespace qb::ui::win
