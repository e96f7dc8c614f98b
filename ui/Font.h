#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "ui/Persistent.h"

namespace qb::ui {

// Colours: 0x00BBGGRR, or a system colour with the high byte 0xFF and the
// system colour index in the low byte.
using Color = uint32_t;
constexpr Color SysColor(int index) { return 0xFF000000u | uint32_t(index); }
constexpr bool IsSysColor(Color c) { return (c & 0xFF000000u) == 0xFF000000u; }
// The indexes of the window system's colour table.
inline constexpr Color clBtnFace = SysColor(15), clBtnShadow = SysColor(16), clBtnText = SysColor(18),
                       clBtnHighlight = SysColor(20), cl3DDkShadow = SysColor(21), clWindow = SysColor(5),
                       clWindowText = SysColor(8);
inline constexpr Color clBlack = 0x000000, clWhite = 0xFFFFFF;

enum FontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Character sets of fonts by their system numbers.
inline constexpr int ANSI_CHARSET_ = 0, DEFAULT_CHARSET_ = 1, GB2312_CHARSET_ = 134;

class Font : public Persistent {
    QB_CLASS(Font)
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    int Size() const { return size_; }  // points
    void SetSize(int v);
    int Charset() const { return charset_; }
    void SetCharset(int v);
    Color GetColor() const { return color_; }
    void SetColor(Color v);
    int Style() const { return style_; }
    void SetStyle(int v);

    bool operator==(const Font& o) const {
        return name_ == o.name_ && size_ == o.size_ && charset_ == o.charset_ && color_ == o.color_ &&
               style_ == o.style_;
    }
    void Assign(const Persistent& source) override;

    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    std::string name_ = "MS Sans Serif";
    int size_ = 8;
    int charset_ = DEFAULT_CHARSET_;
    Color color_ = clWindowText;
    int style_ = 0;
};

// The ANSI code page that texts in a font of this character set are written
// in (936 for GB2312); 0 means the system's own code page.
unsigned CodePageOfCharset(int charset);

}  // namespace qb::ui
