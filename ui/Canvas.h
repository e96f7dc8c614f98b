#pragma once
#include <string>

#include "ui/Font.h"

namespace qb::ui {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const Rect&) const = default;
};
struct Size {
    int cx = 0, cy = 0;
    bool operator==(const Size&) const = default;
};

class ImageList;

// What a windowless control draws with. The window system's canvas draws
// with GDI; a recording canvas keeps the calls for tests.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void FillRect(const Rect& r, Color c) = 0;
    // Outline in `pen` of width `penWidth`, filled with `fill` when it has one.
    virtual void Rectangle(const Rect& r, Color pen, int penWidth, const Color* fill) = 0;
    // `width` nested outlines inside r: top and left edges in `topLeft`,
    // bottom and right edges in `bottomRight`.
    virtual void Bevel(const Rect& r, Color topLeft, Color bottomRight, int width) = 0;
    // Picture `index` of the list at (x, y) at its own size; through the
    // list's mask when `transparent`, else on `background`.
    virtual void DrawImage(const ImageList& list, int index, int x, int y, bool transparent, Color background) = 0;
    // Size of the caption in `font`: one line, or wrapped at words within
    // `maxWidth`; "&" marks an accelerator and takes no room.
    virtual Size MeasureText(const std::string& text, const Font& font, bool wordWrap, int maxWidth) = 0;
    // Caption centred in r, unclipped, transparent background.
    virtual void DrawText(const std::string& text, const Rect& r, const Font& font, Color color, bool wordWrap) = 0;
};

}  // namespace qb::ui
