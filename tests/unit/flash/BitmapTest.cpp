// Bitmap tags: every form a picture may come in decodes to the same pixels,
// and damaged or lying ones leave an empty character in a movie that plays.
#include "flash/movie/StageRenderer.h"
#include "tests/support/ImageFiles.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <functional>

namespace qb::test {
namespace {

constexpr int kSide = 16;
constexpr uint32_t kRed = 0xE02020FF, kBlue = 0x2040E0FF;

// Left half red, right half blue; the bottom half a quarter opaque.
std::vector<uint32_t> Picture() {
    std::vector<uint32_t> px;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) px.push_back(((x < kSide / 2 ? kRed : kBlue) & ~0xFFu) | (y < kSide / 2 ? 0xFF : 0x40));
    return px;
}

Bytes AlphaPlane() {
    Bytes a;
    for (uint32_t c : Picture()) a.push_back(static_cast<uint8_t>(c & 0xFF));
    return a;
}

// The tables part (quantisation and Huffman segments) and the rest of a
// JPEG file, each a stream of its own, as the oldest bitmap form stores them.
std::pair<Bytes, Bytes> SplitJpeg(const Bytes& jpeg) {
    Bytes tables{0xFF, 0xD8}, image{0xFF, 0xD8};
    size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        const uint8_t marker = jpeg[at + 1];
        if (marker == 0xDA) break;  // the scan runs to the end
        const size_t len = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
        Bytes& to = marker == 0xDB || marker == 0xC4 ? tables : image;
        to.insert(to.end(), jpeg.begin() + static_cast<long>(at), jpeg.begin() + static_cast<long>(at + 2 + len));
        at += 2 + len;
    }
    image.insert(image.end(), jpeg.begin() + static_cast<long>(at), jpeg.end());
    tables.insert(tables.end(), {0xFF, 0xD9});
    return {tables, image};
}

// Where the frame header of a JPEG file keeps its height and width.
size_t JpegSizeAt(const Bytes& jpeg) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return i + 5;
    throw std::runtime_error("no frame header");
}

SwfWriter Holding(const std::function<void(TagList&)>& define) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, kSide * 20, 0, kSide * 20}});
    w.SetBackgroundColor(0xFFFFFF);
    define(w);
    ShapeBuilder s;  // the bitmap one movie pixel a bitmap pixel, over the stage
    s.Rect(0, 0, kSide * 20, kSide * 20, s.Bitmap(1, {.A = 20, .D = 20}, false, false));
    Shape(w, 2, s);
    Place(w, {.Depth = 1, .Character = 2});
    w.ShowFrame().End();
    return w;
}

int Channel(uint32_t c, int shift) { return static_cast<int>(c >> shift & 0xFF); }

TEST(Bitmaps, EveryFormDecodesToThePicture) {
    const auto px = Picture();
    const Bytes jpeg = EncodeJpeg(kSide, kSide, px), png = EncodePng(kSide, kSide, px), gif = EncodeGif(kSide, kSide, px);
    struct Case {
        const char* name;
        std::function<void(TagList&)> define;
        int alphaBelow;  // the lower half's alpha
        int tolerance;   // JPEG is lossy
    };
    const std::vector<Case> cases = {
        {"jpeg", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, jpeg); }, 255, 12},
        {"jpeg behind a stray end and start",
         [&](TagList& t) {
             Bytes odd = jpeg;
             odd.insert(odd.begin(), {0xFF, 0xD9, 0xFF, 0xD8});
             BitmapJpeg(t, tag::DefineBitsJpeg2, 1, odd);
         },
         255, 12},
        {"jpeg with the movie's shared tables",
         [&](TagList& t) {
             const auto [tables, image] = SplitJpeg(jpeg);
             t.Tag(tag::JpegTables, tables, TagForm::Long);
             BitmapJpeg(t, tag::DefineBits, 1, image);
         },
         255, 12},
        {"png in a jpeg tag", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, png); }, 0x40, 1},
        {"gif in a jpeg tag", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, gif); }, 0, 1},
        {"jpeg with alpha", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg3, 1, jpeg, AlphaPlane()); }, 0x40, 12},
        {"png in the alpha form", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg3, 1, png); }, 0x40, 1},
        {"jpeg with alpha and deblocking",
         [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg4, 1, jpeg, AlphaPlane()); }, 0x40, 12},
        {"gif in the deblocking form", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg4, 1, gif); }, 0, 1},
        {"lossless", [&](TagList& t) { BitmapLossless(t, 1, kSide, kSide, px); }, 255, 0},
        {"lossless with alpha", [&](TagList& t) { BitmapLossless2(t, 1, kSide, kSide, px); }, 0x40, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto def = LoadMovie(Holding(c.define));
        const render::Image* img = def->FindBitmap(1);
        ASSERT_NE(img, nullptr);
        ASSERT_EQ(img->Width, kSide);
        ASSERT_EQ(img->Height, kSide);
        // Premultiplied: the colour scales with the alpha.
        auto expect = [&](int x, int y, uint32_t rgba, int alpha) {
            const uint32_t got = img->Row(y)[x];
            EXPECT_NEAR(Channel(got, 24), alpha, 1) << x << "," << y;
            EXPECT_NEAR(Channel(got, 16), Channel(rgba, 24) * alpha / 255, c.tolerance) << x << "," << y;
            EXPECT_NEAR(Channel(got, 8), Channel(rgba, 16) * alpha / 255, c.tolerance) << x << "," << y;
            EXPECT_NEAR(Channel(got, 0), Channel(rgba, 8) * alpha / 255, c.tolerance) << x << "," << y;
        };
        expect(3, 3, kRed, 255);
        expect(12, 3, kBlue, 255);
        expect(3, 12, kRed, c.alphaBelow);
        expect(12, 12, kBlue, c.alphaBelow);
    }
}

