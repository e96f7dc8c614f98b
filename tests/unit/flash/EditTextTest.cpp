// Text fields and text in device fonts: read from the tags, laid out with
// the embedded font's advances or the host's glyphs, bound to variables.
#include "flash/movie/FieldText.h"
#include "flash/movie/StageRenderer.h"
#include "tests/support/TextBuilder.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <set>

namespace qb::test {
namespace {

using movie::Character;

// A host whose every glyph is a 512 x 512 square on the baseline, advance
// 600, and which remembers what it was asked for.
class SquareHost final : public movie::FontHost {
public:
    std::optional<movie::HostGlyph> Glyph(const movie::FontFace& face, char32_t c) const override {
        asked.insert({face.Name, c});
        if (c == '#') return std::nullopt;  // a character the face lacks
        movie::OutlinePen pen;
        if (c != ' ') {
            pen.MoveTo(0, 0);
            pen.LineTo(0, -512);
            pen.LineTo(512, -512);
            pen.LineTo(512, 0);
        }
        return movie::HostGlyph{pen.Take(), 600, 800, 200};
    }
    mutable std::set<std::pair<std::string, char32_t>> asked;
};

SwfWriter FieldMovie(const EditTextSpec& field, bool embed = true) {
    SwfWriter w(MovieHeader{.Version = 8});
    if (embed) DefineFont2(w, 1, BlockFont(), 2);
    DefineEditText(w, 2, field);
    Place(w, {.Depth = 1, .Character = 2});
    w.ShowFrame().End();
    return w;
}

const movie::EditTextDef& FieldOf(const movie::MovieDef& def, uint16_t id = 2) {
    const Character* c = def.Find(id);
    if (!c || c->Kind != Character::Kind::EditText) throw std::runtime_error("no text field");
    return *c->EditText;
}

TEST(EditText, ReadsEveryField) {
    const EditTextSpec field{.Bounds = {-40, 3000, 100, 900}, .WordWrap = true, .Multiline = true, .Password = true,
                            .ReadOnly = false, .AutoSize = true, .NoSelect = true, .Border = true, .WasStatic = true,
                            .Html = true, .UseOutlines = true, .Font = 1, .FontClass = "Lib.Font", .Height = 360,
                            .Rgba = 0x11223344, .MaxLength = 12,
                            .Layout = FieldLayoutSpec{.Align = 2, .LeftMargin = 20, .RightMargin = 40, .Indent = 60, .Leading = -20},
                            .Variable = "_root.score", .Text = "<b>Hi</b>"};
    auto def = LoadMovie(FieldMovie(field));
    const auto& f = FieldOf(*def);
    EXPECT_EQ(f.Bounds, (swf::Rect{-40, 3000, 100, 900}));
    EXPECT_TRUE(f.HasText && f.WordWrap && f.Multiline && f.Password && !f.ReadOnly && f.AutoSize && f.NoSelect &&
                f.Border && f.WasStatic && f.Html && f.UseOutlines);
    ASSERT_TRUE(f.Font);
    EXPECT_EQ(f.Font->Name, "Blocks");
    EXPECT_EQ(f.FontClass, "Lib.Font");
    EXPECT_EQ(f.FontHeight, 360);
    EXPECT_EQ(f.Color, (swf::Rgba{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(f.MaxLength, 12);
    EXPECT_EQ(f.Align, movie::TextAlign::Center);
    EXPECT_EQ(f.LeftMargin, 20);
    EXPECT_EQ(f.RightMargin, 40);
    EXPECT_EQ(f.Indent, 60);
    EXPECT_EQ(f.Leading, -20);
    EXPECT_EQ(f.VariableName, "_root.score");
    EXPECT_EQ(f.InitialText, "<b>Hi</b>");

    // Nothing optional present: defaults, and the strings still in place.
    auto bare = LoadMovie(FieldMovie({.ReadOnly = false, .Variable = "v"}, false));
    const auto& b = FieldOf(*bare);
    EXPECT_FALSE(b.HasText || b.Font || b.Border || b.UseOutlines);
    EXPECT_EQ(b.Color, (swf::Rgba{0, 0, 0, 255}));
    EXPECT_EQ(b.VariableName, "v");
    EXPECT_EQ(b.InitialText, "");
}

TEST(EditText, FontLayoutAndCodesAreRead) {
    for (int version : {2, 3}) {
        SCOPED_TRACE(version);
        SwfWriter w;
        FontSpec written = BlockFont("Pixel");
        written.Bold = true;
        written.Leading = 64;
        DefineFont2(w, 1, written, version);
        DefineEditText(w, 2, {.Font = 1});
        w.ShowFrame().End();
        auto def = LoadMovie(w);
        const movie::FontDef& font = *FieldOf(*def).Font;
        EXPECT_EQ(font.Name, "Pixel");
        EXPECT_TRUE(font.Bold);
        EXPECT_FALSE(font.Italic);
        EXPECT_TRUE(font.HasOutlines());
        EXPECT_EQ(font.EmSize, version == 3 ? 20480 : 1024);
        EXPECT_EQ(font.IndexOf('Q'), BlockFontIndex('Q'));
        EXPECT_EQ(font.IndexOf('q'), -1);
        ASSERT_EQ(font.Advances.size(), font.Glyphs.size());
        EXPECT_EQ(font.Advances[font.IndexOf('A')], 768);
        EXPECT_EQ(font.Ascent, 896);
        EXPECT_EQ(font.Descent, 128);
        EXPECT_EQ(font.Leading, 64);
    }
}

// The drawn shape of a field: its bounds tell where the glyphs went.
swf::ShapeDef Build(const EditTextSpec& field, const std::string& text, movie::HostGlyphCache* host = nullptr) {
    auto def = LoadMovie(FieldMovie(field));
    return movie::BuildEditText(FieldOf(*def), text, true, host).Outline;
}

TEST(EditText, EmbeddedGlyphsFollowTheLayout) {
    // 240 twips high: a block is 30 twips, an advance 180; text starts 40
    // twips (the gutter) in from the field's edges, the first baseline one
    // ascent (210) below that.
    const EditTextSpec base{.Bounds = {0, 2000, 0, 1000}, .UseOutlines = true, .Font = 1, .Height = 240};
    struct Case {
        const char* Name;
        EditTextSpec Field;
        std::string Text;
        swf::Rect Bounds;
    };
    auto with = [&base](auto set) {
        EditTextSpec s = base;
        set(s);
        return s;
    };
    const Case cases[] = {
        {"left", base, "AB", {40, 40 + 180 + 150, 40 + 210 - 210, 40 + 210}},
        {"right", with([](EditTextSpec& s) { s.Layout = FieldLayoutSpec{.Align = 1}; }), "AB",
         {2000 - 40 - 360, 2000 - 40 - 360 + 330, 40, 250}},
        {"center", with([](EditTextSpec& s) { s.Layout = FieldLayoutSpec{.Align = 2}; }), "AB",
         {40 + (1920 - 360) / 2, 40 + (1920 - 360) / 2 + 330, 40, 250}},
        {"second line one line height down", with([](EditTextSpec& s) { s.Multiline = true; }), "A\rA",
         {40, 40 + 150, 40, 250 + 240}},
        {"leading adds to the line height", with([](EditTextSpec& s) {
             s.Multiline = true;
             s.Layout = FieldLayoutSpec{.Leading = 100};
         }),
         "A\rA", {40, 40 + 150, 40, 250 + 340}},
        {"wrapped at the field's width", with([](EditTextSpec& s) {
             s.Multiline = s.WordWrap = true;
             s.Bounds.XMax = 700;  // 620 inside: three glyphs
         }),
         "AAA AAA", {40, 40 + 360 + 150, 40, 250 + 240}},
        {"lines below the field are not drawn", with([](EditTextSpec& s) {
             s.Multiline = true;
             s.Bounds.YMax = 400;  // the second line starts at 280, the third at 520
         }),
         "A\rA\rA", {40, 40 + 150, 40, 250 + 240}},
        {"password stars", with([](EditTextSpec& s) { s.Password = true; }), "AB", {40, 40 + 180 + 150, 40 + 30, 250 - 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const swf::ShapeDef s = Build(c.Field, c.Text);
        EXPECT_EQ(s.Bounds, c.Bounds);
    }
}

TEST(EditText, BorderIsAFramedWhiteBackgroundUnderTheText) {
    const swf::ShapeDef s =
        Build({.Bounds = {100, 1100, 200, 800}, .Border = true, .UseOutlines = true, .Font = 1, .Rgba = 0xFF0000FF}, "A");
    ASSERT_EQ(s.Fills.size(), 2u);
    EXPECT_EQ(s.Fills[0].Color, (swf::Rgba{255, 255, 255, 255}));
    EXPECT_EQ(s.Fills[1].Color, (swf::Rgba{255, 0, 0, 255}));
    ASSERT_EQ(s.Lines.size(), 1u);
    EXPECT_EQ(s.Lines[0].Fill.Color, (swf::Rgba{0, 0, 0, 255}));
    EXPECT_EQ(s.Bounds, (swf::Rect{100, 1100, 200, 800}));
    EXPECT_EQ(s.Groups, 2);  // the glyphs over the background
    // No border: the glyphs alone.
    EXPECT_TRUE(Build({.Bounds = {100, 1100, 200, 800}, .UseOutlines = true, .Font = 1}, "A").Lines.empty());
}

TEST(EditText, ALongLineEndsAtTheFieldsSide) {
    // A 50 x 30 pixel field on a 100 x 50 stage; twenty letters reach far past it.
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 2000, 0, 1000}});
    DefineFont2(w, 1, BlockFont(), 2);
    DefineEditText(w, 2, {.Bounds = {0, 1000, 0, 600}, .UseOutlines = true, .Font = 1, .Height = 240,
                          .Rgba = 0x000000FF, .Text = std::string(20, 'A')});
    Place(w, {.Depth = 1, .Character = 2});
    w.ShowFrame().End();
    const auto image = movie::RenderFrame(LoadMovie(w), 0, 100, 50, render::Quality::High);
    const uint32_t background = image.Pixels[49 * 100 + 99];
    int inside = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (image.Pixels[static_cast<size_t>(y) * 100 + x] != background) ++(x < 51 ? inside : outside);
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST(EditText, AFieldThatGrowsToFitShowsAllItsText) {
    // The same line in a field that sizes itself, and more lines than its
    // height holds: nothing is cut.
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 2000, 0, 2000}});
    DefineFont2(w, 1, BlockFont(), 2);
    DefineEditText(w, 2, {.Bounds = {0, 1000, 0, 200}, .Multiline = true, .AutoSize = true, .UseOutlines = true,
                          .Font = 1, .Height = 240, .Rgba = 0x000000FF,
                          .Text = std::string(20, 'A') + "\r" + std::string(3, 'A')});
    Place(w, {.Depth = 1, .Character = 2});
    w.ShowFrame().End();
    const auto image = movie::RenderFrame(LoadMovie(w), 0, 100, 100, render::Quality::High);
    const uint32_t background = image.Pixels[99 * 100 + 99];
    auto marked = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (image.Pixels[static_cast<size_t>(y) * 100 + x] != background) return true;
        return false;
    };
    EXPECT_TRUE(marked(60, 100, 0, 15));  // the first line past the field's side
    EXPECT_TRUE(marked(0, 30, 15, 30));   // the second line below its height
}

TEST(EditText, DeviceFontsComeFromTheHost) {
    auto host = std::make_shared<SquareHost>();
    movie::HostGlyphCache cache(host);
    // No outlines used: the host draws, by the font's name; a missing
    // character is left out and asked for once.
    const EditTextSpec field{.Bounds = {0, 4000, 0, 1000}, .Font = 1, .Height = 256};
    const swf::ShapeDef s = Build(field, "A#A#", &cache);
    EXPECT_EQ(s.Edges.size(), 8u);
    // 256 high: a square is 128, an advance 150, the ascent 200.
    EXPECT_EQ(s.Bounds, (swf::Rect{40, 40 + 150 + 128, 40 + 200 - 128, 240}));
    EXPECT_EQ(host->asked, (std::set<std::pair<std::string, char32_t>>{{"Blocks", 'A'}, {"Blocks", '#'}}));
    // No font at all: the default face.
    host->asked.clear();
    Build({.Bounds = {0, 4000, 0, 1000}, .FontClass = "_serif"}, "b", &cache);
    Build({.Bounds = {0, 4000, 0, 1000}}, "c", &cache);
    EXPECT_TRUE(host->asked.count({"_serif", 'b'}));
    EXPECT_TRUE(host->asked.count({"_sans", 'c'}));
    // No host: nothing drawn, nothing broken.
    EXPECT_TRUE(Build(field, "AB").Edges.empty());
}

TEST(EditText, StaticTextInADeviceFontDrawsFromTheHost) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 2000, 0, 2000}});
    // The font names its characters but has no outlines.
    FontSpec device = BlockFont("_sans");
    for (auto& g : device.Glyphs) g.Outline = ShapeBuilder();
    DefineFont2(w, 1, device);
    DefineText2(w, 2, {0, 2000, 0, 2000}, {}, {BlockRun(1, "HI", 400, 100, 1000, 0x000000FF)});
    Place(w, {.Depth = 1, .Character = 2});
    w.ShowFrame().End();
    auto def = LoadMovie(w);
    const Character* c = def->Find(2);
    ASSERT_TRUE(c && c->Kind == Character::Kind::Text);

    auto host = std::make_shared<SquareHost>();
    const auto image = movie::RenderFrame(def, 0, 100, 100, render::Quality::High, host);
    EXPECT_EQ(host->asked, (std::set<std::pair<std::string, char32_t>>{{"_sans", 'H'}, {"_sans", 'I'}}));
    // The H square covers 5..15 px across, 40..50 down; the gap after it is
    // background.
    EXPECT_EQ(image.Pixels[45 * 100 + 10] & 0xFFFFFF, 0u);
    EXPECT_EQ(image.Pixels[45 * 100 + 17], image.Pixels[0]);
    // Without a host the text is simply missing.
    const auto none = movie::RenderFrame(def, 0, 100, 100, render::Quality::High, nullptr);
    EXPECT_EQ(none.Pixels[45 * 100 + 10], none.Pixels[0]);
}

