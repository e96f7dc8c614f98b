// The system's timer workers: one thread per worker that waits on its stop
// event and hands each tick to the user-interface thread with SendMessage,
// which keeps the worker blocked until the handler has returned.
//
// Stopping never suspends the thread: a thread suspended while it holds a
// C-runtime or heap lock would deadlock the whole process. A paused worker
// instead waits on its stop event without a time-out, and an epoch number
// that every pause and resume changes discards a tick measured before it.
#include "player/TimerWorker.h"
#include "platform/Handle.h"

#include "ui/Application.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace qb {
namespace {

const UINT kTickMessage = WM_APP + 0x51;

struct WorkerState {
    win::UniqueHandle stopEvent{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<uint16_t> interval{0};
    std::atomic<bool> terminated{false};
    std::atomic<bool> paused{false};
    std::atomic<uint32_t> epoch{0};
    HWND target = nullptr;
    // Only touched on the user-interface thread.
    std::function<void()> tick;
    bool inTick = false;
};

// A message-only window on the user-interface thread that runs the ticks.
class TickWindow {
public:
    static HWND ForThisThread() {
        thread_local TickWindow window;
        return window.hwnd_;
    }
    ~TickWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }

private:
    TickWindow() {
        static const char* const kClass = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "QbThreadedTimerTicks";
            RegisterClassA(&wc);
            return "QbThreadedTimerTicks";
        }();
        hwnd_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
        if (!hwnd_) throw std::runtime_error("cannot create the timer window");
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg != kTickMessage) return DefWindowProcA(hwnd, msg, wp, lp);
        auto* state = reinterpret_cast<WorkerState*>(lp);
        // The sending worker holds the state alive until this returns.
        if (state->terminated || state->paused || static_cast<uint32_t>(wp) != state->epoch || state->inTick) return 0;
        state->inTick = true;
        struct Clear {
            WorkerState* s;
            ~Clear() { s->inTick = false; }
        } clear{state};
        // An exception must not unwind through the system's window code: a
        // handler's error goes to the general error box and the timer goes on.
        ui::Application::Guarded([state] { state->tick(); });
        return 0;
    }

    HWND hwnd_ = nullptr;
};

DWORD WINAPI WorkerBody(void* param) {
    // The thread owns one reference to the state, handed over at creation.
    std::unique_ptr<std::shared_ptr<WorkerState>> owned(static_cast<std::shared_ptr<WorkerState>*>(param));
    WorkerState& s = **owned;
    while (!s.terminated) {
        if (s.paused) {
            WaitForSingleObject(s.stopEvent.Get(), INFINITE);
            continue;
        }
        const uint32_t epoch = s.epoch;
        const DWORD waited = WaitForSingleObject(s.stopEvent.Get(), s.interval);
        if (waited == WAIT_TIMEOUT && !s.terminated && !s.paused && epoch == s.epoch)
            SendMessageA(s.target, kTickMessage, epoch, reinterpret_cast<LPARAM>(&s));
    }
    return 0;
}

class ThreadWorker final : public TimerWorker {
public:
    ThreadWorker(TThreadPriority priority, uint16_t interval, std::function<void()> tick)
        : state_(std::make_shared<WorkerState>()) {
        if (!state_->stopEvent) throw std::runtime_error("cannot create the timer's stop event");
        state_->interval = interval;
        state_->target = TickWindow::ForThisThread();
        state_->tick = std::move(tick);
        auto handover = std::make_unique<std::shared_ptr<WorkerState>>(state_);
        thread_ = win::UniqueHandle(CreateThread(nullptr, 0, WorkerBody, handover.get(), CREATE_SUSPENDED, nullptr));
        if (!thread_) throw std::runtime_error("cannot start the timer thread");
        handover.release();  // now the thread's
        SetThreadPriority(thread_.Get(), static_cast<int>(priority));
        ResumeThread(thread_.Get());
    }

    ~ThreadWorker() override {
        state_->terminated = true;
        SetEvent(state_->stopEvent.Get());
        // Ended from inside its own tick: the thread is blocked on this very
        // call and ends by itself once the handler returns.
        if (state_->inTick) return;
        // Otherwise wait, answering a tick it may be sending meanwhile (the
        // window procedure drops it).
        HANDLE h = thread_.Get();
        while (MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

    void SetInterval(uint16_t milliseconds) override { state_->interval = milliseconds; }

    void Pause() override {
        state_->paused = true;
        ++state_->epoch;
        SetEvent(state_->stopEvent.Get());
    }

    void Resume() override {
        state_->paused = false;
        ++state_->epoch;
        SetEvent(state_->stopEvent.Get());
    }

private:
    std::shared_ptr<WorkerState> state_;
    win::UniqueHandle thread_;
};

class ThreadWorkers final : public TimerWorkerFactory {
public:
    std::unique_ptr<TimerWorker> Start(TThreadPriority priority, uint16_t interval,
                                       std::function<void()> tick) override {
        return std::make_unique<ThreadWorker>(priority, interval, std::move(tick));
    }
};

}  // namespace

TimerWorkerFactory& SystemTimerWorkers() {
    static ThreadWorkers workers;
    return workers;
}

}  // namespace qb
