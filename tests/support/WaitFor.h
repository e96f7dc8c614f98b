#pragma once
#include <chrono>
#include <thread>

namespace qb::test {

// Polls check() until it holds or the deadline passes; for work another
// thread finishes in its own time. Answers whether it held.
template <class F>
bool WaitFor(F check, std::chrono::seconds deadline = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!check()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace qb::test
