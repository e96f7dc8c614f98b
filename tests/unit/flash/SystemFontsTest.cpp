// Device fonts on Windows: outlines of the system's fonts through GDI.
#include "player/SystemFonts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb::test {
namespace {

TEST(SystemFonts, GlyphsHaveOutlinesAdvancesAndMetrics) {
    auto fonts = SystemFonts();
    for (const char* name : {"Arial", "_sans", "_serif", "_typewriter", "No Such Face Anywhere"}) {
        SCOPED_TRACE(name);
        const auto a = fonts->Glyph({name}, 'A');
        ASSERT_TRUE(a);
        EXPECT_GT(a->Outline.Edges.size(), 4u);
        EXPECT_GT(a->Advance, 0.3 * movie::FontHost::kEm);
        EXPECT_GT(a->Ascent, 0.5 * movie::FontHost::kEm);
        // Above the baseline: y grows downwards.
        int32_t top = 0;
        for (const auto& e : a->Outline.Edges) top = std::min(top, e.Y0);
        EXPECT_LT(top, -0.5 * movie::FontHost::kEm);
    }
    const auto space = fonts->Glyph({"Arial"}, ' ');
    ASSERT_TRUE(space);
    EXPECT_TRUE(space->Outline.Edges.empty());
    EXPECT_GT(space->Advance, 0);
    EXPECT_GT(fonts->Glyph({"Arial", true}, 'W')->Advance, 0);
}

}  // namespace
}  // namespace qb::test
