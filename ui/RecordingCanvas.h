#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "ui/Canvas.h"
#include "ui/ImageList.h"

namespace qb::ui {

// A canvas that writes down what is drawn, one line per call, for tests:
//   fill L,T,R,B face | rect L,T,R,B pen black 1 fill face | bevel L,T,R,B hilite/shadow 1
//   image 3 at 2,4 mask | text "Remove" L,T,R,B btntext
// Text measures 6 pixels per character (the "&" of an accelerator takes
// none) and 13 per line.
class RecordingCanvas : public Canvas {
public:
    std::vector<std::string> ops;

    static std::string ColorName(Color c) {
        switch (c) {
            case clBtnFace: return "face";
            case clBtnShadow: return "shadow";
            case clBtnHighlight: return "hilite";
            case cl3DDkShadow: return "dark";
            case clBtnText: return "btntext";
            case clWindowText: return "wintext";
            case clBlack: return "black";
        }
        char b[16];
        std::snprintf(b, sizeof b, "#%06X", unsigned(c));
        return b;
    }
    static std::string R(const Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }

    void FillRect(const Rect& r, Color c) override { ops.push_back("fill " + R(r) + " " + ColorName(c)); }
    void Rectangle(const Rect& r, Color pen, int width, const Color* fill) override {
        ops.push_back("rect " + R(r) + " pen " + ColorName(pen) + " " + std::to_string(width) +
                      (fill ? " fill " + ColorName(*fill) : ""));
    }
    void Bevel(const Rect& r, Color a, Color b, int width) override {
        ops.push_back("bevel " + R(r) + " " + ColorName(a) + "/" + ColorName(b) + " " + std::to_string(width));
    }
    void DrawImage(const ImageList& list, int index, int x, int y, bool transparent, Color bg) override {
        if (index < 0 || index >= list.Count()) return;
        ops.push_back("image " + std::to_string(index) + " at " + std::to_string(x) + "," + std::to_string(y) +
                      (transparent ? " mask" : " on " + ColorName(bg)));
    }
    Size MeasureText(const std::string& text, const Font&, bool wordWrap, int maxWidth) override {
        int chars = 0, widest = 0, lines = 1;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
            if (text[i] == '\n') {
                ++lines;
                chars = 0;
                continue;
            }
            if (text[i] == '\r') continue;
            ++chars;
            if (wordWrap && chars * 6 > maxWidth && maxWidth > 0) {
                ++lines;
                chars = 1;
            }
            widest = std::max(widest, chars * 6);
        }
        return {widest, 13 * lines};
    }
    void DrawText(const std::string& text, const Rect& r, const Font&, Color color, bool) override {
        ops.push_back("text \"" + text + "\" " + R(r) + " " + ColorName(color));
    }
};

}  // namespace qb::ui
