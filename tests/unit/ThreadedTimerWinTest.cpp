// Real worker threads against a real message loop. Timing under wine is
// not guaranteed, so the checks are about order and count of ticks, with a
// second timer as the clock where one is needed.
#include "player/ThreadedTimer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace qb {
namespace {

// Runs the message loop until the condition holds; fails after a generous
// deadline instead of hanging.
bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

std::unique_ptr<TThreadedTimer> MakeTimer(uint32_t interval, TThreadedTimer::TimerEvent handler) {
    auto t = std::make_unique<TThreadedTimer>();
    t->SetInterval(interval);
    t->SetOnTimer(std::move(handler));
    return t;
}

TEST(ThreadedTimerWin, TicksRunOnThisThreadOneAtATime) {
    const DWORD self = GetCurrentThreadId();
    int clock = 0;
    auto reference = MakeTimer(5, [&](ui::Component&) { ++clock; });
    int ticks = 0;
    bool inside = false, reentered = false, otherThread = false;
    auto timer = MakeTimer(1, [&](ui::Component&) {
        reentered |= inside;
        otherThread |= GetCurrentThreadId() != self;
        inside = true;
        ++ticks;
        // A nested loop lets other ticks in, but not this timer's next one:
        // its worker waits for this handler.
        const int until = clock + 3;
        PumpUntil([&] { return clock >= until; });
        inside = false;
    });
    reference->SetEnabled(true);
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 4; }));
    EXPECT_FALSE(reentered);
    EXPECT_FALSE(otherThread);
}

TEST(ThreadedTimerWin, HandlerDisablingItselfStopsTicksUntilReenabled) {
    int clock = 0, ticks = 0;
    auto reference = MakeTimer(10, [&](ui::Component&) { ++clock; });
    auto timer = MakeTimer(10, [&](ui::Component& c) {
        auto& t = static_cast<TThreadedTimer&>(c);
        if (++ticks == 3) t.SetEnabled(false);
    });
    reference->SetEnabled(true);
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    const int from = clock;
    ASSERT_TRUE(PumpUntil([&] { return clock >= from + 20; }));
    EXPECT_EQ(ticks, 3);
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 6; }));
}

TEST(ThreadedTimerWin, EnablingStartsAFullIntervalEveryTime) {
    // Re-enabled every few milliseconds, a five-second timer never gets to tick.
    int ticks = 0, toggles = 0;
    auto slow = MakeTimer(5000, [&](ui::Component&) { ++ticks; });
    slow->SetEnabled(true);
    auto toggler = MakeTimer(5, [&](ui::Component&) {
        ++toggles;
        slow->SetEnabled(false);
        slow->SetEnabled(true);
    });
    toggler->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return toggles >= 60; }));
    EXPECT_EQ(ticks, 0);
}

TEST(ThreadedTimerWin, NoTickMeasuredBeforeDisablingArrivesAfterIt) {
    // The fast timer's worker measures a tick while the other timer's handler
    // runs; disabled there (and, in the second round, enabled again with a
    // long interval) the fast timer must not deliver that tick.
    for (bool reenable : {false, true}) {
        SCOPED_TRACE(reenable);
        int fastTicks = 0, clock = 0, atDisable = -1;
        auto fast = MakeTimer(1, [&](ui::Component&) { ++fastTicks; });
        auto reference = MakeTimer(5, [&](ui::Component&) {
            if (++clock == 5) {
                Sleep(20);  // the fast worker has a tick waiting by now
                fast->SetInterval(60000);
                fast->SetEnabled(false);
                if (reenable) fast->SetEnabled(true);
                atDisable = fastTicks;
            }
        });
        fast->SetEnabled(true);
        reference->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return clock >= 25; }));
        EXPECT_EQ(fastTicks, atDisable);
    }
}

TEST(ThreadedTimerWin, WorkersEndWhateverTheyAreDoing) {
    // Destroyed from another timer's handler, from its own handler, rebuilt
    // by a priority change inside its own handler, or right after enabling:
    // no hang, no crash, and the survivors go on ticking.
    int clock = 0, rebuiltTicks = 0, selfTicks = 0;
    auto victim = MakeTimer(1, [](ui::Component&) {});
    std::unique_ptr<TThreadedTimer> self;
    self = MakeTimer(1, [&](ui::Component&) {
        ++selfTicks;
        self.reset();
    });
    auto rebuilt = MakeTimer(1, [&](ui::Component& c) {
        auto& t = static_cast<TThreadedTimer&>(c);
        ++rebuiltTicks;
        t.SetThreadPriority(rebuiltTicks % 2 ? TThreadPriority::tpHigher : TThreadPriority::tpLowest);
    });
    auto reference = MakeTimer(5, [&](ui::Component&) {
        if (++clock == 3) victim.reset();
    });
    victim->SetEnabled(true);
    self->SetEnabled(true);
    rebuilt->SetEnabled(true);
    reference->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return clock >= 10 && rebuiltTicks >= 5 && !self; }));
    EXPECT_EQ(selfTicks, 1);
    EXPECT_EQ(victim, nullptr);
    for (int i = 0; i < 30; ++i) {
        auto brief = MakeTimer(1, [](ui::Component&) {});
        brief->SetEnabled(true);
        if (i % 2) PumpUntil([] { return true; });
    }
}

}  // namespace
}  // namespace qb
