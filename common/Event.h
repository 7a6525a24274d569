// CEvent: a manual-reset event that threads can wait on, alone or together
// with others (WaitForAnyEvent). Once set it stays set until Reset.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

constexpr int WAIT_INFINITE = -1;

class CEvent {
public:
    CEvent() = default;
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

private:
    friend int WaitForAnyEvent(CEvent* const* events, int count, int timeoutMs);
    std::atomic<bool> m_bSet{false};  // changed only under the shared event mutex
};

// Waits until one of the events is set or the time-out (milliseconds, or
// WAIT_INFINITE) passes. Returns the lowest index of a set event, or -1 on a
// time-out. Null entries are ignored.
int WaitForAnyEvent(CEvent* const* events, int count, int timeoutMs);
