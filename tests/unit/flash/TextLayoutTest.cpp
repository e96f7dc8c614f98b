// Text fields' lines: what they show and where each character goes.
#include "flash/movie/EditText.h"
#include "flash/movie/TextLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb::movie {
namespace {

std::string Narrow(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every character 100 twips wide: positions read as character counts.
double Fixed(char32_t) { return 100; }

TEST(TextLayout, LinesBreakAndAlign) {
    struct Case {
        const char* Name;
        std::u32string Text;
        LayoutParams Params;
        std::vector<std::string> Lines;
        std::vector<double> FirstX;
    };
    const Case cases[] = {
        {"one line, left", U"ab cd", {.Width = 1000}, {"ab cd"}, {0}},
        {"no wrap runs past the width", U"abcdef", {.Width = 300}, {"abcdef"}, {0}},
        {"wrap at the last space that fits", U"ab cd ef", {.Width = 550, .WordWrap = true}, {"ab cd", "ef"}, {0, 0}},
        {"a word wider than the line is cut", U"abcdefg", {.Width = 300, .WordWrap = true}, {"abc", "def", "g"}, {0, 0, 0}},
        {"line breaks only when multiline", U"ab\ncd", {.Width = 1000, .Multiline = true}, {"ab", "cd"}, {0, 0}},
        {"empty paragraphs keep their line", U"a\n\nb", {.Width = 1000, .Multiline = true}, {"a", "", "b"}, {0, 0, 0}},
        {"right", U"ab", {.Width = 1000, .Align = TextAlign::Right}, {"ab"}, {800}},
        {"center", U"ab", {.Width = 1000, .Align = TextAlign::Center}, {"ab"}, {400}},
        {"justify as left", U"ab", {.Width = 1000, .Align = TextAlign::Justify}, {"ab"}, {0}},
        {"trailing space does not shift a right-aligned line", U"ab cd",
         {.Width = 350, .WordWrap = true, .Align = TextAlign::Right}, {"ab", "cd"}, {150, 150}},
        {"margins and the first line's indent", U"ab cd ef",
         {.Width = 800, .WordWrap = true, .LeftMargin = 100, .RightMargin = 100, .Indent = 200}, {"ab", "cd ef"}, {300, 100}},
        {"right margin narrows the aligned line", U"ab",
         {.Width = 1000, .Align = TextAlign::Right, .RightMargin = 200}, {"ab"}, {600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto lines = LayoutLines(c.Text, c.Params, Fixed);
        std::vector<std::string> got;
        std::vector<double> firstX;
        for (const auto& l : lines) {
            got.push_back(Narrow(l.Chars));
            if (!l.X.empty()) firstX.push_back(l.X.front());
            else firstX.push_back(0);
            for (size_t i = 1; i < l.X.size(); ++i) EXPECT_DOUBLE_EQ(l.X[i] - l.X[i - 1], 100);
        }
        EXPECT_EQ(got, c.Lines);
        EXPECT_EQ(firstX, c.FirstX);
    }
}

TEST(TextLayout, ShownTextOfAField) {
    struct Case {
        const char* Name;
        EditTextDef Field;
        std::string Text;
        std::string Shown;
    };
    auto field = [](auto set) {
        EditTextDef f;
        f.Multiline = true;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"plain", field([](EditTextDef&) {}), "Hi there", "Hi there"},
        {"tags dropped, breaks kept", field([](EditTextDef& f) { f.Html = true; }),
         "<p align=\"left\"><font face=\"_sans\">One</font></p><p>Two<br>Three</p>", "One\nTwo\nThree"},
        {"entities", field([](EditTextDef& f) { f.Html = true; }), "a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;&nbsp;f &x;",
         "a & b <c> \"d\" 'e'?f &x;"},
        {"an unclosed tag shows nothing", field([](EditTextDef& f) { f.Html = true; }), "ab<font", "ab"},
        {"html off shows the tags", field([](EditTextDef&) {}), "<b>x</b>", "<b>x</b>"},
        {"password", field([](EditTextDef& f) { f.Password = true; }), "secret\rab", "******\n**"},
        {"line ends of any system", field([](EditTextDef&) {}), "a\r\nb\rc\nd", "a\nb\nc\nd"},
        {"single line drops breaks", field([](EditTextDef& f) { f.Multiline = false; }), "a\rb", "ab"},
        {"max length", field([](EditTextDef& f) { f.MaxLength = 3; }), "abcdef", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Narrow(ShownText(c.Field, c.Text, true)), c.Shown);
    }
}

TEST(TextLayout, DecodesUtf8FromVersionSixAndBytesBefore) {
    EXPECT_EQ(DecodeText("a\xC3\xA9\xE4\xB8\xAD", true), (std::u32string{U'a', 0xE9, 0x4E2D}));
    EXPECT_EQ(DecodeText("a\xC3\xA9", false), (std::u32string{U'a', 0xC3, 0xA9}));
    // Broken sequences read as their bytes, nothing lost or run past.
    EXPECT_EQ(DecodeText("\xE4\xB8", true), (std::u32string{0xE4, 0xB8}));
    EXPECT_EQ(DecodeText(std::string(kMaxFieldChars + 10, 'x'), true).size(), kMaxFieldChars);
}

}  // namespace
}  // namespace qb::movie