TEST(Bitmaps, AlphaPlaneShowsTheStageThrough) {
    const Bytes jpeg = EncodeJpeg(kSide, kSide, Picture());
    const auto image = movie::RenderFrame(
        LoadMovie(Holding([&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg4, 1, jpeg, AlphaPlane()); })), 0, kSide,
        kSide, render::Quality::High);
    const uint32_t top = image.Row(3)[12], bottom = image.Row(12)[12];
    EXPECT_NEAR(Channel(top, 16), 0x20, 12);
    // A quarter of blue over white.
    EXPECT_NEAR(Channel(bottom, 16), 0x20 * 64 / 255 + 255 * 191 / 255, 6);
    EXPECT_NEAR(Channel(bottom, 0), 0xE0 * 64 / 255 + 255 * 191 / 255, 6);
}

TEST(Bitmaps, DamagedOrLyingPicturesDrawNothingAndTheMoviePlays) {
    const auto px = Picture();
    const Bytes jpeg = EncodeJpeg(kSide, kSide, px), png = EncodePng(kSide, kSide, px), gif = EncodeGif(kSide, kSide, px);
    Bytes hugeJpeg = jpeg;  // frame header: 65535 x 65535
    const size_t sof = JpegSizeAt(jpeg);
    hugeJpeg[sof] = hugeJpeg[sof + 1] = hugeJpeg[sof + 2] = hugeJpeg[sof + 3] = 0xFF;
    Bytes hugePng = png;
    hugePng[18] = hugePng[19] = hugePng[22] = hugePng[23] = 0xFF;  // IHDR: 65535 x 65535
    Bytes hugeGif = gif;  // logical screen: 65535 x 65535
    hugeGif[6] = hugeGif[7] = hugeGif[8] = hugeGif[9] = 0xFF;
    auto lossless = [](uint16_t w, uint16_t h, Bytes pixels) {
        return [=](TagList& t) {
            t.Tag(tag::DefineBitsLossless2, ByteWriter().U16(1).U8(5).U16(w).U16(h).Append(pixels).Data(), TagForm::Long);
        };
    };
    struct Case {
        const char* name;
        std::function<void(TagList&)> define;
    };
    const std::vector<Case> cases = {
        {"cut-off jpeg", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, Bytes(jpeg.begin(), jpeg.begin() + 60)); }},
        {"jpeg claiming 65535 x 65535", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, hugeJpeg); }},
        {"png claiming 65535 x 65535", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg3, 1, hugePng); }},
        {"gif claiming 65535 x 65535", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg4, 1, hugeGif); }},
        {"png with its data scrambled",
         [&](TagList& t) {
             Bytes bad = png;
             for (size_t i = 40; i < bad.size() - 12; ++i) bad[i] ^= 0x5A;
             BitmapJpeg(t, tag::DefineBitsJpeg2, 1, bad);
         }},
        {"random bytes", [&](TagList& t) { BitmapJpeg(t, tag::DefineBitsJpeg2, 1, Bytes(300, 0xA7)); }},
        {"alpha offset past the end",
         [&](TagList& t) { t.Tag(tag::DefineBitsJpeg3, ByteWriter().U16(1).U32(1u << 30).Append(jpeg).Data(), TagForm::Long); }},
        {"deblocking form cut after its offset",
         [&](TagList& t) { t.Tag(tag::DefineBitsJpeg4, ByteWriter().U16(1).U32(0).U8(1).Data()); }},
        {"lossless claiming 65535 x 65535", lossless(65535, 65535, Deflate(Bytes(64, 0xFF)))},
        {"lossless with broken zlib", lossless(kSide, kSide, Bytes{0x78, 0x9C, 0xFF, 0xFF, 0x00, 0x12})},
        {"lossless with too few pixels", lossless(kSide, kSide, Deflate(Bytes(kSide * 4, 0xFF)))},
        {"lossless of an unknown format",
         [](TagList& t) { t.Tag(tag::DefineBitsLossless, ByteWriter().U16(1).U8(9).U16(4).U16(4).Data()); }},
        {"tag of two bytes", [](TagList& t) { t.Tag(tag::DefineBitsJpeg3, Bytes{1, 0}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto def = LoadMovie(Holding(c.define));
        EXPECT_EQ(def->FindBitmap(1), nullptr);
        movie::Movie m(def);
        m.Tick();
        const auto image = movie::RenderFrame(def, 0, kSide, kSide, render::Quality::High);
        EXPECT_EQ(image.Row(8)[8], 0xFFFFFFFFu);  // the white stage
    }

    // A damaged alpha plane leaves the picture whole and opaque.
    Bytes cutAlpha = Deflate(AlphaPlane());
    cutAlpha.resize(cutAlpha.size() / 2);
    auto def = LoadMovie(Holding([&](TagList& t) {
        t.Tag(tag::DefineBitsJpeg3, ByteWriter().U16(1).U32(static_cast<uint32_t>(jpeg.size())).Append(jpeg).Append(cutAlpha).Data(),
              TagForm::Long);
    }));
    ASSERT_NE(def->FindBitmap(1), nullptr);
    EXPECT_EQ(def->FindBitmap(1)->Row(12)[12] >> 24, 255u);
}

}  // namespace
}  // namespace qb::test
