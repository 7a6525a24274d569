#include "common/Event.h"

namespace {
// All events share one mutex and one condition variable: the program has a
// handful of events that change rarely, so a broadcast on every change is
// cheap and keeps waiting for any of several events simple and race-free.
std::mutex& EventMutex() {
    static std::mutex m;
    return m;
}
std::condition_variable& EventCondition() {
    static std::condition_variable cv;
    return cv;
}

int FirstSet(CEvent* const* events, int count) {
    for (int i = 0; i < count; ++i)
        if (events[i] && events[i]->IsSet()) return i;
    return -1;
}
}  // namespace

void CEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(EventMutex());
        m_bSet = true;
    }
    EventCondition().notify_all();
}

void CEvent::Reset() {
    std::lock_guard<std::mutex> lock(EventMutex());
    m_bSet = false;
}

bool CEvent::IsSet() const {
    return m_bSet.load(std::memory_order_acquire);
}

int WaitForAnyEvent(CEvent* const* events, int count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(EventMutex());
    int index = -1;
    auto ready = [&] { return (index = FirstSet(events, count)) >= 0; };
    if (timeoutMs < 0) {
        EventCondition().wait(lock, ready);
    } else {
        EventCondition().wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    return index;
}
