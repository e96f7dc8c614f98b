// Frame scripts: timeline commands, the stack machine, clips by name and
// path, and the bounds that keep hostile scripts from hanging a frame.
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qb::test {
namespace {

using movie::Movie;

// A movie of `frames` frames whose frame `scriptFrame` (from 0) runs `script`;
// frame 2 is labelled "two"; a 4-frame sprite named "kid" sits at depth 1.
SwfWriter WithScript(const ActionWriter& script, int scriptFrame = 0, int frames = 6, uint8_t version = 6) {
    SwfWriter w(MovieHeader{.Version = version});
    Square(w, 1);
    TagList sprite;
    Place(sprite, {.Depth = 1, .Character = 1});
    sprite.ShowFrame().ShowFrame().ShowFrame().ShowFrame().End();
    w.DefineSprite(2, sprite);
    Place(w, {.Depth = 1, .Character = 2, .Name = std::string("kid")});
    for (int f = 0; f < frames; ++f) {
        if (f == 2) Label(w, "two");
        if (f == scriptFrame) w.DoAction(script.End());
        w.ShowFrame();
    }
    w.End();
    return w;
}

movie::Clip& Kid(Movie& m) { return *m.Root().ChildNamed("kid")->AsClip(); }

TEST(Actions, TimelineCommandsMoveTheRoot) {
    struct Case {
        const char* name;
        ActionWriter script;
        int expectFrame;  // from 0, right after loading
        bool expectPlaying;
    };
    std::vector<Case> cases;
    cases.push_back({"stop", ActionWriter().Stop(), 0, false});
    cases.push_back({"gotoFrame", ActionWriter().GotoFrame(4), 4, false});
    cases.push_back({"gotoLabel", ActionWriter().GotoLabel("TWO"), 2, false});
    cases.push_back({"nextFrame", ActionWriter().NextFrame(), 1, false});
    cases.push_back({"gotoFrame2 number, play", ActionWriter().Push(4.0).GotoFrame2(true), 3, true});
    cases.push_back({"gotoFrame2 label", ActionWriter().Push("two").GotoFrame2(false), 2, false});
    cases.push_back({"gotoAndStop method", ActionWriter().Push(5.0).PushInt(1).Push("this").Op(0x1C).Push("gotoAndStop").Op(0x52), 4, false});
    cases.push_back({"unknown actions skipped", ActionWriter().Raw(0xEE, {1, 2, 3}).Op(0x7F).Stop(), 0, false});
    cases.push_back({"gotoFrame2 past any frame", ActionWriter().Push("1e300").GotoFrame2(false), 5, false});
    cases.push_back({"gotoFrame2 not a number", ActionWriter().Push("nan").GotoFrame2(false), 0, true});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie m(LoadMovie(WithScript(c.script)));
        EXPECT_EQ(m.FrameNum(), c.expectFrame);
        EXPECT_EQ(m.Playing(), c.expectPlaying);
    }
}

TEST(Actions, PrevFrameAndPlayFromALaterFrame) {
    Movie m(LoadMovie(WithScript(ActionWriter().PrevFrame().Play(), 3)));
    m.Tick();
    m.Tick();
    m.Tick();  // frame 3 runs: back to frame 2 (index 2), then plays on
    EXPECT_EQ(m.FrameNum(), 2);
    EXPECT_TRUE(m.Playing());
    m.Tick();  // into frame 4 again: its script sends the movie back again
    EXPECT_EQ(m.FrameNum(), 2);
    EXPECT_TRUE(m.Playing());
}

TEST(Actions, SetTargetAndMethodsReachChildClips) {
    // tellTarget("kid") { gotoAndStop(3) } and kid.play() stopped first.
    ActionWriter tell;
    tell.SetTarget("kid").GotoFrame(2).SetTarget("");
    tell.Stop();
    Movie m(LoadMovie(WithScript(tell)));
    EXPECT_EQ(Kid(m).CurrentFrame(), 3);
    EXPECT_FALSE(Kid(m).Playing());
    EXPECT_FALSE(m.Playing());

    // _root.kid.gotoAndPlay("2")... written as getVariable/getMember/callMethod.
    ActionWriter call;
    call.ConstantPool({"_root", "kid", "gotoAndPlay"})
        .Push(2.0).PushInt(1).PushConstant(0).Op(0x1C).PushConstant(1).Op(0x4E).PushConstant(2).Op(0x52).Op(0x17);
    Movie n(LoadMovie(WithScript(call)));
    EXPECT_EQ(Kid(n).CurrentFrame(), 2);
    EXPECT_TRUE(Kid(n).Playing());
}

TEST(Actions, VariablesArithmeticAndBranches) {
    // i = 0; while (i < 5) i = i + 1; if (i == 5) gotoAndStop(4);
    ActionWriter a;
    a.Push("i").PushInt(0).Op(0x1D);
    const size_t loopTop = a.Size();
    a.Push("i").Op(0x1C).PushInt(5).Op(0x48).Op(0x12);  // !(i < 5)
    ActionWriter body;
    body.Push("i").Push("i").Op(0x1C).PushInt(1).Op(0x47).Op(0x1D);
    const int16_t bodySize = static_cast<int16_t>(body.Size());
    a.If(static_cast<int16_t>(bodySize + 5));
    a.Push("i").Push("i").Op(0x1C).PushInt(1).Op(0x47).Op(0x1D);
    a.Jump(static_cast<int16_t>(static_cast<int64_t>(loopTop) - static_cast<int64_t>(a.Size() + 5)));
    a.Push("i").Op(0x1C).PushInt(5).Op(0x49).Op(0x12);
    a.If(5).GotoFrame(3);
    a.Push("sum").PushInt(7).PushInt(3).Op(0x0C).PushInt(1).Op(0x0B).Op(0x1D);  // sum = 7 * 3 - 1
    Movie m(LoadMovie(WithScript(a)));
    EXPECT_EQ(m.FrameNum(), 3);
    auto& vars = m.Root().Variables();
    ASSERT_TRUE(vars.count("i"));
    EXPECT_EQ(vars.at("i").Number, 5);
    EXPECT_EQ(vars.at("sum").Number, 20);
}

TEST(Actions, ScriptFunctionsRunWhenCalledAndReturnTheirValues) {
    const ActionWriter halt = ActionWriter().Stop();
    // function add(a, b) { var t = a + b; return t; }
    ActionWriter add;
    add.Push("t").Push("a").Op(0x1C).Push("b").Op(0x1C).Op(0x47).Op(0x3C).Push("t").Op(0x1C).Return();
    // The second form: a and b in registers 1 and 2, `this` preloaded first
    // into register 1 and then overwritten by a; returns a * b.
    ActionWriter mul;
    mul.PushRegister(1).PushRegister(2).Op(0x0C).Return();
    // function down(n) { if (n == 0) return "done"; return down(n - 1); }
    ActionWriter recurse;
    recurse.Push("n").Op(0x1C).PushInt(1).Op(0x0B).PushInt(1).Push("down").Op(0x3D).Return();
    ActionWriter down;
    down.Push("n").Op(0x1C).PushInt(0).Op(0x49).If(static_cast<int16_t>(recurse.Size())).Append(recurse);
    down.Push("done").Return();
    // And one that calls itself with no end.
    ActionWriter forever;
    forever.PushInt(0).Push("forever").Op(0x3D).Return();

    struct Case {
        const char* name;
        ActionWriter script;
        bool expectPlaying;
        const char* var;  // a root variable to check, or null
        double number;    // its value when a number; -1: it must not exist
        const char* text; // or its text
    };
    std::vector<Case> cases;
    cases.push_back({"defining does not run the body", ActionWriter().DefineFunction("halt", {}, halt), true, nullptr, 0, nullptr});
    cases.push_back({"calling runs it", ActionWriter().DefineFunction("halt", {}, halt).PushInt(0).Push("halt").Op(0x3D).Op(0x17),
                     false, nullptr, 0, nullptr});
    cases.push_back({"arguments and return value",
                     ActionWriter().DefineFunction("add", {"a", "b"}, add).Push("r").PushInt(3).PushInt(2).PushInt(2).Push("add").Op(0x3D).Op(0x1D),
                     true, "r", 5, nullptr});
    cases.push_back({"locals stay inside", ActionWriter().DefineFunction("add", {"a", "b"}, add).PushInt(3).PushInt(2).PushInt(2).Push("add").Op(0x3D).Op(0x17),
                     true, "t", -1, nullptr});
    cases.push_back({"registers of its own",
                     ActionWriter().PushInt(9).StoreRegister(1).Op(0x17)
                         .DefineFunction2("mul", 3, 0x01, {{1, "a"}, {2, "b"}}, mul)
                         .Push("r").PushInt(5).PushInt(4).PushInt(2).Push("mul").Op(0x3D).Op(0x1D)
                         .Push("kept").PushRegister(1).Op(0x1D),
                     true, "r", 20, nullptr});
    cases.push_back({"the caller's registers are its own", ActionWriter().PushInt(9).StoreRegister(1).Op(0x17)
                         .DefineFunction2("mul", 3, 0x01, {{1, "a"}, {2, "b"}}, mul)
                         .PushInt(5).PushInt(4).PushInt(2).Push("mul").Op(0x3D).Op(0x17)
                         .Push("kept").PushRegister(1).Op(0x1D),
                     true, "kept", 9, nullptr});
    cases.push_back({"a function value called as a method",
                     ActionWriter().Push("f").DefineFunction("", {"a", "b"}, add).Op(0x1D)
                         .Push("r").PushInt(10).PushInt(1).PushInt(2).Push("this").Op(0x1C).Push("f").Op(0x52).Op(0x1D),
                     true, "r", 11, nullptr});
    cases.push_back({"recursion", ActionWriter().DefineFunction("down", {"n"}, down).Push("r").PushInt(6).PushInt(1).Push("down").Op(0x3D).Op(0x1D),
                     true, "r", 0, "done"});
    cases.push_back({"endless recursion ends", ActionWriter().DefineFunction("forever", {}, forever).PushInt(0).Push("forever").Op(0x3D).Op(0x17).Push("after").PushInt(1).Op(0x1D),
                     true, "after", 1, nullptr});
    cases.push_back({"a body longer than the script", ActionWriter().Raw(0x9B, {'f', 0, 0, 0, 0xFF, 0x7F}).Stop(), true, nullptr, 0, nullptr});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie m(LoadMovie(WithScript(c.script)));
        EXPECT_EQ(m.Playing(), c.expectPlaying);
        if (!c.var) continue;
        auto& vars = m.Root().Variables();
        if (c.number < 0) {
            EXPECT_FALSE(vars.count(c.var));
            continue;
        }
        ASSERT_TRUE(vars.count(c.var));
        if (c.text) EXPECT_EQ(vars.at(c.var).String, c.text);
        else EXPECT_EQ(vars.at(c.var).Number, c.number);
    }
}

