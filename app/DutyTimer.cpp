#include "app/DutyTimer.h"

#include <algorithm>
#include <chrono>

void CDutyTimer::Start() {
    if (m_thread.joinable() || m_duties.empty()) return;
    m_stop.Reset();
    m_thread = std::thread([this] { Run(); });
}

void CDutyTimer::Stop() {
    m_stop.Set();
    if (m_thread.joinable()) m_thread.join();
}

void CDutyTimer::Run() {
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> due;
    for (const Duty& duty : m_duties) due.push_back(Clock::now() + std::chrono::milliseconds(duty.periodMs));
    CEvent* events[1] = {&m_stop};
    for (;;) {
        const Clock::time_point next = *std::min_element(due.begin(), due.end());
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
        if (WaitForAnyEvent(events, 1, static_cast<int>(std::max<long long>(wait, 0))) == 0) return;
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < m_duties.size(); ++i) {
            if (due[i] > now) continue;
            m_duties[i].run();
            due[i] = now + std::chrono::milliseconds(m_duties[i].periodMs);
        }
    }
}
