#include "editor/ExitEvents.h"
#include "editor/MoviePicks.h"
#include "editor/OptionChoices.h"
#include "editor/PreviewPlan.h"

#include <gtest/gtest.h>

#include <set>

namespace qb {
namespace {

TEST(ExitEvents, TheLastEventCannotGoAndNoMouseEventShowsTheCursor) {
    struct Case {
        ExitEvents now;  // after the user's toggle
        ExitBox box;
        ExitEvents shown;
        bool refused, cursor;
    } cases[] = {
        {{false, true, true}, ExitBox::MouseMove, {false, true, true}, false, false},
        {{false, false, true}, ExitBox::MouseClick, {false, false, true}, false, true},
        {{false, false, true}, ExitBox::MouseMove, {false, false, true}, false, true},
        {{false, false, false}, ExitBox::KeyPress, {false, false, true}, true, false},
        {{false, false, false}, ExitBox::MouseMove, {true, false, false}, true, false},
        {{false, false, false}, ExitBox::MouseClick, {false, true, false}, true, false},
        // The key box has the first rule alone, even with both mouse boxes off.
        {{false, false, true}, ExitBox::KeyPress, {false, false, true}, false, false},
        {{true, true, true}, ExitBox::KeyPress, {true, true, true}, false, false},
    };
    for (const Case& c : cases) {
        ExitToggleOutcome out = CheckExitToggle(c.now, c.box);
        SCOPED_TRACE(static_cast<int>(c.box));
        EXPECT_EQ(out.Events, c.shown);
        EXPECT_EQ(out.Refused, c.refused);
        EXPECT_EQ(out.ForceShowCursor, c.cursor);
    }
}

TEST(MoviePicks, ExecutablesJoinOnlyAsProjectorsInAnyCase) {
    std::set<std::string> projectors{"C:\\m\\show.EXE"};
    auto picks = ScreenPickedMovies({"C:\\m\\a.swf", "C:\\m\\tool.exe", "C:\\m\\show.EXE", "C:\\m\\b.SWF", "C:\\m\\a.swf"},
                                    [&](const std::string& p) { return projectors.count(p) > 0; });
    ASSERT_EQ(picks.size(), 5u);
    const bool accepted[] = {true, false, true, true, true};
    for (size_t i = 0; i < picks.size(); ++i) EXPECT_EQ(picks[i].Accepted, accepted[i]) << picks[i].Path;
    EXPECT_EQ(picks[1].Path, "C:\\m\\tool.exe");
}

TEST(PreviewPlan, WhatTheSmallPreviewShows) {
    struct Case {
        const char* what;
        PreviewRequest request;
        PreviewSource source;
        bool mute, drop, remember;
    } cases[] = {
        {"no focused entry", {"", "C:\\a.swf", true, false, true}, PreviewSource::Blank, false, false, false},
        {"the same entry clicked again", {"C:\\a.swf", "C:\\a.swf", false, true, true}, PreviewSource::Keep, false, false, false},
        {"the same entry, forced", {"C:\\a.swf", "C:\\a.swf", true, true, true}, PreviewSource::Original, false, true, true},
        {"another entry with sound", {"C:\\b.swf", "C:\\a.swf", false, true, true}, PreviewSource::Original, false, true, true},
        {"another entry, silenced", {"C:\\b.swf", "C:\\a.swf", false, true, false}, PreviewSource::MutedCopy, true, true, true},
        {"a projector with sound", {"C:\\p.Exe", "", false, true, true}, PreviewSource::ProjectorMovie, false, true, true},
        {"a projector, silenced", {"C:\\p.exe", "", false, true, false}, PreviewSource::ProjectorMovie, true, true, true},
        {"a file that has gone", {"C:\\gone.swf", "C:\\a.swf", false, false, true}, PreviewSource::Blank, false, true, false},
    };
    for (const Case& c : cases) {
        PreviewPlan p = PlanPreview(c.request);
        EXPECT_EQ(p.Source, c.source) << c.what;
        EXPECT_EQ(p.Mute, c.mute) << c.what;
        EXPECT_EQ(p.DropWorkingCopy, c.drop) << c.what;
        EXPECT_EQ(p.Remember, c.remember) << c.what;
    }
}

TEST(OptionChoices, OutOfRangeValuesShowTheDefault) {
    EXPECT_EQ(ChoiceIndex(1, 3, 2), 1);
    EXPECT_EQ(ChoiceIndex(0, 3, 2), 0);
    EXPECT_EQ(ChoiceIndex(3, 3, 2), 2);
    EXPECT_EQ(ChoiceIndex(-1, 3, 2), 2);
    EXPECT_EQ(ChoiceIndex(-2147483647 - 1, 3, 2), 2);
}

}  // namespace
}  // namespace qb
