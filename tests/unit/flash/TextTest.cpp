// Static text: glyph outlines from the font, placed by the text records.
#include "tests/support/BitWriter.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

// A one-glyph font (DefineFont): a square of 0..512 em units.
Bytes SquareFont(uint16_t id) {
    BitWriter b;
    b.WriteUnsigned(1, 4);  // fill style bits
    b.WriteUnsigned(0, 4);  // line style bits
    b.WriteUnsigned(0, 1);
    b.WriteUnsigned(0x03, 5);  // fill style 0 and a move
    b.WriteUnsigned(11, 5);
    b.WriteSigned(0, 11);
    b.WriteSigned(-512, 11);
    b.WriteUnsigned(1, 1);  // fill 0 = 1
    for (auto [dx, dy] : {std::pair{512, 0}, {0, 512}, {-512, 0}, {0, -512}}) {
        b.WriteUnsigned(0b11, 2);
        b.WriteUnsigned(11 - 2, 4);
        b.WriteFlag(true);
        b.WriteSigned(dx, 11);
        b.WriteSigned(dy, 11);
    }
    b.WriteUnsigned(0, 6);
    const Bytes glyph = b.Take();
    ByteWriter w;
    w.U16(id).U16(2).Append(glyph);  // one offset: the glyph right after the table
    return w.Take();
}

TEST(Text, GlyphsArePlacedScaledAndColoured) {
    SwfWriter movie;
    movie.Tag(10, SquareFont(1));
    ByteWriter text;
    text.U16(2).Append(EncodeRect({0, 4000, 0, 1000})).Append(EncodeMatrix({.Tx = 100, .Ty = 200}));
    text.U8(1).U8(12);  // glyph index bits, advance bits
    // Font 1, red, x 0, y 600, height 400 twips; two glyphs 500 twips apart.
    text.U8(0x8F).U16(1).Rgb(0xFF0000).U16(0).U16(600).U16(400).U8(2);
    BitWriter g;
    for (int i = 0; i < 2; ++i) {
        g.WriteUnsigned(0, 1);
        g.WriteSigned(500, 12);
    }
    text.Append(g.Take()).U8(0);
    movie.Tag(11, text.Data());
    Place(movie, {.Depth = 1, .Character = 2});
    movie.ShowFrame().End();

    auto def = LoadMovie(movie);
    const auto* c = def->Find(2);
    ASSERT_TRUE(c && c->Shape);
    const swf::ShapeDef& s = *c->Shape;
    ASSERT_EQ(s.Fills.size(), 1u);
    EXPECT_EQ(s.Fills[0].Color, (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(s.Edges.size(), 8u);
    // 512 em units at 400 twips high are 200 twips; the second glyph 500 on.
    EXPECT_EQ(s.Bounds.XMin, 100);
    EXPECT_EQ(s.Bounds.XMax, 100 + 500 + 200);
    EXPECT_EQ(s.Bounds.YMin, 200 + 600 - 200);
    EXPECT_EQ(s.Bounds.YMax, 200 + 600);
}

}  // namespace
}  // namespace qb::test
