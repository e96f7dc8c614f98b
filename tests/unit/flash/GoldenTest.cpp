// Pictures: small movies made here, drawn as `qbtool render` draws them,
// compared with the reviewed pictures in tests/golden/<case>/ (the movie,
// the expected picture, and the tolerance of the comparison).
//
// QB_GOLDEN_UPDATE=1 writes the folders anew from this file; look at every
// picture it wrote before committing it.
#include "flash/movie/StageRenderer.h"
#include "flash/render/Png.h"
#include "platform/File.h"
#include "tests/support/MorphBuilder.h"
#include "tests/support/TextBuilder.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace qb::test {
namespace {

using render::Quality;

constexpr uint32_t kRed = 0xE02020FF, kBlue = 0x2040E0FF, kGreen = 0x20A040FF, kYellow = 0xF0D020FF;

// A 200 x 150 pixel stage on a pale background.
SwfWriter Stage200(uint8_t version = 8) {
    SwfWriter w(MovieHeader{.Version = version, .FrameRect = {0, 4000, 0, 3000}});
    w.SetBackgroundColor(0xF4F0E8);
    return w;
}

SwfWriter Shapes() {
    SwfWriter w = Stage200();
    ShapeBuilder a;
    a.Rect(200, 200, 1800, 1400, a.Solid(kRed));
    Shape(w, 1, a);
    ShapeBuilder b;  // translucent circle over the square
    b.Circle(1800, 1400, 700, b.Solid(0x2040E080));
    Shape(w, 2, b);
    ShapeBuilder c;  // a frame: two outlines of one style, the inner one a hole (even-odd)
    const uint32_t f = c.Solid(kGreen);
    c.Rect(2200, 200, 3800, 1400, f).Rect(2600, 500, 3400, 1100, f);
    Shape(w, 3, c);
    ShapeBuilder d(true);  // the same outlines with the non-zero rule: no hole
    d.NonZero();
    const uint32_t g = d.Solid(kYellow);
    d.Rect(2200, 1600, 3800, 2800, g).Rect(2600, 1900, 3400, 2500, g);
    Shape(w, 4, d);
    ShapeBuilder e;  // two regions sharing an edge: no seam between them
    const uint32_t left = e.Solid(kBlue), right = e.Solid(kRed);
    e.Styles(0, left, 0).MoveTo(200, 1700).LineTo(1000, 1700);
    e.Styles(right, left, 0).CurveTo(1400, 2200, 1000, 2800);
    e.Styles(0, left, 0).LineTo(200, 2800).LineTo(200, 1700);
    e.Styles(0, right, 0).MoveTo(1000, 1700).LineTo(1800, 1700).LineTo(1800, 2800).LineTo(1000, 2800);
    Shape(w, 5, e);
    for (uint16_t i = 1; i <= 5; ++i) Place(w, {.Depth = i, .Character = i});
    w.ShowFrame().End();
    return w;
}

SwfWriter Gradients() {
    SwfWriter w = Stage200();
    const GradientSpec rainbow{.Stops = {{0, 0xFF0000FF}, {128, 0x00FF00FF}, {255, 0x0000FFFF}}};
    auto box = [](double s, int32_t tx, int32_t ty) { return MatrixSpec{.A = s, .D = s, .Tx = tx, .Ty = ty}; };
    struct Item {
        int kind;  // 0 linear, 1 radial, 2 focal
        uint8_t spread, interpolation;
        int32_t x, y;
        double scale;
    };
    const Item items[] = {{0, 0, 0, 100, 100, 0.05},  {0, 1, 0, 1400, 100, 0.02}, {0, 2, 1, 2700, 100, 0.02},
                          {1, 0, 0, 100, 1500, 0.04}, {1, 1, 0, 1400, 1500, 0.015}, {2, 0, 0, 2700, 1500, 0.04}};
    uint16_t id = 1;
    for (const Item& it : items) {
        ShapeBuilder s(true);
        GradientSpec g = rainbow;
        g.Spread = it.spread, g.Interpolation = it.interpolation, g.Focal = 0.7;
        const MatrixSpec m = box(it.scale, it.x + 600, it.y + 600);
        const uint32_t fill = it.kind == 0 ? s.Linear(m, g) : it.kind == 1 ? s.Radial(m, g) : s.Focal(m, g);
        s.Rect(it.x, it.y, it.x + 1200, it.y + 1200, fill);
        Shape(w, id, s);
        Place(w, {.Depth = id, .Character = id});
        ++id;
    }
    // The first gradient again, darkened and half transparent by a colour
    // transform, over the last two.
    Place(w, {.Depth = id, .Character = 1, .Matrix = MatrixSpec{.Tx = 1900, .Ty = 1000},
              .Cx = CxformSpec{.RMul = 128, .GMul = 128, .BMul = 128, .AMul = 160, .BAdd = 60}});
    w.ShowFrame().End();
    return w;
}

SwfWriter Strokes() {
    SwfWriter w = Stage200();
    ShapeBuilder s;
    const uint32_t thick = s.Line(160, kBlue), hair = s.Line(0, 0x000000FF), mid = s.Line(60, 0xC02060FF);
    s.Styles(0, 0, thick).MoveTo(300, 2600).LineTo(900, 400).LineTo(1500, 2600).LineTo(2100, 400);
    s.Styles(0, 0, hair).MoveTo(200, 2800).LineTo(3800, 2200);
    s.Styles(0, 0, mid).MoveTo(2400, 2600).CurveTo(3000, -400, 3700, 2600);
    s.Rect(2500, 1800, 3500, 2500, s.Solid(kYellow), mid);
    Shape(w, 1, s);
    Place(w, {.Depth = 1, .Character = 1});
    // Scaled down 4 times: the thin line stays one pixel wide.
    Place(w, {.Depth = 2, .Character = 1, .Matrix = MatrixSpec{.A = 0.25, .D = 0.25, .Tx = 3000, .Ty = 100}});
    w.ShowFrame().End();
    return w;
}

SwfWriter Masks() {
    SwfWriter w = Stage200();
    ShapeBuilder stripes;
    const uint32_t a = stripes.Solid(kBlue), b = stripes.Solid(kYellow);
    for (int i = 0; i < 10; ++i) stripes.Rect(i * 400, 0, i * 400 + 200, 3000, i % 2 ? a : b);
    Shape(w, 1, stripes);
    ShapeBuilder circle;  // its thick outline must not widen the mask
    circle.Circle(1300, 1500, 1000, circle.Solid(0x000000FF), circle.Line(400, 0x000000FF));
    Shape(w, 2, circle);
    ShapeBuilder bar;
    bar.Rect(0, 1200, 4000, 1800, bar.Solid(0x000000FF));
    Shape(w, 3, bar);
    // Sprite: a mask (the bar) over a copy of the stripes, nested inside the
    // circle mask of the root: only where both let through.
    TagList sprite;
    Place(sprite, {.Depth = 1, .Character = 3, .ClipDepth = 2});
    Place(sprite, {.Depth = 2, .Character = 1, .Cx = CxformSpec{.RAdd = -100, .GAdd = -100, .BAdd = -100}});
    sprite.ShowFrame().End();
    w.DefineSprite(4, sprite);
    Place(w, {.Depth = 1, .Character = 2, .ClipDepth = 3});
    Place(w, {.Depth = 2, .Character = 1});
    Place(w, {.Depth = 3, .Character = 4});
    Place(w, {.Depth = 4, .Character = 2, .Matrix = MatrixSpec{.A = 0.5, .D = 0.5, .Tx = 2300, .Ty = 700}});
    w.ShowFrame().End();
    return w;
}

SwfWriter SpritesAndColor() {
    SwfWriter w = Stage200();
    ShapeBuilder s;
    s.Rect(-300, -300, 300, 300, s.Solid(kRed));
    Shape(w, 1, s);
    TagList sprite;  // moves right a step per frame and fades
    for (int f = 0; f < 5; ++f) {
        PlaceSpec p{.Depth = 1, .Move = f > 0, .Matrix = MatrixSpec{.Tx = 400 + f * 500, .Ty = 600},
                    .Cx = CxformSpec{.AMul = static_cast<int16_t>(256 - f * 40)}};
        if (f == 0) p.Character = 1;
        Place(sprite, p);
        sprite.ShowFrame();
    }
    sprite.End();
    w.DefineSprite(2, sprite);
    Place(w, {.Depth = 1, .Character = 2});
    Place(w, {.Depth = 2, .Character = 2, .Matrix = MatrixSpec{.Ty = 1000},
              .Cx = CxformSpec{.RMul = 0, .GMul = 0, .BMul = 0, .RAdd = 40, .GAdd = 160, .BAdd = 255}});
    Place(w, {.Depth = 3, .Character = 2, .Matrix = MatrixSpec{.A = 0.5, .B = 0.5, .C = -0.5, .D = 0.5, .Ty = 2000}});
    w.ShowFrame().ShowFrame().ShowFrame().ShowFrame().End();
    return w;
}

SwfWriter Bitmaps() {
    SwfWriter w = Stage200();
    std::vector<uint32_t> px;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) px.push_back((x + y) % 2 ? 0x2040E0FF : (x == y ? 0xF0D02080 : 0xE02020FF));
    BitmapLossless2(w, 9, 4, 4, px);
    ShapeBuilder s;
    // One bitmap pixel is 5 movie pixels (100 twips).
    const MatrixSpec m{.A = 100, .D = 100, .Tx = 200, .Ty = 200};
    s.Rect(200, 200, 1800, 1400, s.Bitmap(9, m, true, false));
    const MatrixSpec m2{.A = 100, .D = 100, .Tx = 2200, .Ty = 200};
    s.Rect(2200, 200, 3800, 1400, s.Bitmap(9, m2, false, false));
    const MatrixSpec m3{.A = 250, .B = 100, .C = -100, .D = 250, .Tx = 1000, .Ty = 1600};
    s.Rect(200, 1600, 3800, 2800, s.Bitmap(9, m3, true, true));
    Shape(w, 1, s);
    Place(w, {.Depth = 1, .Character = 1});
    w.ShowFrame().End();
    return w;
}

