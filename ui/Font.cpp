#include "ui/Font.h"

namespace qb::ui {

QB_CLASS_INFO(Font, Persistent) {
    Published<Font>(info)
        .String("Name", &Font::Name, &Font::SetName)
        .Integer("Size", &Font::Size, &Font::SetSize)
        .Integer("Charset", &Font::Charset, &Font::SetCharset)
        .Integer("Color", &Font::GetColor, &Font::SetColor)
        .Integer("Style", &Font::Style, &Font::SetStyle);
}

void Font::SetName(const std::string& v) {
    if (v == name_ || v.empty()) return;
    name_ = v;
    Changed();
}
void Font::SetSize(int v) {
    if (v == size_) return;
    size_ = v;
    Changed();
}
void Font::SetCharset(int v) {
    if (v == charset_) return;
    charset_ = v;
    Changed();
}
void Font::SetColor(Color v) {
    if (v == color_) return;
    color_ = v;
    Changed();
}
void Font::SetStyle(int v) {
    if (v == style_) return;
    style_ = v;
    Changed();
}

void Font::Assign(const Persistent& source) {
    auto* f = dynamic_cast<const Font*>(&source);
    if (!f) return Persistent::Assign(source);
    if (*f == *this) return;
    name_ = f->name_;
    size_ = f->size_;
    charset_ = f->charset_;
    color_ = f->color_;
    style_ = f->style_;
    Changed();
}

unsigned CodePageOfCharset(int charset) {
    switch (charset) {
        case 128: return 932;   // Shift-JIS
        case 129: return 949;   // Hangeul
        case 130: return 1361;  // Johab
        case 134: return 936;   // GB2312
        case 136: return 950;   // Big5
        case 161: return 1253;
        case 162: return 1254;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        case 0: return 1252;
        default: return 0;
    }
}

}  // namespace qb::ui
