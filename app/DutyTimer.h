// CDutyTimer: the timers of a front end without windows. A thread of its own
// runs each duty every period (the core's fetch watchdog every 10 s, its
// archive maintenance every 300 s) until stopped, as the main window's timers
// do in the desktop program.
#pragma once

#include <functional>
#include <thread>
#include <vector>

#include "common/Event.h"

class CDutyTimer {
public:
    struct Duty {
        int periodMs;
        std::function<void()> run;
    };

    explicit CDutyTimer(std::vector<Duty> duties) : m_duties(std::move(duties)) {}
    ~CDutyTimer() { Stop(); }
    CDutyTimer(const CDutyTimer&) = delete;
    CDutyTimer& operator=(const CDutyTimer&) = delete;

    // Starts the thread; the first run of each duty comes one period later.
    void Start();
    // Ends the thread (a duty running now finishes first). Safe to call twice.
    void Stop();

private:
    void Run();

    std::vector<Duty> m_duties;
    CEvent m_stop;
    std::thread m_thread;
};