TEST(EditText, ShowsTheVariableItIsBoundTo) {
    struct Case {
        const char* Variable;
        bool SetInSprite;
    };
    for (const Case c : {Case{"score", false}, Case{"_root.score", true}, Case{"/:score", true}}) {
        SCOPED_TRACE(c.Variable);
        SwfWriter w(MovieHeader{.Version = 8});
        DefineFont2(w, 1, BlockFont());
        DefineEditText(w, 2, {.UseOutlines = true, .Font = 1, .Variable = c.Variable, .Text = "START"});
        TagList sprite;
        Place(sprite, {.Depth = 1, .Character = 2});
        sprite.ShowFrame().End();
        w.DefineSprite(3, sprite);
        if (c.SetInSprite) Place(w, {.Depth = 1, .Character = 3, .Name = std::string("game")});
        else Place(w, {.Depth = 1, .Character = 2});
        w.ShowFrame();
        w.DoAction(ActionWriter().Push("score").Push(42.0).Op(0x1D).End());
        w.ShowFrame().End();

        movie::Movie m(LoadMovie(w));
        const auto& root = m.Root();
        const movie::DisplayObject* field = root.Children().at(1).get();
        if (c.SetInSprite) field = const_cast<movie::DisplayObject*>(field)->AsClip()->Children().at(1).get();
        const auto& def = *field->Char->EditText;
        EXPECT_EQ(movie::FieldText(*field, def, m), "START");
        m.TakeDirty();
        m.Tick();
        EXPECT_EQ(movie::FieldText(*field, def, m), "42");
        EXPECT_TRUE(m.TakeDirty());
    }
}