// Static text in an embedded font: sizes, colours, a rotated text.
SwfWriter StaticText() {
    SwfWriter w = Stage200();
    DefineFont2(w, 1, BlockFont());
    DefineText2(w, 2, {0, 4000, 0, 3000}, {},
                {BlockRun(1, "HELLO", 480, 200, 700, kRed), BlockRun(1, "QUENBROOK 2026", 240, 200, 1100, kBlue),
                 BlockRun(1, "SMALL PRINT 0123456789", 120, 200, 1400, 0x000000FF)});
    DefineText2(w, 3, {0, 4000, 0, 3000}, {.A = 0.94, .B = -0.34, .C = 0.34, .D = 0.94, .Tx = 600, .Ty = 2700},
                {BlockRun(1, "TURNED", 400, 0, 0, kGreen)});
    Place(w, {.Depth = 1, .Character = 2});
    Place(w, {.Depth = 2, .Character = 3});
    // The first text again, scaled up and half transparent over the rest.
    Place(w, {.Depth = 3, .Character = 2, .Matrix = MatrixSpec{.A = 1.6, .D = 1.6, .Tx = 1200, .Ty = 1000},
              .Cx = CxformSpec{.AMul = 100}});
    w.ShowFrame().End();
    return w;
}

// Text fields in an embedded font: borders, alignment, wrapping, a
// password, HTML, and one showing the variable a script set.
SwfWriter TextFields() {
    SwfWriter w = Stage200();
    DefineFont2(w, 1, BlockFont());
    const EditTextSpec base{.Border = true, .UseOutlines = true, .Font = 1, .Height = 240, .Rgba = 0x202020FF};
    auto field = [&](uint16_t id, RectTwips bounds, std::string text, auto set) {
        EditTextSpec e = base;
        e.Bounds = bounds;
        e.Text = std::move(text);
        set(e);
        DefineEditText(w, id, e);
        Place(w, {.Depth = id, .Character = id});
    };
    auto align = [](uint8_t a) { return [a](EditTextSpec& e) { e.Layout = FieldLayoutSpec{.Align = a}; }; };
    field(2, {200, 1900, 200, 600}, "LEFT", align(0));
    field(3, {2100, 3800, 200, 600}, "RIGHT", align(1));
    field(4, {200, 1900, 800, 2000}, "WRAPPED TEXT IN A CENTERED FIELD", [](EditTextSpec& e) {
        e.Multiline = e.WordWrap = true;
        e.Layout = FieldLayoutSpec{.Align = 2, .Leading = 40};
    });
    field(5, {2100, 3800, 800, 1200}, "SECRET", [](EditTextSpec& e) { e.Password = true; });
    field(6, {2100, 3800, 1400, 2300}, "<p>HTML &amp; <b>TAGS</b></p><p>2ND LINE</p>", [](EditTextSpec& e) {
        e.Border = false;
        e.Html = e.Multiline = true;
        e.Rgba = kBlue;
    });
    field(7, {200, 3800, 2300, 2800}, "INITIAL", [](EditTextSpec& e) {
        e.Variable = "label";
        e.Rgba = kRed;
    });
    w.ShowFrame();
    w.DoAction(ActionWriter().Push("label").Push("SET BY SCRIPT").Op(0x1D).End());
    w.ShowFrame().End();
    return w;
}