TEST(Actions, ScriptsMakeAndRemoveClipsThatTheTimelineLeavesAlone) {
    SwfWriter w(MovieHeader{.Version = 6});
    Square(w, 1);
    TagList sprite;
    Place(sprite, {.Depth = 1, .Character = 1});
    sprite.ShowFrame().ShowFrame().End();
    w.DefineSprite(2, sprite);
    w.ExportAssets(2, "thing");
    Place(w, {.Depth = 1, .Character = 2, .Matrix = MatrixSpec{.Tx = 200}, .Name = std::string("kid")});
    // duplicateMovieClip("kid", "copy", 3); this.attachMovie("thing", "fresh", 4); removeMovieClip("kid")
    ActionWriter first;
    first.Push("kid").Push("copy").PushInt(3).Op(0x24);
    first.PushInt(4).Push("fresh").Push("thing").PushInt(3).Push("this").Op(0x1C).Push("attachMovie").Op(0x52).Op(0x17);
    first.Push("kid").Op(0x25);
    w.DoAction(first.End());
    w.ShowFrame();
    w.DoAction(ActionWriter().Push("copy").Op(0x25).End());  // removeMovieClip("copy")
    w.ShowFrame();
    w.ShowFrame();
    w.End();

    Movie m(LoadMovie(w));
    auto& root = m.Root();
    ASSERT_TRUE(root.ChildNamed("kid"));  // the timeline's own stays
    auto copy = root.ChildNamed("copy");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Depth, movie::Clip::kScriptDepths + 3);
    EXPECT_EQ(copy->Matrix.Tx, 200);
    auto fresh = root.ChildNamed("fresh");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->Depth, movie::Clip::kScriptDepths + 4);

    m.Tick();
    EXPECT_FALSE(root.ChildNamed("copy"));
    m.Tick();
    m.GotoFrame(1, false);  // back: the timeline rebuilds, the script's clip stays as it is
    EXPECT_EQ(root.ChildNamed("fresh"), fresh);
    EXPECT_TRUE(root.ChildNamed("kid"));
}

