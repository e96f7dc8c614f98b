#include "widgets/ImageButton.h"

#include "ui/Backend.h"
#include "ui/Text.h"

namespace qb {

using namespace ui;

QB_CLASS_INFO(TTransparentButton, ui::GraphicControl) {
    Published<TTransparentButton>(info)
        .Boolean("ThreeState", &TTransparentButton::ThreeState, &TTransparentButton::SetThreeState)
        .Boolean("AutoGray", &TTransparentButton::AutoGray, &TTransparentButton::SetAutoGray)
        .Integer("BorderWidth", &TTransparentButton::BorderWidth, &TTransparentButton::SetBorderWidth)
        .String("Caption", &TTransparentButton::Caption, &TTransparentButton::SetCaption)
        .Boolean("Down", &TTransparentButton::Down, &TTransparentButton::SetDown)
        .Enumeration("FrameStyle", &TTransparentButton::FrameStyle, &TTransparentButton::SetFrameStyle,
                     {"fsRegular", "fsIndent", "fsExplorer", "fsNone", "fsLight", "fsDark", "fsMono"})
        .Reference("ImageList", &TTransparentButton::ImageList, &TTransparentButton::SetImageList)
        .Integer("ImageIndex", &TTransparentButton::ImageIndex, &TTransparentButton::SetImageIndex)
        .Integer("NumGlyphs", &TTransparentButton::NumGlyphs, &TTransparentButton::SetNumGlyphs)
        .Reference("PopUpMenu", &TTransparentButton::PopUpMenu, &TTransparentButton::SetPopUpMenu)
        .Boolean("ShowPressed", &TTransparentButton::ShowPressed, &TTransparentButton::SetShowPressed)
        .Integer("Spacing", &TTransparentButton::Spacing, &TTransparentButton::SetSpacing)
        .Enumeration("TextAlign", &TTransparentButton::TextAlign, &TTransparentButton::SetTextAlign,
                     {"ttaTopLeft", "ttaTop", "ttaTopRight", "ttaRight", "ttaBottomRight", "ttaBottom", "ttaBottomLeft",
                      "ttaLeft", "ttaCenter"})
        .Boolean("Transparent", &TTransparentButton::Transparent, &TTransparentButton::SetTransparent)
        .Boolean("WordWrap", &TTransparentButton::WordWrap, &TTransparentButton::SetWordWrap)
        .Boolean("Movable", &TTransparentButton::Movable, &TTransparentButton::SetMovable);
}

TTransparentButton::TTransparentButton() { SetBounds(0, 0, 40, 40); }

void TTransparentButton::SetDown(bool v) {
    if (v == down_) return;
    down_ = tracking_ = shownPressed_ = v;
    Invalidate(true);
}

void TTransparentButton::SetImageIndex(int i) {
    imageIndex_ = i;
    Invalidate();
}

void TTransparentButton::SetImageList(ui::ImageList* l) {
    if (l == imageList_) return;
    imageList_ = l;
    Invalidate();
}

void TTransparentButton::SetPopUpMenu(ui::PopupMenu* m) {
    if (popup_) RemoveFreeNotification(*popup_);
    popup_ = m;
    if (m) FreeNotification(*m);
}

void TTransparentButton::Notification(ui::Component& c) {
    if (&c == popup_) popup_ = nullptr;
}

// Frames: the style's base frame, then the pressed or raised frame.
void TTransparentButton::PaintFrame(Canvas& c) {
    const int W = Width(), H = Height(), bw = (int)borderWidth_;
    const Rect all{0, 0, W, H};
    const Rect inner{1, 1, W, H};
    switch (frameStyle_) {
        case fsRegular:
            if (!transparent_) c.Rectangle(inner, clBlack, bw, &clBtnFace);
            else c.Bevel(inner, clBlack, clBlack, bw);
            break;
        case fsIndent:
            if (!transparent_) {
                c.Rectangle({0, 0, W - 1, H - 1}, clBtnShadow, bw, &clBtnFace);
            } else {
                c.Bevel({0, 0, W - 1, H - 1}, clBtnShadow, clBtnShadow, bw);
            }
            c.Bevel(inner, clBtnHighlight, clBtnHighlight, bw);
            break;
        default:
            if (!transparent_) c.FillRect(all, clBtnFace);
            if (Designing()) {
                switch (frameStyle_) {
                    case fsExplorer:
                    case fsLight: c.Bevel(all, clBtnHighlight, clBtnShadow, 1); break;
                    case fsNone: c.Rectangle(all, clBlack, 1, nullptr); break;
                    case fsDark: c.Bevel(all, clBtnFace, cl3DDkShadow, 1); break;
                    case fsMono: c.Bevel(all, clBtnHighlight, cl3DDkShadow, 1); break;
                    default: break;
                }
            }
    }

    if (shownPressed_) {
        switch (frameStyle_) {
            case fsRegular:
            case fsIndent:
                if (showPressed_) {
                    c.Bevel(all, clBlack, clBtnHighlight, bw);
                    c.Bevel(all, clBtnShadow, clBtnFace, bw);
                }
                break;
            case fsExplorer:
                if (hot_ || down_) {
                    if (showPressed_) c.Bevel(all, clBtnShadow, clBtnHighlight, bw);
                    else c.Bevel(all, clBtnHighlight, clBtnShadow, bw);
                }
                break;
            case fsLight:
                if (showPressed_) c.Bevel(all, clBtnShadow, clBtnHighlight, 1);
                break;
            case fsDark:
                if (showPressed_) c.Bevel(all, cl3DDkShadow, clBtnFace, 1);
                break;
            case fsMono:
                if (showPressed_) c.Bevel(all, cl3DDkShadow, clBtnHighlight, 1);
                break;
            case fsNone: break;
        }
    } else {
        switch (frameStyle_) {
            case fsRegular:
                c.Bevel(all, clBtnHighlight, clBlack, bw);
                c.Bevel(all, clBtnFace, clBtnShadow, bw);
                break;
            case fsIndent: c.Bevel(all, clBtnShadow, clBtnHighlight, bw); break;
            case fsExplorer:
                if (hot_) c.Bevel(all, clBtnHighlight, clBtnShadow, bw);
                break;
            case fsNone: break;
            case fsLight: c.Bevel(all, clBtnHighlight, clBtnShadow, 1); break;
            case fsDark: c.Bevel(all, clBtnFace, cl3DDkShadow, 1); break;
            case fsMono: c.Bevel(all, clBtnHighlight, cl3DDkShadow, 1); break;
        }
    }
}

int TTransparentButton::GlyphIndex() const {
    int g = 0;
    if (threeState_) {
        g = (hot_ && shownPressed_) ? 2 : hot_ ? 1 : 0;
    } else {
        switch (numGlyphs_) {
            case 2: g = Enabled() ? 0 : 1; break;
            case 3: g = shownPressed_ ? 2 : hot_ ? 1 : 0; break;
            case 4: g = shownPressed_ ? 2 : !Enabled() ? 1 : 0; break;
            default: g = 0;
        }
    }
    if (frameStyle_ == fsExplorer && autoGray_ && !hot_) g = 0;
    if (numGlyphs_ == 1) g = 0;
    return g;
}

void TTransparentButton::Paint(Canvas& c) {
    const int W = Width(), H = Height(), S = spacing_;
    PaintFrame(c);

    const bool pressedLook = shownPressed_ && showPressed_;
    Rect pic{0, 0, W, H};
    if (imageList_) {
        const int Wi = imageList_->Width(), Hi = imageList_->Height();
        int x, y;
        switch (textAlign_) {
            case ttaBottomRight:
            case ttaBottom:
            case ttaBottomLeft: y = S; break;
            case ttaTopLeft:
            case ttaTop:
            case ttaTopRight: y = H - Hi - S; break;
            default: y = (H - Hi) / 2;
        }
        switch (textAlign_) {
            case ttaLeft: x = W - Wi - S; break;
            case ttaRight: x = S; break;
            default: x = (W - Wi) / 2;
        }
        pic = {x, y, x + Wi, y + Hi};
        int px = x, py = y;
        if (!threeState_ && pressedLook) {
            ++px;
            ++py;
        }
        c.DrawImage(*imageList_, imageIndex_ + GlyphIndex(), px, py, transparent_, clBtnFace);
    }

    const std::string& caption = GetText();
    if (caption.empty()) return;
    Size t = c.MeasureText(caption, GetFont(), wordWrap_, W);
    const int tw = t.cx, th = t.cy;
    int dx = 0, dy = 0;
    switch (textAlign_) {
        case ttaTopLeft: dx = S; dy = pic.top - th - S; break;
        case ttaTop: dx = W / 2 - tw / 2; dy = pic.top - th - S; break;
        case ttaTopRight: dx = W - tw - S; dy = pic.top - th - S; break;
        case ttaRight: dx = W - tw - S; dy = H / 2 - th / 2; break;
        case ttaBottomRight: dx = W - tw - S; dy = pic.bottom + S; break;
        case ttaBottom: dx = W / 2 - tw / 2; dy = pic.bottom + S; break;
        case ttaBottomLeft: dx = S; dy = pic.bottom + S; break;
        case ttaLeft: dx = S; dy = H / 2 - th / 2; break;
        case ttaCenter: dx = W / 2 - tw / 2; dy = H / 2 - th / 2; break;
    }
    Rect text{dx, dy, dx + tw, dy + th};
    if (pressedLook) text = text.Offset(1, 1);
    if (Enabled()) {
        c.DrawText(caption, text, GetFont(), GetFont().GetColor(), wordWrap_);
    } else {
        c.DrawText(caption, text.Offset(1, 1), GetFont(), clBtnHighlight, wordWrap_);
        c.DrawText(caption, text, GetFont(), clBtnShadow, wordWrap_);
    }
}

void TTransparentButton::MouseDown(MouseButton b, int x, int y) {
    if (!Enabled() || held_) return;
    held_ = true;
    if (OnMouseDown) OnMouseDown(*this, b, x, y);
    if (movable_) {
        originX_ = x;
        originY_ = y;
    }
    if (ClientRect().Contains(x, y)) {
        tracking_ = shownPressed_ = true;
        Invalidate(true);
    }
    if (popup_) {
        int sx = 0, sy = Height();
        ClientToScreen(sx, sy);
        popup_->Popup(sx, sy);
        // The menu took the release; what is still queued was meant for it.
        DiscardQueuedMouseMessages();
        CancelClick();
        Release(b, x, y);
    }
}

void TTransparentButton::MouseMove(int x, int y) {
    if (!Enabled()) return;
    if (OnMouseMove) OnMouseMove(*this, x, y);
    if (!tracking_) return;
    if (movable_) SetBounds(Left() + x - originX_, Top() + y - originY_, Width(), Height());
    bool inside = ClientRect().Contains(x, y);
    if (inside && !shownPressed_) {
        shownPressed_ = true;
        Invalidate();
    } else if (!inside && shownPressed_) {
        shownPressed_ = false;
        Invalidate();
    }
}

void TTransparentButton::MouseUp(MouseButton b, int x, int y) {
    if (!Enabled()) return;
    Release(b, x, y);
}

void TTransparentButton::Release(MouseButton b, int x, int y) {
    if (!held_) return;
    held_ = false;
    if (down_) return;  // stays pressed, says nothing
    if (OnMouseUp) OnMouseUp(*this, b, x, y);
    tracking_ = shownPressed_ = false;
    Invalidate(true);
}

void TTransparentButton::MouseEnter() {
    if (!Enabled()) return;
    hot_ = true;
    if (OnMouseEnter) OnMouseEnter(*this);
    if (frameStyle_ == fsExplorer || threeState_) Invalidate();
}

void TTransparentButton::MouseLeave() {
    if (!Enabled()) return;
    hot_ = false;
    if (OnMouseExit) OnMouseExit(*this);
    if (frameStyle_ == fsExplorer || threeState_) Invalidate();
}

void TTransparentButton::EnabledChanged() {
    if (!Enabled()) shownPressed_ = tracking_ = held_ = hot_ = false;
    Invalidate();
}

bool TTransparentButton::DialogChar(char ch) {
    if (!Enabled() || !IsAccelerator(ch, GetText())) return false;
    Click();
    return true;
}

}  // namespace qb
