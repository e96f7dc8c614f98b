// Device fonts from the TrueType files the system installs: the portable
// host. Skipped where those files are missing.
#include "flash/movie/FontFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qb::movie {
namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype";

bool Installed(const char* file) { return std::filesystem::exists(std::string(kFontDir) + "/" + file); }

TEST(DeviceFont, FileFontsGiveOutlinesAdvancesAndMetrics) {
    if (!Installed("dejavu/DejaVuSans.ttf")) GTEST_SKIP() << "DejaVu fonts not installed";
    auto host = FontFilesHost();
    const auto a = host->Glyph({"Arial"}, 'A');
    ASSERT_TRUE(a);
    EXPECT_GT(a->Outline.Edges.size(), 4u);
    EXPECT_GT(a->Advance, 0.4 * FontHost::kEm);
    EXPECT_LT(a->Advance, FontHost::kEm);
    EXPECT_GT(a->Ascent, 0.6 * FontHost::kEm);
    EXPECT_GT(a->Descent, 0);
    // Drawn above the baseline (y grows downwards), from near the origin.
    int32_t top = 0, bottom = INT32_MIN;
    for (const auto& e : a->Outline.Edges) top = std::min(top, e.Y0), bottom = std::max(bottom, e.Y0);
    EXPECT_LT(top, -0.6 * FontHost::kEm);
    EXPECT_LE(bottom, 1);
    // 'O' has a hole: two closed contours, each ending where it began.
    const auto o = host->Glyph({"_sans"}, 'O');
    ASSERT_TRUE(o);
    int closed = 0;
    const auto& edges = o->Outline.Edges;
    for (size_t i = 0, start = 0; i < edges.size(); ++i)
        if (i + 1 == edges.size() || edges[i + 1].X0 != edges[i].X1 || edges[i + 1].Y0 != edges[i].Y1) {
            closed += edges[i].X1 == edges[start].X0 && edges[i].Y1 == edges[start].Y0;
            start = i + 1;
        }
    EXPECT_EQ(closed, 2);
    // The space has an advance and no outline.
    const auto space = host->Glyph({"_sans"}, ' ');
    ASSERT_TRUE(space);
    EXPECT_TRUE(space->Outline.Edges.empty());
    EXPECT_GT(space->Advance, 0);
}

TEST(DeviceFont, NamesPickTheFamilyAndStyle) {
    if (!Installed("dejavu/DejaVuSansMono.ttf") || !Installed("dejavu/DejaVuSans-Bold.ttf"))
        GTEST_SKIP() << "DejaVu fonts not installed";
    auto host = FontFilesHost();
    // Monospace: every character as wide as the next.
    EXPECT_EQ(host->Glyph({"_typewriter"}, 'i')->Advance, host->Glyph({"_typewriter"}, 'W')->Advance);
    EXPECT_NE(host->Glyph({"_sans"}, 'i')->Advance, host->Glyph({"_sans"}, 'W')->Advance);
    EXPECT_GT(host->Glyph({"Verdana", true}, 'W')->Advance, host->Glyph({"Verdana"}, 'W')->Advance);
    EXPECT_EQ(FontFileCandidates({"Times New Roman", false, true}).front(), "dejavu/DejaVuSerif-Italic.ttf");
    EXPECT_EQ(FontFileCandidates({"Courier New", true}).front(), "dejavu/DejaVuSansMono-Bold.ttf");
    EXPECT_EQ(FontFileCandidates({"Microsoft Sans Serif"}).front(), "dejavu/DejaVuSans.ttf");
}

TEST(DeviceFont, MissingFontsAndCharactersGiveNothing) {
    auto nowhere = FontFilesHost("/nonexistent-font-dir");
    EXPECT_FALSE(nowhere->Glyph({"_sans"}, 'A'));
    if (!Installed("dejavu/DejaVuSans.ttf")) GTEST_SKIP() << "DejaVu fonts not installed";
    // A private-use character no installed font draws.
    EXPECT_FALSE(FontFilesHost()->Glyph({"_sans"}, 0x10FFFD));
    if (Installed("wqy/wqy-microhei.ttc")) {
        const auto cjk = FontFilesHost()->Glyph({"_sans"}, 0x4E2D);  // found in the CJK fallback
        ASSERT_TRUE(cjk);
        EXPECT_FALSE(cjk->Outline.Edges.empty());
    }
}

}  // namespace
}  // namespace qb::movie