TEST(Actions, ColorObjectsTintTheirClip) {
    // c = new Color("kid"); c.setRGB(0x336699); rgb = c.getRGB();
    ActionWriter a;
    a.Push("c").Push("kid").PushInt(1).Push("Color").Op(0x40).Op(0x1D);
    a.PushInt(0x336699).PushInt(1).Push("c").Op(0x1C).Push("setRGB").Op(0x52).Op(0x17);
    a.Push("rgb").PushInt(0).Push("c").Op(0x1C).Push("getRGB").Op(0x52).Op(0x1D);
    Movie m(LoadMovie(WithScript(a)));
    const swf::ColorTransform& cx = Kid(m).Cx;
    EXPECT_EQ(cx.RMul, 0);
    EXPECT_EQ(cx.RAdd, 0x33);
    EXPECT_EQ(cx.GAdd, 0x66);
    EXPECT_EQ(cx.BAdd, 0x99);
    EXPECT_EQ(cx.AMul, 256);
    EXPECT_EQ(m.Root().Variables().at("rgb").Number, 0x336699);
}

TEST(Actions, PropertiesOfClips) {
    // Root's _totalframes into t; kid's _currentframe into c; kid._x = 12.
    ActionWriter a;
    a.Push("t").Push("").PushInt(5).Op(0x22).Op(0x1D);
    a.Push("c").Push("kid").PushInt(4).Op(0x22).Op(0x1D);
    a.Push("kid").PushInt(0).PushInt(12).Op(0x23);
    // Numbers that name no property read as 0 and set nothing.
    const double nothing[] = {std::nan(""), HUGE_VAL, -1.0, 1e300, 22.0};
    for (double n : nothing) {
        a.Push("x").Push("kid").Push(n).Op(0x22).Op(0x1D);
        a.Push("kid").Push(n).PushInt(7).Op(0x23);
    }
    Movie m(LoadMovie(WithScript(a, 1)));
    m.Tick();
    auto& vars = m.Root().Variables();
    EXPECT_EQ(vars.at("t").Number, 6);
    EXPECT_EQ(vars.at("c").Number, 2);
    EXPECT_EQ(Kid(m).Matrix.Tx, 240);
    EXPECT_TRUE(Kid(m).Scripted);
    EXPECT_EQ(vars.at("x").Number, 0);
    EXPECT_EQ(Kid(m).Matrix.Ty, 0);
}

