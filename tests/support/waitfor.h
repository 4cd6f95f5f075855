// Waiting on real threads and processes: polls until a condition holds. The limit only catches
// something that never gets there; it lies far beyond what a slow, loaded machine needs, so no
// test depends on how fast the machine is.
#pragma once

#include <chrono>
#include <thread>

constexpr std::chrono::seconds kWaitLimit{120};

// Calls done() every poll interval until it returns true or kWaitLimit has passed; returns its
// last answer.
template <class Done>
bool WaitFor(Done done, std::chrono::milliseconds poll = std::chrono::milliseconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}