// Each morph at its start, half way and at its end, left to right.
SwfWriter Morphs() {
    SwfWriter w = Stage200();
    MorphBuilder a;  // a square into a diamond with one bulging side; red into blue, the line widening
    a.Styles(0, a.Solid(kRed, kBlue), a.Line(20, 160, 0x000000FF, 0x20A040FF));
    a.MoveTo(0, 0, 450, -100).LineTo(900, 0, 1000, 450);
    a.CurveTo(1150, 450, 900, 900, 850, 850, 450, 1000);
    a.LineTo(0, 900, -100, 450).LineTo(0, 0, 450, -100);
    Morph(w, 1, a);
    MorphBuilder b(true);  // a rectangle into a trapezoid; its gradient turns, recolours and moves its stops
    const uint32_t sweep = b.Linear({.A = 0.03, .D = 0.03, .Tx = 500, .Ty = 400},
                                    {.A = 0, .B = 0.03, .C = -0.03, .D = 0, .Tx = 500, .Ty = 450},
                                    {.Stops = {{0, 0xE02020FF}, {128, 0xFFFFFFFF}, {255, 0xF0D020FF}}},
                                    {.Stops = {{0, 0x20A040FF}, {64, 0xFFFFFFFF}, {255, 0x2040E0FF}}});
    const uint32_t glow = b.Radial({.A = 0.01, .D = 0.01, .Tx = 500, .Ty = 400}, {.A = 0.02, .D = 0.02, .Tx = 500, .Ty = 500},
                                   {.Stops = {{0, 0x000000FF}, {255, 0x00000000}}},
                                   {.Stops = {{0, 0xFFFFFF80}, {255, 0xFFFFFF00}}});
    b.Styles(0, sweep, b.Line(10, 120, 0x202020FF, 0xC02060FF));
    b.MoveTo(0, 0, 250, 0).LineTo(1000, 0, 750, 0).LineTo(1000, 800, 1000, 900).LineTo(0, 800, 0, 900).LineTo(0, 0, 250, 0);
    b.Styles(sweep, glow, 0);  // a hole in the sweep, filled with the glow
    b.MoveTo(350, 250, 200, 200).LineTo(650, 250, 800, 200).LineTo(650, 550, 800, 800).LineTo(350, 550, 200, 800);
    b.LineTo(350, 250, 200, 200);
    Morph(w, 2, b);
    uint16_t depth = 1;
    for (uint16_t id : {1, 2})
        for (int i = 0; i < 3; ++i)
            Place(w, {.Depth = depth++, .Character = id,
                      .Matrix = MatrixSpec{.Tx = 250 + i * 1300, .Ty = id == 1 ? 250 : 1800},
                      .Ratio = static_cast<uint16_t>(i == 0 ? 0 : i == 1 ? 32768 : 65535)});
    w.ShowFrame().End();
    return w;
}

