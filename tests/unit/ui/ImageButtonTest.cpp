#include <gtest/gtest.h>

#include <algorithm>

#include "ui/Form.h"
#include "ui/RecordingCanvas.h"
#include "widgets/ImageButton.h"

namespace qb {
namespace {

using ui::MouseButton;
using ui::RecordingCanvas;

class ImageButtonTest : public ::testing::Test {
protected:
    ImageButtonTest() : images(16, 16) {
        for (int i = 0; i < 8; ++i) images.Add(std::vector<uint32_t>(16 * 16, 0xFF000000u | i));
        form.SetBounds(0, 0, 200, 100);
        b.SetParent(&form);
    }
    std::vector<std::string> Paint() {
        RecordingCanvas c;
        b.Paint(c);
        return c.ops;
    }
    std::vector<std::string> Matching(const std::string& prefix) {
        std::vector<std::string> out;
        for (auto& op : Paint())
            if (op.rfind(prefix, 0) == 0) out.push_back(op);
        return out;
    }
    std::string Image() {
        auto v = Matching("image");
        return v.empty() ? "" : v[0];
    }
    ui::Form form;
    ui::ImageList images;
    TTransparentButton b;
};

TEST_F(ImageButtonTest, Defaults) {
    EXPECT_EQ(b.Width(), 40);
    EXPECT_EQ(b.Height(), 40);
    EXPECT_EQ(b.FrameStyle(), fsExplorer);
    EXPECT_EQ(b.TextAlign(), ttaCenter);
    EXPECT_TRUE(b.AutoGray());
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.Spacing(), 2);
    EXPECT_EQ(b.BorderWidth(), 1u);
    // Nothing at rest: explorer style shows a frame only when hot.
    EXPECT_TRUE(Paint().empty());
}

TEST_F(ImageButtonTest, ThreeStateToolbarButtonChangesPictureWithTheMouse) {
    b.SetImageList(&images);
    b.SetThreeState(true);
    b.SetNumGlyphs(3);
    b.SetFrameStyle(fsNone);
    b.SetImageIndex(3);
    b.SetBounds(0, 0, 24, 24);
    EXPECT_EQ(Image(), "image 3 at 4,4 mask");
    b.MouseEnter();
    EXPECT_EQ(Image(), "image 4 at 4,4 mask");
    b.DispatchMouseDown(MouseButton::Left, 5, 5);
    EXPECT_EQ(Image(), "image 5 at 4,4 mask");  // no shift with ThreeState
    b.DispatchMouseUp(MouseButton::Left, 5, 5);
    EXPECT_EQ(Image(), "image 4 at 4,4 mask");
    b.MouseLeave();
    EXPECT_EQ(Image(), "image 3 at 4,4 mask");
    EXPECT_TRUE(Matching("bevel").empty());
    EXPECT_TRUE(Matching("rect").empty());

    b.SetThreeState(false);
    b.SetNumGlyphs(1);
    b.MouseEnter();
    b.DispatchMouseDown(MouseButton::Left, 5, 5);
    EXPECT_EQ(Image(), "image 3 at 5,5 mask");  // pressed look moves it
}

TEST_F(ImageButtonTest, GlyphChoiceByCountAndState) {
    b.SetImageList(&images);
    b.SetFrameStyle(fsLight);
    struct Case {
        int glyphs;
        bool enabled, hot, pressed;
        int expected;
    } cases[] = {
        {2, true, false, false, 0}, {2, false, false, false, 1}, {3, true, true, false, 1}, {3, true, true, true, 2},
        {3, true, false, false, 0}, {4, true, false, true, 2},   {4, false, false, false, 1}, {5, true, true, true, 0},
    };
    for (auto& c : cases) {
        TTransparentButton x;
        x.SetParent(&form);
        x.SetImageList(&images);
        x.SetFrameStyle(fsLight);
        x.SetNumGlyphs(c.glyphs);
        x.SetShowPressed(false);
        if (c.hot) x.MouseEnter();
        if (c.pressed) x.DispatchMouseDown(MouseButton::Left, 1, 1);
        x.SetEnabled(c.enabled);
        RecordingCanvas rc;
        x.Paint(rc);
        auto it = std::find_if(rc.ops.begin(), rc.ops.end(), [](auto& s) { return s.rfind("image", 0) == 0; });
        ASSERT_NE(it, rc.ops.end());
        EXPECT_EQ(*it, "image " + std::to_string(c.expected) + " at 12,12 mask")
            << c.glyphs << " glyphs, enabled " << c.enabled << " hot " << c.hot << " pressed " << c.pressed;
    }
    // Explorer style with AutoGray shows the first picture unless hot.
    b.SetFrameStyle(fsExplorer);
    b.SetNumGlyphs(3);
    b.DispatchMouseDown(MouseButton::Left, 1, 1);
    EXPECT_EQ(Image(), "image 0 at 13,13 mask");
}

TEST_F(ImageButtonTest, IndentButtonPressDragOutAndBack) {
    b.SetFrameStyle(fsIndent);
    b.SetCaption("Remove");
    b.SetBounds(0, 0, 75, 25);
    auto rest = Paint();
    EXPECT_EQ(rest, (std::vector<std::string>{"bevel 0,0,74,24 shadow/shadow 1", "bevel 1,1,75,25 hilite/hilite 1",
                                              "bevel 0,0,75,25 shadow/hilite 1", "text \"Remove\" 19,6,55,19 wintext"}));
    b.DispatchMouseDown(MouseButton::Left, 10, 10);
    EXPECT_EQ(Matching("bevel 0,0,75,25"),
              (std::vector<std::string>{"bevel 0,0,75,25 black/hilite 1", "bevel 0,0,75,25 shadow/face 1"}));
    EXPECT_EQ(Matching("text"), std::vector<std::string>{"text \"Remove\" 20,7,56,20 wintext"});
    b.DispatchMouseMove(100, 10);  // dragged out while held
    EXPECT_EQ(Paint(), rest);
    EXPECT_TRUE(b.Tracking());
    b.DispatchMouseMove(10, 10);
    EXPECT_TRUE(b.ShownPressed());

    int clicks = 0;
    b.OnClick = [&](ui::Component&) { ++clicks; };
    b.DispatchMouseUp(MouseButton::Left, 10, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Paint(), rest);

    // Released outside: no click.
    b.DispatchMouseDown(MouseButton::Left, 10, 10);
    b.DispatchMouseUp(MouseButton::Left, 100, 10);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ImageButtonTest, FramesByStyle) {
    struct Case {
        TFrameStyle style;
        bool transparent;
        std::vector<std::string> rest;
    } cases[] = {
        {fsRegular, true, {"bevel 1,1,30,20 black/black 2", "bevel 0,0,30,20 hilite/black 2", "bevel 0,0,30,20 face/shadow 2"}},
        {fsRegular, false, {"rect 1,1,30,20 pen black 2 fill face", "bevel 0,0,30,20 hilite/black 2", "bevel 0,0,30,20 face/shadow 2"}},
        {fsIndent, false, {"rect 0,0,29,19 pen shadow 2 fill face", "bevel 1,1,30,20 hilite/hilite 2", "bevel 0,0,30,20 shadow/hilite 2"}},
        {fsLight, true, {"bevel 0,0,30,20 hilite/shadow 1"}},
        {fsDark, false, {"fill 0,0,30,20 face", "bevel 0,0,30,20 face/dark 1"}},
        {fsMono, true, {"bevel 0,0,30,20 hilite/dark 1"}},
        {fsNone, false, {"fill 0,0,30,20 face"}},
    };
    for (auto& c : cases) {
        TTransparentButton x;
        x.SetBounds(0, 0, 30, 20);
        x.SetBorderWidth(2);
        x.SetFrameStyle(c.style);
        x.SetTransparent(c.transparent);
        RecordingCanvas rc;
        x.Paint(rc);
        EXPECT_EQ(rc.ops, c.rest) << c.style << " transparent " << c.transparent;
    }
    // Pressed looks of the one-pixel styles.
    for (auto [style, pressed] : {std::pair{fsLight, "bevel 0,0,30,20 shadow/hilite 1"}, std::pair{fsDark, "bevel 0,0,30,20 dark/face 1"},
                                  std::pair{fsMono, "bevel 0,0,30,20 dark/hilite 1"}}) {
        TTransparentButton x;
        x.SetBounds(0, 0, 30, 20);
        x.SetFrameStyle(style);
        x.SetDown(true);
        RecordingCanvas rc;
        x.Paint(rc);
        EXPECT_EQ(rc.ops, std::vector<std::string>{pressed}) << style;
    }
    // Explorer: a raised frame when hot, sunken when pressed over it.
    b.SetBounds(0, 0, 30, 20);
    b.MouseEnter();
    EXPECT_EQ(Paint(), std::vector<std::string>{"bevel 0,0,30,20 hilite/shadow 1"});
    b.DispatchMouseDown(MouseButton::Left, 3, 3);
    EXPECT_EQ(Paint(), std::vector<std::string>{"bevel 0,0,30,20 shadow/hilite 1"});
    b.SetShowPressed(false);
    EXPECT_EQ(Paint(), std::vector<std::string>{"bevel 0,0,30,20 hilite/shadow 1"});
}

TEST_F(ImageButtonTest, PictureAndCaptionPlacement) {
    b.SetImageList(&images);
    b.SetBounds(0, 0, 75, 40);
    b.SetCaption("Browse");  // 36 x 13
    struct Case {
        TTextAlign align;
        const char* image;
        const char* text;
    } cases[] = {
        {ttaRight, "image 0 at 2,12 mask", "text \"Browse\" 37,14,73,27 wintext"},
        {ttaLeft, "image 0 at 57,12 mask", "text \"Browse\" 2,14,38,27 wintext"},
        {ttaBottom, "image 0 at 29,2 mask", "text \"Browse\" 19,20,55,33 wintext"},
        {ttaTop, "image 0 at 29,22 mask", "text \"Browse\" 19,7,55,20 wintext"},
        {ttaTopLeft, "image 0 at 29,22 mask", "text \"Browse\" 2,7,38,20 wintext"},
        {ttaBottomRight, "image 0 at 29,2 mask", "text \"Browse\" 37,20,73,33 wintext"},
        {ttaCenter, "image 0 at 29,12 mask", "text \"Browse\" 19,14,55,27 wintext"},
    };
    for (auto& c : cases) {
        b.SetTextAlign(c.align);
        EXPECT_EQ(Image(), c.image) << c.align;
        EXPECT_EQ(Matching("text"), std::vector<std::string>{c.text}) << c.align;
    }
    // No picture: index -1 hides it and the caption stands alone.
    b.SetImageIndex(-1);
    b.SetTextAlign(ttaCenter);
    EXPECT_EQ(Image(), "");
    EXPECT_EQ(Matching("text").size(), 1u);
    // Not transparent: the picture sits on the button face.
    b.SetImageIndex(1);
    b.SetTransparent(false);
    EXPECT_EQ(Image(), "image 1 at 29,12 on face");
}

TEST_F(ImageButtonTest, DisabledButtonIsEngravedAndIgnoresTheMouse) {
    b.SetImageList(&images);
    b.SetFrameStyle(fsNone);
    b.SetNumGlyphs(2);
    b.SetImageIndex(4);
    b.SetCaption("Go");
    b.SetBounds(0, 0, 40, 40);
    b.MouseEnter();
    b.DispatchMouseDown(MouseButton::Left, 1, 1);
    b.SetEnabled(false);
    EXPECT_FALSE(b.Hot() || b.ShownPressed() || b.Tracking() || b.ButtonHeld());
    b.MouseEnter();
    b.DispatchMouseDown(MouseButton::Left, 1, 1);
    EXPECT_FALSE(b.Hot() || b.ButtonHeld());
    EXPECT_EQ(Image(), "image 5 at 12,12 mask");
    EXPECT_EQ(Matching("text"), (std::vector<std::string>{"text \"Go\" 15,15,27,28 hilite", "text \"Go\" 14,14,26,27 shadow"}));
}

TEST_F(ImageButtonTest, HeldDownSecondButtonAndEvents) {
    std::vector<std::string> events;
    b.OnMouseDown = [&](ui::Component&, MouseButton, int, int) { events.push_back("down"); };
    b.OnMouseUp = [&](ui::Component&, MouseButton, int, int) { events.push_back("up"); };
    b.OnMouseEnter = [&](ui::Component&) { events.push_back("enter"); };
    b.OnMouseExit = [&](ui::Component&) { events.push_back("exit"); };
    b.OnClick = [&](ui::Component&) { events.push_back("click"); };
    b.MouseEnter();
    b.DispatchMouseDown(MouseButton::Left, 1, 1);
    b.DispatchMouseDown(MouseButton::Right, 1, 1);  // ignored while held
    b.DispatchMouseUp(MouseButton::Left, 1, 1);
    b.MouseLeave();
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "down", "click", "up", "exit"}));

    // Down: pressed for good; a release raises nothing and keeps it pressed.
    events.clear();
    b.SetDown(true);
    EXPECT_TRUE(b.ShownPressed() && b.Tracking());
    b.DispatchMouseDown(MouseButton::Right, 1, 1);
    b.DispatchMouseUp(MouseButton::Right, 1, 1);
    EXPECT_EQ(events, std::vector<std::string>{"down"});
    EXPECT_TRUE(b.ShownPressed());
}

