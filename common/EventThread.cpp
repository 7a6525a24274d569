#include "common/EventThread.h"

CEventThread::CEventThread() { m_events[0] = &m_stopEvent; }

CEventThread::~CEventThread() {
    // A thread still running here is a programming error in the owner; make
    // sure it ends rather than terminating the process.
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_stopEvent.Set();
        m_thread.join();
    }
}

bool CEventThread::CreateThread() {
    if (m_thread.joinable()) return false;
    try {
        m_thread = std::thread([this] {
            InitInstance();
            ExitInstance();
        });
    } catch (...) {
        return false;
    }
    return true;
}

void CEventThread::AddEvent(int slot, CEvent* event) {
    if (slot <= 0 || slot >= MAX_EVENTS) return;
    m_events[slot] = event;
    ++m_nEventCount;
}

bool CEventThread::InitInstance() {
    m_bWaitReady = true;
    return true;
}

int CEventThread::WaitAny(CEvent* const* events, int count, int timeoutMs) {
    return WaitForAnyEvent(events, count, timeoutMs);
}

int CEventThread::WaitForEvents(int& index) {
    if (!m_bWaitReady) return WAIT_STOP;  // no wait object: count it as a stop
    const int signalled = WaitAny(m_events, m_nEventCount, m_nTimeout);
    if (signalled == 0) return WAIT_STOP;
    if (signalled < 0) return WAIT_TIMEOUT;
    if (signalled >= m_nEventCount) return WAIT_STOP;
    if (IsHeld() == 1) return WAIT_HELD;
    index = signalled;
    return WAIT_EVENT;
}

void CEventThread::StopAndWait() {
    if (IsHeld() != 1) Hold();
    m_stopEvent.Set();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}