// Buttons show their up parts only, each with its own colour transform
// under the placement's.
SwfWriter Buttons() {
    SwfWriter w = Stage200();
    ShapeBuilder square;
    square.Rect(0, 0, 800, 800, square.Solid(kRed));
    Shape(w, 1, square);
    ShapeBuilder circle;
    circle.Circle(0, 0, 300, circle.Solid(kBlue));
    Shape(w, 2, circle);
    ShapeBuilder cover;  // over, down and hit parts: never drawn
    cover.Rect(-200, -200, 1200, 1200, cover.Solid(kYellow));
    Shape(w, 3, cover);
    Button(w, 2, 10,
           {{.Character = 1, .Depth = 1, .Cx = {.RMul = 128, .GMul = 128, .BMul = 128, .BAdd = 100}},
            {.States = 0x06, .Character = 3, .Depth = 2},
            {.Character = 2, .Depth = 3, .Matrix = {.Tx = 700, .Ty = 700}, .Cx = {.AMul = 160}},
            {.States = 0x08, .Character = 3, .Depth = 4}});
    Button(w, 1, 11, {{.Character = 2, .Depth = 1, .Matrix = {.A = 1.5, .D = 1.5}}, {.States = 0x02, .Character = 3}});
    Place(w, {.Depth = 1, .Character = 10, .Matrix = MatrixSpec{.Tx = 200, .Ty = 200}});
    Place(w, {.Depth = 2, .Character = 10, .Matrix = MatrixSpec{.Tx = 2200, .Ty = 200},
              .Cx = CxformSpec{.RMul = 0, .GAdd = 120}});
    Place(w, {.Depth = 3, .Character = 10, .Matrix = MatrixSpec{.A = 0.6, .B = 0.5, .C = -0.5, .D = 0.6, .Tx = 1100, .Ty = 1500},
              .Cx = CxformSpec{.AMul = 128}});
    Place(w, {.Depth = 4, .Character = 11, .Matrix = MatrixSpec{.Tx = 3100, .Ty = 2300}});
    w.ShowFrame().End();
    return w;
}

