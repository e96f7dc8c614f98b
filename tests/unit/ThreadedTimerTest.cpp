// The timer's rules, checked against workers that record what they are
// told and tick only when the test says so.
#include "player/ThreadedTimer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb {
namespace {

struct FakeWorkers : TimerWorkerFactory {
    struct Worker : TimerWorker {
        FakeWorkers& owner;
        uint16_t interval;
        TThreadPriority priority;
        std::function<void()> tick;
        bool paused = false;
        Worker(FakeWorkers& o, TThreadPriority p, uint16_t i, std::function<void()> t)
            : owner(o), interval(i), priority(p), tick(std::move(t)) {}
        ~Worker() override {
            owner.log.push_back("end");
            if (owner.live == this) owner.live = nullptr;
        }
        void SetInterval(uint16_t ms) override {
            interval = ms;
            owner.log.push_back("interval " + std::to_string(ms));
        }
        void Pause() override {
            paused = true;
            owner.log.push_back("pause");
        }
        void Resume() override {
            paused = false;
            owner.log.push_back("resume");
        }
    };

    std::unique_ptr<TimerWorker> Start(TThreadPriority p, uint16_t interval, std::function<void()> tick) override {
        auto w = std::make_unique<Worker>(*this, p, interval, std::move(tick));
        live = w.get();
        log.push_back("start " + std::to_string(interval) + " prio " + std::to_string(static_cast<int>(p)));
        return w;
    }

    // A tick measured by the live worker, as the real one delivers it.
    void Tick() {
        ASSERT_NE(live, nullptr);
        if (!live->paused) live->tick();
    }

    Worker* live = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST(ThreadedTimer, DefaultsAndNoWorkerUntilEnabled) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);
    int ticks = 0;
    timer.SetOnTimer([&](ui::Component&) { ++ticks; });
    timer.SetInterval(50);
    EXPECT_FALSE(timer.HasWorker());
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.HasWorker());
    workers.Tick();
    EXPECT_EQ(ticks, 1);
}

TEST(ThreadedTimer, NoHandlerOrZeroIntervalStaysSilent) {
    for (bool withHandler : {false, true}) {
        FakeWorkers workers;
        TThreadedTimer timer(workers);
        if (withHandler) {
            timer.SetOnTimer([](ui::Component&) {});
            timer.SetInterval(0);
        }
        timer.SetEnabled(true);
        EXPECT_FALSE(timer.HasWorker()) << withHandler;
        EXPECT_TRUE(workers.log.empty());
    }
}

TEST(ThreadedTimer, WorkerWaitsForTheLow16BitsOfTheInterval) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    timer.SetOnTimer([](ui::Component&) {});
    timer.SetInterval(70000);
    timer.SetEnabled(true);
    timer.SetInterval(65536 + 20);
    EXPECT_EQ(workers.log, (Log{"start 4464 prio 0", "resume", "interval 20"}));
    EXPECT_EQ(timer.Interval(), 65556u);
}

TEST(ThreadedTimer, OneWorkerServesEveryEnableCycle) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    timer.SetOnTimer([](ui::Component&) {});
    timer.SetEnabled(true);
    timer.SetEnabled(true);  // same value: nothing
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    timer.SetEnabled(false);
    EXPECT_EQ(workers.log, (Log{"start 1000 prio 0", "resume", "pause", "resume", "pause"}));
}

TEST(ThreadedTimer, PriorityChangeRebuildsTheWorker) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    timer.SetOnTimer([](ui::Component&) {});
    timer.SetThreadPriority(TThreadPriority::tpHigher);  // no worker yet: none made
    timer.SetEnabled(true);
    timer.SetThreadPriority(TThreadPriority::tpHigher);
    timer.SetThreadPriority(TThreadPriority::tpTimeCritical);
    timer.SetEnabled(false);
    timer.SetThreadPriority(TThreadPriority::tpIdle);  // disabled: the old one ends, none replaces it
    EXPECT_EQ(workers.log, (Log{"start 1000 prio 1", "resume", "end", "start 1000 prio 15", "pause", "end"}));
    EXPECT_FALSE(timer.HasWorker());
}

TEST(ThreadedTimer, HandlerMayDisableItselfAndIsResumedLater) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    int ticks = 0;
    timer.SetOnTimer([&](ui::Component& sender) {
        EXPECT_EQ(&sender, &timer);
        if (++ticks == 2) static_cast<TThreadedTimer&>(sender).SetEnabled(false);
    });
    timer.SetEnabled(true);
    workers.Tick();
    workers.Tick();
    workers.Tick();
    EXPECT_EQ(ticks, 2);
    timer.SetEnabled(true);
    workers.Tick();
    EXPECT_EQ(ticks, 3);
}

TEST(ThreadedTimer, HandlerMayReplaceItselfOrRebuildItsWorker) {
    FakeWorkers workers;
    TThreadedTimer timer(workers);
    std::string seen;
    timer.SetOnTimer([&](ui::Component& c) {
        auto& t = static_cast<TThreadedTimer&>(c);
        seen += "a";
        t.SetOnTimer([&](ui::Component&) { seen += "b"; });
        t.SetThreadPriority(TThreadPriority::tpLowest);
        seen += "a";  // still running after its own replacement
    });
    timer.SetEnabled(true);
    workers.Tick();
    workers.Tick();
    EXPECT_EQ(seen, "aab");
    EXPECT_EQ(workers.live->priority, TThreadPriority::tpLowest);
}

TEST(ThreadedTimer, DestructionEndsTheWorker) {
    FakeWorkers workers;
    {
        TThreadedTimer timer(workers);
        timer.SetOnTimer([](ui::Component&) {});
        timer.SetEnabled(true);
    }
    EXPECT_EQ(workers.log.back(), "end");
    EXPECT_EQ(workers.live, nullptr);
}

TEST(ThreadedTimer, PublishedPropertiesAndOwnership) {
    FakeWorkers workers;
    ui::Component form;
    auto& timer = form.Make<TThreadedTimer>("FastTimer", workers);
    EXPECT_EQ(form.FindComponent("fasttimer"), &timer);
    const char* names[] = {"Enabled", "Interval", "ThreadPriority"};
    for (const char* n : names) ASSERT_NE(timer.FindProperty(n), nullptr) << n;
    timer.FindProperty("Interval")->setInt(timer, 50);
    timer.FindProperty("ThreadPriority")->setInt(timer, 4);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpHigher);
    EXPECT_EQ(timer.FindProperty("ThreadPriority")->enumNames[size_t(timer.FindProperty("ThreadPriority")->getInt(timer))],
              "tpHigher");
    timer.SetOnTimer([](ui::Component&) {});
    timer.FindProperty("Enabled")->setInt(timer, 1);
    EXPECT_EQ(workers.log, (Log{"start 50 prio 1", "resume"}));
}

}  // namespace
}  // namespace qb