TEST(Actions, EndlessScriptsAndGotoLoopsEndTheFrame) {
    // A jump to itself, forever.
    Movie spin(LoadMovie(WithScript(ActionWriter().Jump(-5))));
    spin.Tick();
    EXPECT_EQ(spin.FrameNum(), 1);

    // Frame 1 sends the movie to frame 2 and frame 2 back to frame 1.
    SwfWriter w;
    w.DoAction(ActionWriter().GotoFrame(1).Play().End()).ShowFrame();
    w.DoAction(ActionWriter().GotoFrame(0).Play().End()).ShowFrame().End();
    Movie pingPong(LoadMovie(w));
    pingPong.Tick();

    // Jumps back and forth inside an endless script: each jump back rebuilds
    // the stage, so jumps are counted too.
    ActionWriter jumps;
    jumps.GotoFrame(5).GotoFrame(0);
    jumps.Jump(static_cast<int16_t>(-static_cast<int>(jumps.Size()) - 5));
    Movie thrash(LoadMovie(WithScript(jumps, 0, 6)));
    thrash.Tick();
    SUCCEED();  // reaching here is the test: every frame ended
}

TEST(Actions, StringsAndComparisons) {
    ActionWriter a;
    a.Push("s").Push("ab").Push("cd").Op(0x21).Op(0x1D);           // s = "ab" add "cd"
    a.Push("n").Push("12").PushInt(3).Op(0x47).Op(0x1D);           // n = "12" + 3 (add2: a string)
    a.Push("lt").PushInt(2).PushInt(10).Op(0x48).Op(0x1D);          // lt = 2 < 10
    a.Push("len").Push("hello").Op(0x14).Op(0x1D);                  // len = length("hello")
    Movie m(LoadMovie(WithScript(a, 0, 2, 7)));
    auto& v = m.Root().Variables();
    EXPECT_EQ(v.at("s").String, "abcd");
    EXPECT_EQ(v.at("n").String, "123");
    EXPECT_TRUE(v.at("lt").Bool);
    EXPECT_EQ(v.at("len").Number, 5);
}

