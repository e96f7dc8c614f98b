#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "ui/Canvas.h"
#include "ui/win/WinText.h"

namespace qb::ui::win {

// Draws on a device context with GDI.
class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HDC dc) : dc_(dc) {}
    ~GdiCanvas() override;

    void FillRect(const Rect& r, Color c) override;
    void Rectangle(const Rect& r, Color pen, int penWidth, const Color* fill) override;
    void Bevel(const Rect& r, Color topLeft, Color bottomRight, int width) override;
    void DrawImage(const ImageList& list, int index, int x, int y, bool transparent, Color background) override;
    Size MeasureText(const std::string& text, const Font& font, bool wordWrap, int maxWidth) override;
    void DrawText(const std::string& text, const Rect& r, const Font& font, Color color, bool wordWrap) override;

private:
    void Select(const Font& f);
    HDC dc_;
    GdiObject<HFONT> font_;
    HGDIOBJ oldFont_ = nullptr;
};

}  // namespace qb::ui::win