TEST(EditText, DamagedTagsReadWithoutHarm) {
    // Every cut of a full field tag, and of a font, loads and draws.
    SwfWriter full(MovieHeader{.Version = 8});
    DefineFont2(full, 1, BlockFont());
    const Bytes field = EncodeEditText(2, {.WordWrap = true, .Multiline = true, .Border = true, .Html = true,
                                           .UseOutlines = true, .Font = 1, .FontClass = "F", .Rgba = 0x102030FF,
                                           .MaxLength = 50, .Layout = FieldLayoutSpec{.Align = 3, .Leading = -30000},
                                           .Variable = "v", .Text = "<p>AB CD</p>"});
    for (size_t cut = 0; cut <= field.size(); ++cut) {
        SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 400, 0, 400}});
        DefineFont2(w, 1, BlockFont());
        w.Tag(tag::DefineEditText, std::span(field).first(cut), TagForm::Long);
        Place(w, {.Depth = 1, .Character = 2});
        w.ShowFrame().End();
        auto def = LoadMovie(w);
        movie::RenderFrame(def, 0, 20, 20);
    }
    SwfWriter fontOnly;
    DefineFont2(fontOnly, 1, BlockFont());
    const Bytes movieBytes = fontOnly.Movie();
    const size_t tagAt = fontOnly.TagsOffset() + 6;  // the font's long header
    for (size_t cut = tagAt; cut < movieBytes.size(); cut += 7) {
        Bytes b = movieBytes;
        // A font tag that claims its whole length but ends early.
        std::fill(b.begin() + static_cast<long>(cut), b.end(), 0xFF);
        swf::LoadError error;
        auto def = movie::MovieDef::Load(b, error);
        if (def) movie::RenderFrame(def, 0, 10, 10);
    }
}

}  // namespace
}  // namespace qb::test
