// Text drawn glyph by glyph from kept coverage looks as its whole outline
// drawn in one pass does.
#include "flash/movie/StageRenderer.h"
#include "tests/support/TextBuilder.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

// Static text and a bordered field; frame 2 moves both by whole quarter
// pixels (5 twips), which the kept glyphs land on exactly.
SwfWriter MovingText() {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 4000, 0, 3000}});
    w.SetBackgroundColor(0xF4F0E8);
    DefineFont2(w, 1, BlockFont());
    DefineText2(w, 2, {0, 4000, 0, 3000}, {},
                {BlockRun(1, "MOVING TEXT", 300, 100, 600, 0xC02020FF), BlockRun(1, "SMALL 0123", 160, 100, 900, 0x2040E0FF)});
    DefineEditText(w, 3, {.Bounds = {0, 2400, 0, 900}, .WordWrap = true, .Multiline = true, .Border = true,
                          .UseOutlines = true, .Font = 1, .Height = 200, .Rgba = 0x206020FF,
                          .Text = "A FIELD THAT WRAPS ITS WORDS"});
    Place(w, {.Depth = 1, .Character = 2, .Matrix = MatrixSpec{.Tx = 10, .Ty = 20}});
    Place(w, {.Depth = 2, .Character = 3, .Matrix = MatrixSpec{.Tx = 400, .Ty = 1500}});
    w.ShowFrame();
    Place(w, {.Depth = 1, .Move = true, .Matrix = MatrixSpec{.Tx = 45, .Ty = 35}});
    Place(w, {.Depth = 2, .Move = true, .Matrix = MatrixSpec{.Tx = 515, .Ty = 1555}});
    w.ShowFrame().End();
    return w;
}

int WorstDifference(const render::Image& a, const render::Image& b) {
    int worst = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs(static_cast<int>((a.Pixels[i] >> shift) & 0xFF) -
                                             static_cast<int>((b.Pixels[i] >> shift) & 0xFF)));
    return worst;
}

TEST(GlyphCache, MovedTextMatchesItsWholeOutline) {
    auto def = LoadMovie(MovingText());
    for (auto quality : {render::Quality::Low, render::Quality::High}) {
        SCOPED_TRACE(static_cast<int>(quality));
        // One renderer sees the text at the same size twice: the second
        // frame comes from kept glyphs. A fresh one draws it whole.
        movie::Movie played(def);
        movie::StageRenderer kept(quality);
        render::Image first, second, whole;
        first.Resize(200, 150), second.Resize(200, 150), whole.Resize(200, 150);
        kept.Render(played, first);
        played.Tick();
        kept.Render(played, second);
        movie::Movie fresh(def);
        fresh.Tick();
        movie::StageRenderer(quality).Render(fresh, whole);
        EXPECT_NE(first.Pixels, second.Pixels);  // it did move
        // The whole outline puts its points on whole twips, the kept glyphs
        // on exact positions: edge pixels differ by a twentieth of a pixel's
        // cover at most. A glyph a quarter pixel off differs by far more.
        EXPECT_LE(WorstDifference(second, whole), 16);
    }
}

TEST(GlyphCache, OnlyUprightSmallGlyphsAreKept) {
    swf::ShapeDef square;
    square.Edges.push_back({.X0 = 0, .Y0 = 0, .X1 = 100, .Y1 = 0, .FillLeft = 1});
    const render::PlacedGlyph glyph{&square, {0.1, 0, 0, 0.1, 0, 0}, 1, 100};  // 10 px
    struct Case {
        const char* Name;
        swf::Matrix Map;
        bool Fits;
    };
    const Case cases[] = {
        {"moved", {1, 0, 0, 1, 123.4, -5.5}, true},
        {"scaled up near the limit", {6.3, 0, 0, 6.3, 0, 0}, true},
        {"larger", {6.5, 0, 0, 1, 0, 0}, false},
        {"mirrored", {-1, 0, 0, 1, 0, 0}, true},
        {"turned", {0.98, 0.17, -0.17, 0.98, 0, 0}, false},
        {"skewed", {1, 0, 0.2, 1, 0, 0}, false},
        {"broken", {std::numeric_limits<double>::infinity(), 0, 0, 1, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(render::ShapeDrawer::GlyphsFit(std::span(&glyph, 1), c.Map), c.Fits);
    }
}

}  // namespace
}  // namespace qb::test
