#include "builder/BuildSession.h"

#include "platform/FileSystem.h"
#include "tests/unit/PackageFixture.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::PackageFixture;

// A session over the fixture: its folder is the data folder (it holds "build").
struct Session {
    PackageFixture fx{{"cat.swf"}, {"tide.mp3"}};
    BuildSession s{fx.tmp.Path(), fx.src.AppDir, "NewSaver"};
    std::vector<std::string> events;
    BuildSession::Hooks hooks;

    Session() {
        hooks.ConfirmReplace = [this](const std::string& path) {
            events.push_back("ask " + path);
            return false;
        };
        hooks.Started = [this] { events.push_back("started"); };
        hooks.Progress = [this](int n) { events.push_back("progress " + std::to_string(n)); };
        hooks.Step = [this] {
            // While it builds the window must stay open.
            if (s.GetState() != BuildSession::State::Building || s.CanClose()) events.push_back("closable!");
            events.push_back("step");
        };
    }
    BuildSession::Outcome Build() { return s.Build(fx.src.WorkDir, hooks); }
    std::string In(const std::string& name) const { return fx.tmp.File(name); }
};

TEST(BuildSession, OutputPathFollowsTheNameUntilTheUserChoosesOne) {
    Session t;
    const std::string sep = t.fx.sep;
    EXPECT_EQ(t.s.OutputPath(), t.In("NewSaver" + sep + "setup.exe"));
    t.s.SetName("Night Sky");
    EXPECT_EQ(t.s.OutputDir(), t.In("Night Sky" + sep));
    EXPECT_EQ(t.s.OutputPath(), t.In("Night Sky" + sep + "setup.exe"));

    t.s.ChooseOutput(t.In("out" + sep + "night.exe"));
    t.s.SetName("Day");
    EXPECT_EQ(t.s.Name(), "Day");
    EXPECT_EQ(t.s.OutputDir(), t.In("out" + sep));
    EXPECT_EQ(t.s.OutputPath(), t.In("out" + sep + "night.exe"));
    EXPECT_TRUE(t.s.PathChosen());
}

TEST(BuildSession, BuildsOnceIntoAFolderMadeForIt) {
    Session t;
    ASSERT_EQ(t.Build(), BuildSession::Outcome::Built);
    EXPECT_TRUE(fs::FileExists(t.s.OutputPath()));
    EXPECT_EQ(t.s.GetState(), BuildSession::State::Built);
    EXPECT_TRUE(t.s.CanClose());
    // Nine files and the two copies; nothing was there to ask about.
    std::vector<std::string> expected = {"started", "progress 11"};
    expected.insert(expected.end(), 11, "step");
    EXPECT_EQ(t.events, expected);

    // One window, one package: a second build touches nothing.
    const auto before = test::ReadBytes(t.s.OutputPath());
    t.fx.tmp.Write("build" + t.fx.sep + "setup.pak", std::string("changed"));
    t.events.clear();
    EXPECT_EQ(t.Build(), BuildSession::Outcome::Nothing);
    EXPECT_TRUE(t.events.empty());
    EXPECT_EQ(test::ReadBytes(t.s.OutputPath()), before);
}

TEST(BuildSession, AnExistingSetupFileIsReplacedOnlyWhenTheUserAgrees) {
    struct Case {
        const char* what;
        bool chosen, agree;
        BuildSession::Outcome outcome;
        bool asked;
    };
    const Case cases[] = {
        {"declined", false, false, BuildSession::Outcome::Declined, true},
        {"agreed", false, true, BuildSession::Outcome::Built, true},
        {"chosen in the save dialog", true, false, BuildSession::Outcome::Built, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session t;
        fs::MakeDirectory(t.In("NewSaver"));
        const std::string old = t.fx.tmp.Write("NewSaver" + t.fx.sep + "setup.exe", std::string("old setup"));
        if (c.chosen) t.s.ChooseOutput(old);
        t.hooks.ConfirmReplace = [&](const std::string& path) {
            t.events.push_back("ask " + path);
            return c.agree;
        };
        EXPECT_EQ(t.Build(), c.outcome);
        EXPECT_EQ(!t.events.empty() && t.events.front() == "ask " + old, c.asked);
        const bool replaced = c.outcome == BuildSession::Outcome::Built;
        EXPECT_EQ(test::ReadText(old) != "old setup", replaced);
        EXPECT_EQ(t.s.GetState(), replaced ? BuildSession::State::Built : BuildSession::State::Ready);
        if (!replaced) {
            EXPECT_FALSE(fs::FileExists(t.fx.src.WorkDir + "install.ini"));  // nothing written
        }
    }
}

TEST(BuildSession, AFailedBuildLeavesNoSetupFileAndCanBeTriedAgain) {
    Session t;
    // The last piece is missing: the setup file was begun when that shows.
    const std::string language = t.fx.src.PiecesDir + "language.dat";
    fs::DeleteTree(language);
    EXPECT_EQ(t.Build(), BuildSession::Outcome::Failed);
    EXPECT_FALSE(fs::FileExists(t.s.OutputPath()));
    EXPECT_EQ(t.s.GetState(), BuildSession::State::Ready);
    EXPECT_TRUE(t.s.CanClose());

    t.fx.tmp.Write("build" + t.fx.sep + "language.dat", std::string("piece:language.dat"));
    EXPECT_EQ(t.Build(), BuildSession::Outcome::Built);
    EXPECT_TRUE(fs::FileExists(t.s.OutputPath()));
}

TEST(BuildSession, RefusesWhatCannotBecomeAPackage) {
    struct Case {
        const char* name;
        BuildSession::Outcome outcome;
    };
    // A name that is no file name would make a package without its screensaver.
    const Case cases[] = {{"", BuildSession::Outcome::NeedName},
                          {"Night/Sky", BuildSession::Outcome::Failed},
                          {"Night\\Sky", BuildSession::Outcome::Failed},
                          {"Sky?", BuildSession::Outcome::Failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session t;
        t.s.SetName(c.name);
        EXPECT_EQ(t.Build(), c.outcome);
        EXPECT_TRUE(t.events.empty());
        EXPECT_FALSE(fs::FileExists(t.fx.src.WorkDir + "install.ini"));
        EXPECT_FALSE(fs::FileExists(t.In("Night")));
        EXPECT_EQ(t.s.GetState(), BuildSession::State::Ready);
    }

    // An output folder that cannot be made: reported when the file is written.
    Session t;
    t.fx.tmp.Write("blocked", std::string("a file, not a folder"));
    t.s.ChooseOutput(t.In("blocked" + t.fx.sep + "inner" + t.fx.sep + "setup.exe"));
    EXPECT_EQ(t.Build(), BuildSession::Outcome::Failed);
    EXPECT_EQ(t.s.GetState(), BuildSession::State::Ready);
}

}  // namespace
}  // namespace qb
