// CEventThread: base of the background worker. Instead of a message loop it
// waits on a small table of manual-reset events with a time-out. Slot 0 is
// the stop event the base owns; a subclass adds its own events behind it. The
// hold flag lets the UI thread keep the worker from acting on its events
// while it edits shared configuration.
#pragma once

#include <atomic>
#include <thread>

#include "common/Event.h"

class CEventThread {
public:
    static constexpr int MAX_EVENTS = 8;

    // Results of WaitForEvents.
    enum WaitResult { WAIT_STOP = 0, WAIT_TIMEOUT = 1, WAIT_HELD = 2, WAIT_EVENT = 3 };

    CEventThread();
    virtual ~CEventThread();
    CEventThread(const CEventThread&) = delete;
    CEventThread& operator=(const CEventThread&) = delete;

    // Starts the thread, which runs InitInstance and then ExitInstance.
    bool CreateThread();

    // The hold flag. What it guarantees, and no more: while it is 1, an
    // event of slot 1 and up that fires is not reported as fired
    // (WaitForEvents gives WAIT_HELD, and the event stays set, so it is
    // reported once the flag is 0 again). A wait that times out still
    // reports WAIT_TIMEOUT while held: a time-out is not an event, so work
    // the worker does on its time-outs (the scanning thread's counting of
    // the poll period, and a scheduled cycle that falls due) goes on. The
    // flag is no lock: code that changes what a cycle reads must still take
    // the settings' or the catalogue's lock.
    void Hold() { m_bHold.store(1, std::memory_order_release); }
    void Release() { m_bHold.store(0, std::memory_order_release); }
    int IsHeld() const { return m_bHold.load(std::memory_order_acquire); }

    // Holds the worker, signals the stop event and waits for the thread's end.
    virtual void StopAndWait();

protected:
    // Puts an event in the table at slot and adds one to the event count.
    void AddEvent(int slot, CEvent* event);
    void SetWaitTimeout(int ms) { m_nTimeout = ms; }
    int GetWaitTimeout() const { return m_nTimeout; }

    // The thread body. A subclass that overrides it calls the base first.
    virtual bool InitInstance();
    virtual int ExitInstance() { return 0; }

    // Waits for any event of the table or the time-out: 0 stop (or a failed
    // wait), 1 time-out, 2 an event fired while held, 3 event `index` fired.
    int WaitForEvents(int& index);

    // The wait itself; tests replace it to run the worker on a simulated clock.
    virtual int WaitAny(CEvent* const* events, int count, int timeoutMs);

    // Called by the subclass at the end of its thread body.
    void CleanUp() { m_bWaitReady = false; }

    CEvent m_stopEvent;

private:
    std::atomic<int> m_bHold{0};
    int m_nEventCount = 1;
    int m_nTimeout = WAIT_INFINITE;
    bool m_bWaitReady = false;
    CEvent* m_events[MAX_EVENTS] = {};
    std::thread m_thread;
};
