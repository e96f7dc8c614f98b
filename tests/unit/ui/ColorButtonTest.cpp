#include <gtest/gtest.h>

#include <algorithm>

#include "ui/Form.h"
#include "ui/RecordingCanvas.h"
#include "widgets/ColorButton.h"

namespace qb {
namespace {

bool Shows(TColorButton& b, const std::string& colour) {
    ui::RecordingCanvas c;
    b.Paint(c);
    return std::any_of(c.ops.begin(), c.ops.end(),
                       [&](const std::string& op) { return op.rfind("rect ", 0) == 0 && op.find("fill " + colour) != std::string::npos; });
}

// The change event tells the window about the user's choice only; a colour
// set from the settings file must not look like an edit.
TEST(ColorButton, OnlyThePickRaisesTheChangeAndTheSwatchShowsTheColour) {
    ui::Form form;
    TColorButton& b = form.Make<TColorButton>("btnBgColor");
    b.SetParent(&form);
    int changes = 0;
    b.OnChange = [&](ui::Component&) { ++changes; };

    b.SetActiveColor(0x0000FF);  // red in the window system's order
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(b.ActiveColor(), 0x0000FFu);
    EXPECT_TRUE(Shows(b, "#0000FF"));

    b.SetNormalColor(0xFFFFFF);
    b.PickNormal();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.ActiveColor(), 0xFFFFFFu);
    EXPECT_TRUE(Shows(b, "#FFFFFF"));
}

TEST(ColorButton, ChoicesAreNamedAndTranslatable) {
    TColorButton b;
    EXPECT_EQ(b.NormalColorText(), "Normal Color");
    const ui::PropInfo* p = b.FindProperty("CustomColorText");
    ASSERT_NE(p, nullptr);
    p->setString(b, "\xD7\xD4\xB6\xA8\xD2\xE5");
    EXPECT_EQ(b.CustomColorText(), "\xD7\xD4\xB6\xA8\xD2\xE5");
    // The colour keeps to 24 bits whatever is stored.
    b.SetActiveColor(0xFF123456);
    EXPECT_EQ(b.ActiveColor(), 0x123456u);
}

}  // namespace
}  // namespace qb