TEST_F(ImageButtonTest, MovableButtonFollowsTheMouse) {
    b.SetMovable(true);
    b.SetBounds(10, 10, 40, 40);
    b.DispatchMouseDown(MouseButton::Left, 5, 5);
    b.DispatchMouseMove(25, 8);
    EXPECT_EQ(b.Left(), 30);
    EXPECT_EQ(b.Top(), 13);
}

TEST_F(ImageButtonTest, AcceleratorClicksOnlyWhenEnabled) {
    int clicks = 0;
    b.OnClick = [&](ui::Component&) { ++clicks; };
    b.SetCaption("E&xit");
    EXPECT_FALSE(form.BroadcastDialogChar('e'));
    EXPECT_TRUE(form.BroadcastDialogChar('x'));
    EXPECT_TRUE(form.BroadcastDialogChar('X'));
    b.SetEnabled(false);
    EXPECT_FALSE(form.BroadcastDialogChar('x'));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ImageButtonTest, PopupMenuOpensBelowAndTheButtonComesBackUp) {
    auto& menu = form.Make<ui::PopupMenu>("Menu1");
    b.SetPopUpMenu(&menu);
    b.SetBounds(20, 30, 40, 25);
    b.DispatchMouseDown(MouseButton::Left, 5, 5);
    EXPECT_EQ(menu.PopupCount(), 1);
    EXPECT_FALSE(b.ShownPressed() || b.ButtonHeld());
    // The menu going away clears the reference.
    form.Destroy(menu);
    EXPECT_EQ(b.PopUpMenu(), nullptr);
    b.DispatchMouseDown(MouseButton::Left, 5, 5);
    EXPECT_TRUE(b.ShownPressed());
}

}  // namespace
}  // namespace qb
