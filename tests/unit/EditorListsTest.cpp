#include "editor/ListEdit.h"
#include "editor/PlayingSound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb {
namespace {

using Items = std::vector<std::string>;

TEST(EditorLists, MovesStopAtTheEnds) {
    struct Case {
        bool up;
        int focused;
        Items expected;
    } cases[] = {
        {true, 0, {"a", "b", "c"}},  {true, 1, {"b", "a", "c"}},   {true, 2, {"a", "c", "b"}},
        {true, -1, {"a", "b", "c"}}, {false, 2, {"a", "b", "c"}},  {false, 1, {"a", "c", "b"}},
        {false, 0, {"b", "a", "c"}}, {false, -1, {"a", "b", "c"}}, {true, 3, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        Items items{"a", "b", "c"};
        Exchange e = c.up ? MoveUpExchange(c.focused, 3) : MoveDownExchange(c.focused, 3);
        ApplyExchange(items, e);
        EXPECT_EQ(items, c.expected) << (c.up ? "up " : "down ") << c.focused;
        if (e.Done()) {
            EXPECT_EQ(e.from, c.focused);
        }
    }
}

TEST(EditorLists, SelectedEntriesGoLastFirstAndTheFocusStaysInTheList) {
    EXPECT_EQ(DeletionOrder({true, false, true, true}), (std::vector<int>{3, 2, 0}));
    EXPECT_TRUE(DeletionOrder({false, false}).empty());
    EXPECT_EQ(FocusAfterDeletion(1, 3), 1);
    EXPECT_EQ(FocusAfterDeletion(3, 3), 2);
    EXPECT_EQ(FocusAfterDeletion(0, 0), -1);
}

TEST(PlayingSound, KindFromTheExtensionInAnyCase) {
    EXPECT_EQ(SoundKindOf("C:\\a\\tide.mp3"), SoundKind::Mp3);
    EXPECT_EQ(SoundKindOf("C:\\a\\TIDE.Mp3"), SoundKind::Mp3);
    EXPECT_EQ(SoundKindOf("C:\\a\\bell.wav"), SoundKind::Mci);
    EXPECT_EQ(SoundKindOf("C:\\a.mp3\\song.mid"), SoundKind::Mci);
    EXPECT_EQ(SoundKindOf("mp3"), SoundKind::Mci);
}

// The playing index follows its entry through every exchange of the Move
// buttons, whichever of the two entries the user moved.
TEST(PlayingSound, IndexFollowsItsEntryThroughMoves) {
    struct Case {
        const char* what;
        bool up;
        int focused;
        int expected;
    } cases[] = {
        {"the entry after it moves up", true, 3, 3},
        {"it moves up", true, 2, 1},
        {"it moves down", false, 2, 3},
        {"the entry before it moves down", false, 1, 1},
        {"an unrelated entry moves", true, 5, 2},
        {"it is first and moves up", true, 0, 2},
    };
    for (const Case& c : cases) {
        Items items{"s0", "s1", "PLAY", "s3", "s4", "s5"};
        PlayingSound p;
        p.Start(2, SoundKind::Mp3);
        Exchange e = c.up ? MoveUpExchange(c.focused, 6) : MoveDownExchange(c.focused, 6);
        ApplyExchange(items, e);
        if (e.Done()) p.Exchanged(e.from, e.to);
        ASSERT_TRUE(p.Playing()) << c.what;
        EXPECT_EQ(items[p.Index()], "PLAY") << c.what;
    }
}

TEST(PlayingSound, DeletingAroundThePlayingEntryKeepsItAndDeletingItStops) {
    struct Case {
        std::vector<bool> selected;
        bool stillPlaying;
    } cases[] = {
        {{true, true, false, false, false}, true},
        {{false, false, false, true, true}, true},
        {{true, false, false, false, true}, true},
        {{false, true, true, true, false}, false},
    };
    for (const Case& c : cases) {
        Items items{"s0", "s1", "PLAY", "s3", "s4"};
        PlayingSound p;
        p.Start(2, SoundKind::Mci);
        int closed = 0;
        for (int i : DeletionOrder(c.selected)) {
            if (p.Deleting(i)) ++closed;
            items.erase(items.begin() + i);
        }
        EXPECT_EQ(p.Playing(), c.stillPlaying);
        EXPECT_EQ(closed, c.stillPlaying ? 0 : 1) << "the playing sound is closed exactly once";
        if (c.stillPlaying) {
            EXPECT_EQ(items.at(p.Index()), "PLAY");
        } else {
            EXPECT_EQ(p.Index(), -1);
        }
    }
}

TEST(PlayingSound, NothingPlayingIgnoresListChanges) {
    PlayingSound p;
    p.Exchanged(0, 1);
    EXPECT_FALSE(p.Deleting(0));
    EXPECT_FALSE(p.Playing());
    p.Start(1, SoundKind::Mp3);
    p.Stop();
    EXPECT_FALSE(p.Deleting(1));
    EXPECT_EQ(p.Index(), -1);
}

}  // namespace
}  // namespace qb