TEST(Actions, InitActionsRunOnceBeforeTheFrameScripts) {
    // Frame 1 places sprite 2 as "kid"; its frame script reads what the
    // init actions set, though they come after it in the file. Sprite 3 is
    // never placed: its init action runs on the root.
    SwfWriter w(MovieHeader{.Version = 6});
    Square(w, 1);
    for (uint16_t id : {2, 3}) {
        TagList sprite;
        Place(sprite, {.Depth = 1, .Character = 1});
        sprite.ShowFrame().End();
        w.DefineSprite(id, sprite);
    }
    auto init = [&w](uint16_t sprite, const ActionWriter& a) {
        const Bytes code = a.End();
        w.Tag(tag::DoInitAction, ByteWriter().U16(sprite).Append(code).Data(), TagForm::Long);
    };
    Place(w, {.Depth = 1, .Character = 2, .Name = std::string("kid")});
    // seen = n; n = "used"; kidready = kid:ready
    w.DoAction(ActionWriter()
                   .Push("seen").Push("n").Op(0x1C).Op(0x1D)
                   .Push("n").Push("used").Op(0x1D)
                   .Push("kidready").Push("kid:ready").Op(0x1C).Op(0x1D)
                   .End());
    init(2, ActionWriter().Push("/:n").PushInt(1).Op(0x1D).Push("ready").PushBool(true).Op(0x1D));
    init(3, ActionWriter().Push("orphan").PushInt(3).Op(0x1D));
    w.Tag(tag::DoInitAction, Bytes{2});  // cut short: nothing to run
    w.ShowFrame().ShowFrame().End();

    Movie m(LoadMovie(w));
    auto& root = m.Root().Variables();
    ASSERT_TRUE(root.count("seen"));
    EXPECT_EQ(root.at("seen").Number, 1);
    EXPECT_TRUE(root.at("kidready").Bool);
    EXPECT_TRUE(Kid(m).Variables().count("ready"));
    EXPECT_FALSE(root.count("ready"));
    EXPECT_EQ(root.at("orphan").Number, 3);

    m.Tick();
    m.Tick();  // back on frame 1: its script runs again, the init actions do not
    EXPECT_EQ(m.FrameNum(), 0);
    EXPECT_EQ(root.at("seen").String, "used");
}

}  // namespace
}  // namespace qb::test
