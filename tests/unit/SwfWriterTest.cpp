#include "tests/support/BitWriter.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>

namespace qb::test {
namespace {

TEST(BitWriter, PacksFieldsMostSignificantBitFirstAcrossBytes) {
    BitWriter w;
    w.WriteUnsigned(0b101, 3);
    w.WriteSigned(-1, 4);
    w.WriteUnsigned(0, 2);
    w.WriteUnsigned(1, 7);
    w.WriteFlag(true);
    EXPECT_EQ(w.Take(), (Bytes{0b10111110, 0b00000001, 0b10000000}));
}

TEST(BitWriter, SignedBitsIsTheSmallestTwosComplementWidth) {
    const struct { int32_t value; unsigned bits; } cases[] = {
        {0, 1}, {1, 2}, {-1, 1}, {-2, 2}, {63, 7}, {-64, 7}, {64, 8}, {-65, 8}, {INT32_MAX, 32}, {INT32_MIN, 32},
    };
    for (const auto& c : cases) EXPECT_EQ(BitWriter::SignedBits(c.value), c.bits) << c.value;
}

TEST(SwfWriter, WritesTheHeaderOfAnUncompressedMovie) {
    SwfWriter swf;  // 550 x 400 pixels, 12 frames per second, version 6
    swf.ShowFrame().End();
    const Bytes expected{
        'F', 'W', 'S', 6, 25, 0, 0, 0,                          // signature, version, file length
        0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,   // RECT, 15-bit fields
        0x00, 0x0C,                                             // 12.0 in 8.8 fixed point
        0x01, 0x00,                                             // frame count from the ShowFrame tags
        0x40, 0x00, 0x00, 0x00,                                 // ShowFrame, End
    };
    EXPECT_EQ(swf.Movie(), expected);
    EXPECT_EQ(swf.TagsOffset(), 21u);
}

TEST(SwfWriter, HeaderOverridesAreWrittenAsGiven) {
    SwfWriter swf({.Version = 10, .FrameRate = 24.5, .FrameCount = 65535, .FileLength = 0x12345678});
    swf.End();
    const Bytes movie = swf.Movie();
    EXPECT_EQ(movie[3], 10);
    EXPECT_EQ(Bytes(movie.begin() + 4, movie.begin() + 8), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Bytes(movie.begin() + 17, movie.begin() + 21), (Bytes{0x80, 0x18, 0xFF, 0xFF}));
}

TEST(SwfWriter, RectUsesTheMinimalFieldWidthUnlessAWiderOneIsAsked) {
    const struct {
        RectTwips rect;
        unsigned fieldBits;
        Bytes expected;
    } cases[] = {
        {{0, 0, 0, 0}, 0, {0x08, 0x00}},  // width 1, four zero bits
        // width 2: 00010 11 01 11 01, padded
        {{-1, 1, -1, 1}, 0, {0b00010110, 0b11101000}},
        {{0, 0, 0, 0}, 31, Bytes{0xF8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeRect(c.rect, c.fieldBits), c.expected);

    // The widest values a RECT holds need all 31 bits: 17 bytes in all.
    const Bytes wide = EncodeRect({-(1 << 30), (1 << 30) - 1, 0, 0});
    EXPECT_EQ(wide.size(), 17u);
    EXPECT_EQ(wide[0] >> 3, 31);
}

TEST(SwfWriter, TagHeadersTakeShortOrLongForm) {
    const Bytes four{1, 2, 3, 4};
    EXPECT_EQ(EncodeTag(tag::StartSound, four), (Bytes{0xC4, 0x03, 1, 2, 3, 4}));
    EXPECT_EQ(EncodeTag(tag::StartSound, four, TagForm::Long), (Bytes{0xFF, 0x03, 4, 0, 0, 0, 1, 2, 3, 4}));
    // 62 bytes still fit the short header; 63 is the escape value.
    EXPECT_EQ(EncodeTag(tag::DoAction, Bytes(62)).size(), 2u + 62);
    const Bytes longByLength = EncodeTag(tag::DoAction, Bytes(63));
    EXPECT_EQ(Bytes(longByLength.begin(), longByLength.begin() + 6), (Bytes{0x3F, 0x03, 63, 0, 0, 0}));
}

TEST(SwfWriter, SpriteHoldsItsOwnTagsAndFrameCount) {
    TagList inner;
    inner.ShowFrame().ShowFrame().End();
    TagList sprite;
    sprite.DefineSprite(9, inner);
    // DefineSprite (39) with length 4 + 6: id 9, 2 frames, then the inner tags.
    EXPECT_EQ(sprite.Data(), (Bytes{0xCA, 0x09, 9, 0, 2, 0, 0x40, 0, 0x40, 0, 0, 0}));
    EXPECT_EQ(sprite.ShowFrames(), 0);  // the sprite's frames are not the movie's
}

TEST(SwfWriter, SoundTagsCarryTheirRecords) {
    TagList tags;
    tags.StartSound(5, {.SyncNoMultiple = true, .LoopCount = 3});
    EXPECT_EQ(tags.Data(), (Bytes{0xC5, 0x03, 5, 0, 0x14, 3, 0}));

    TagList button;
    button.DefineButtonSound(2, {1, 0, 0, 0}, TagForm::Long);
    EXPECT_EQ(button.Data(), (Bytes{0x7F, 0x04, 11, 0, 0, 0, 2, 0, 1, 0, 0x00, 0, 0, 0, 0, 0, 0}));
}

TEST(SwfWriter, CompressedMovieInflatesToTheUncompressedOne) {
    SwfWriter swf;
    swf.SetBackgroundColor(0x336699).DefineShape(1, {-200, 2000, 100, 1500}, 0xFF0000).ShowFrame().End();
    const Bytes plain = swf.Movie();
    const Bytes packed = swf.CompressedMovie();

    EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 8), (Bytes{'C', plain[1], plain[2], plain[3], plain[4], plain[5], plain[6], plain[7]}));
    Bytes inflated(plain.size() - 8);
    uLongf size = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(inflated.data(), &size, packed.data() + 8, static_cast<uLong>(packed.size() - 8)), Z_OK);
    EXPECT_EQ(size, inflated.size());
    EXPECT_EQ(inflated, Bytes(plain.begin() + 8, plain.end()));
}

TEST(SwfWriter, ProjectorAppendsMovieFourBytesAndLength) {
    const Bytes stub{'M', 'Z', 1, 2, 3};
    const Bytes movie{'F', 'W', 'S', 6, 9, 0, 0, 0, 0};
    const Bytes exe = MakeProjector(stub, movie);
    ASSERT_EQ(exe.size(), stub.size() + movie.size() + 8);
    EXPECT_EQ(Bytes(exe.begin(), exe.begin() + 5), stub);
    EXPECT_EQ(Bytes(exe.begin() + 5, exe.begin() + 14), movie);
    EXPECT_EQ(Bytes(exe.end() - 4, exe.end()), (Bytes{9, 0, 0, 0}));
    EXPECT_EQ(MakeProjector(stub, movie, 0x01020304).back(), 0x01);
}

}  // namespace
}  // namespace qb::test