struct GoldenCase {
    const char* Name;
    std::function<SwfWriter()> Make;
    int Frame, Width, Height;
    render::Quality Quality;
};

const std::vector<GoldenCase>& Cases() {
    static const std::vector<GoldenCase> cases = {
        {"shapes", Shapes, 0, 260, 150, Quality::High},     // wider than the movie: bars left and right
        {"shapes_low", Shapes, 0, 200, 150, Quality::Low},  // no anti-aliasing
        {"gradients", Gradients, 0, 200, 150, Quality::High},
        {"strokes", Strokes, 0, 200, 190, Quality::Medium},  // taller: bars above and below
        {"masks", Masks, 0, 200, 150, Quality::High},
        {"sprites_color", SpritesAndColor, 3, 200, 150, Quality::High},
        {"bitmaps", Bitmaps, 0, 200, 150, Quality::High},
        {"text_static", StaticText, 0, 400, 300, Quality::High},
        {"text_fields", TextFields, 1, 400, 300, Quality::High},
        {"morphs", Morphs, 0, 200, 150, Quality::High},
        {"buttons", Buttons, 0, 200, 150, Quality::High},
    };
    return cases;
}

std::string GoldenDir(const std::string& name) { return std::string(QB_GOLDEN_DIR) + "/" + name; }

struct Tolerance {
    int Channel = 0;          // largest difference of one channel that still counts as equal
    double Pixels = 0;        // share of pixels allowed to differ by more
};

Tolerance ReadTolerance(const std::string& path) {
    Tolerance t;
    std::ifstream in(path);
    std::string key;
    while (in >> key) {
        if (key == "channel") in >> t.Channel;
        else if (key == "pixels") in >> t.Pixels;
    }
    return t;
}

TEST(Golden, PicturesMatchTheReviewedOnes) {
    const bool update = std::getenv("QB_GOLDEN_UPDATE") != nullptr;
    for (const GoldenCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        const std::string dir = GoldenDir(c.Name);
        const Bytes made = c.Make().Movie();
        if (update) {
            std::filesystem::create_directories(dir);
            ASSERT_TRUE(WriteWholeFile(dir + "/movie.swf", made));
            const auto image = movie::RenderFrame(LoadMovie(made), c.Frame, c.Width, c.Height, c.Quality);
            ASSERT_TRUE(render::WritePng(image, dir + "/expected.png"));
            if (!std::filesystem::exists(dir + "/tolerance.txt")) {
                std::ofstream(dir + "/tolerance.txt") << "channel 2\npixels 0.002\n";
            }
            continue;
        }
        const auto stored = ReadWholeFile(dir + "/movie.swf");
        ASSERT_TRUE(stored) << "missing " << dir;
        EXPECT_EQ(*stored, made) << "the stored movie no longer matches its maker here";
        const auto expected = render::ReadPng(dir + "/expected.png");
        ASSERT_TRUE(expected);
        const Tolerance tol = ReadTolerance(dir + "/tolerance.txt");

        const auto got = movie::RenderFrame(LoadMovie(*stored), c.Frame, c.Width, c.Height, c.Quality);
        ASSERT_EQ(got.Width, expected->Width);
        ASSERT_EQ(got.Height, expected->Height);
        size_t off = 0;
        int worst = 0;
        for (size_t i = 0; i < got.Pixels.size(); ++i) {
            int diff = 0;
            for (int shift = 0; shift < 32; shift += 8)
                diff = std::max(diff, std::abs(static_cast<int>((got.Pixels[i] >> shift) & 0xFF) -
                                               static_cast<int>((expected->Pixels[i] >> shift) & 0xFF)));
            worst = std::max(worst, diff);
            if (diff > tol.Channel) ++off;
        }
        EXPECT_LE(static_cast<double>(off) / got.Pixels.size(), tol.Pixels)
            << off << " pixels differ, worst channel difference " << worst;
        if (off > tol.Pixels * got.Pixels.size()) render::WritePng(got, dir + "/actual.png");
    }
}

}  // namespace
}  // namespace qb::test
