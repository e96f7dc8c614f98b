#pragma once
#include <functional>
#include <string>

#include "ui/Control.h"
#include "ui/ImageList.h"
#include "ui/Menus.h"

namespace qb {

enum TFrameStyle { fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono };
enum TTextAlign { ttaTopLeft, ttaTop, ttaTopRight, ttaRight, ttaBottomRight, ttaBottom, ttaBottomLeft, ttaLeft, ttaCenter };

// The program's toolbar and push button: windowless, an optional 3-D frame in
// one of seven styles, one picture out of an image list chosen by state, and
// a caption placed around the picture. Shows hover and pressed states.
class TTransparentButton : public ui::GraphicControl {
    QB_CLASS(TTransparentButton)
public:
    TTransparentButton();

    bool ThreeState() const { return threeState_; }
    void SetThreeState(bool v) { threeState_ = v; }
    bool AutoGray() const { return autoGray_; }
    void SetAutoGray(bool v) { autoGray_ = v; }
    unsigned BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(unsigned v) { Store(borderWidth_, v); }
    const std::string& Caption() const { return GetText(); }
    void SetCaption(const std::string& c) { SetText(c); }
    bool Down() const { return down_; }
    void SetDown(bool v);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle v) { Store(frameStyle_, v); }
    ui::ImageList* ImageList() const { return imageList_; }
    void SetImageList(ui::ImageList* l);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i);
    uint8_t NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(uint8_t n) { Store(numGlyphs_, n); }
    ui::PopupMenu* PopUpMenu() const { return popup_; }
    void SetPopUpMenu(ui::PopupMenu* m);
    bool ShowPressed() const { return showPressed_; }
    void SetShowPressed(bool v) { showPressed_ = v; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int v) { Store(spacing_, v); }
    TTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TTextAlign v) { Store(textAlign_, v); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v) { Store(transparent_, v); }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v) { Store(wordWrap_, v); }
    bool Movable() const { return movable_; }
    void SetMovable(bool v) { movable_ = v; }

    ui::NotifyEvent OnMouseEnter, OnMouseExit;
    std::function<void(ui::Component&, ui::MouseButton, int x, int y)> OnMouseDown, OnMouseUp;
    std::function<void(ui::Component&, int x, int y)> OnMouseMove;

    // Run-time state.
    bool Hot() const { return hot_; }
    bool ButtonHeld() const { return held_; }
    bool Tracking() const { return tracking_; }
    bool ShownPressed() const { return shownPressed_; }

    void Paint(ui::Canvas& canvas) override;
    bool DialogChar(char ch) override;
    void MouseEnter() override;
    void MouseLeave() override;

protected:
    void MouseDown(ui::MouseButton b, int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(ui::MouseButton b, int x, int y) override;
    void EnabledChanged() override;
    void Notification(ui::Component& c) override;

private:
    template <class V>
    void Store(V& field, V value) {
        if (field == value) return;
        field = value;
        Invalidate();
    }
    void Release(ui::MouseButton b, int x, int y);
    void PaintFrame(ui::Canvas& c);
    int GlyphIndex() const;

    bool threeState_ = false, autoGray_ = true, down_ = false, showPressed_ = true, transparent_ = true,
         wordWrap_ = false, movable_ = false;
    unsigned borderWidth_ = 1;
    TFrameStyle frameStyle_ = fsExplorer;
    ui::ImageList* imageList_ = nullptr;
    int imageIndex_ = 0;
    uint8_t numGlyphs_ = 1;
    ui::PopupMenu* popup_ = nullptr;
    int spacing_ = 2;
    TTextAlign textAlign_ = ttaCenter;

    bool hot_ = false, held_ = false, tracking_ = false, shownPressed_ = false;
    int originX_ = 0, originY_ = 0;
};

}  // namespace qb
