// A movie that opens with an opaque upright box gets no background under
// it, since the box paints those pixels anyway. Whatever a canvas held
// before, a frame must come out the same: the box is recognised only when
// it surely covers what it claims to.
#include "flash/movie/StageRenderer.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace qb::test {
namespace {

struct BackdropCase {
    std::string Name;
    std::function<void(ShapeBuilder&)> Draw;
    PlaceSpec Place;  // character and depth filled in
    bool Covers;      // recognised as an opaque box
};

SwfWriter OpeningWith(const BackdropCase& c) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 4000, 0, 3000}});
    w.SetBackgroundColor(0x3366CC);
    ShapeBuilder backdrop;
    c.Draw(backdrop);
    Shape(w, 1, backdrop);
    ShapeBuilder spot;
    spot.Circle(2000, 1500, 600, spot.Solid(0xFFCC00FF));
    Shape(w, 2, spot);
    PlaceSpec p = c.Place;
    p.Depth = 1, p.Character = 1;
    Place(w, p);
    Place(w, {.Depth = 2, .Character = 2});
    w.ShowFrame().End();
    return w;
}

std::vector<BackdropCase> Cases() {
    const uint32_t opaque = 0x20A040FF;
    return {
        {"the whole stage", [=](ShapeBuilder& s) { s.Rect(0, 0, 4000, 3000, s.Solid(opaque)); }, {}, true},
        {"a box inside it", [=](ShapeBuilder& s) { s.Rect(700, 450, 3100, 2650, s.Solid(opaque)); }, {}, true},
        {"sides drawn in pieces",
         [=](ShapeBuilder& s) {
             s.Styles(0, s.Solid(opaque), 0);
             s.MoveTo(500, 500).LineTo(3500, 500).LineTo(3500, 1200).LineTo(3500, 2500).LineTo(2000, 2500);
             s.LineTo(500, 2500).LineTo(500, 1700).LineTo(500, 500);
         },
         {},
         true},
        {"a box with a hole",
         [=](ShapeBuilder& s) {
             s.Rect(500, 500, 3500, 2500, s.Solid(opaque));
             s.MoveTo(1500, 1000).LineTo(1500, 2000).LineTo(2500, 2000).LineTo(2500, 1000).LineTo(1500, 1000);
         },
         {},
         false},
        {"three sides only",
         [=](ShapeBuilder& s) {
             s.Styles(0, s.Solid(opaque), 0);
             s.MoveTo(500, 500).LineTo(3500, 500).LineTo(3500, 2500).LineTo(500, 2500);
         },
         {},
         false},
        {"see-through", [](ShapeBuilder& s) { s.Rect(0, 0, 4000, 3000, s.Solid(0x20A04080)); }, {}, false},
        {"faded by its colour transform", [=](ShapeBuilder& s) { s.Rect(0, 0, 4000, 3000, s.Solid(opaque)); },
         {.Cx = CxformSpec{.AMul = 128}}, false},
        {"turned", [=](ShapeBuilder& s) { s.Rect(0, 0, 4000, 3000, s.Solid(opaque)); },
         {.Matrix = MatrixSpec{.A = 0.9, .B = 0.3, .C = -0.3, .D = 0.9}}, false},
        {"beside the stage, off the canvas", [=](ShapeBuilder& s) { s.Rect(0, 0, 4000, 3000, s.Solid(opaque)); },
         {.Matrix = MatrixSpec{.Tx = 40000}}, true},
        {"round", [=](ShapeBuilder& s) { s.Circle(2000, 1500, 1400, s.Solid(opaque)); }, {}, false},
    };
}

TEST(Backdrop, FramesComeOutTheSameWhateverTheCanvasHeld) {
    for (const BackdropCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        movie::Movie m(LoadMovie(OpeningWith(c)));
        // Wider than the stage: the background also fills the bars beside it.
        render::Image fresh, used;
        fresh.Resize(260, 150);
        used.Resize(260, 150);
        std::fill(used.Pixels.begin(), used.Pixels.end(), 0xFFFF00FFu);
        movie::StageRenderer().Render(m, fresh);
        movie::StageRenderer().Render(m, used);
        EXPECT_TRUE(fresh.Pixels == used.Pixels);
    }
}

TEST(Backdrop, OnlyAnOpaqueUprightBoxIsTakenForOne) {
    for (const BackdropCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        movie::Movie m(LoadMovie(OpeningWith(c)));
        const movie::DisplayObject& first = *m.Root().Children().at(1);
        const swf::Matrix at = movie::ShowAllMatrix(m.Definition().File().FrameRect, 260, 150) * first.Matrix;
        render::ShapeDrawer drawer(render::Quality::High, [](uint16_t) { return nullptr; });
        EXPECT_EQ(!drawer.OpaqueRect(*first.Char->Shape, at, first.Cx).Empty(), c.Covers);
    }
}

}  // namespace
}  // namespace qb::test
