#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "net/EventThread.h"

namespace {

// A worker with one event of its own in slot 1 that records what each wait
// reported, and resets its event when it handled it.
class CRecordingWorker : public CEventThread {
public:
    CRecordingWorker() {
        AddEvent(1, &m_work);
        SetWaitTimeout(20);
    }
    CEvent m_work;
    std::atomic<int> m_nHandled{0};
    std::atomic<int> m_nHeldSeen{0};
    std::atomic<bool> m_bEnded{false};

protected:
    bool InitInstance() override {
        CEventThread::InitInstance();
        int index = 0;
        for (;;) {
            int r = WaitForEvents(index);
            if (r == WAIT_STOP) break;
            if (r == WAIT_HELD) {
                ++m_nHeldSeen;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (r == WAIT_EVENT && index == 1) {
                m_work.Reset();
                ++m_nHandled;
            }
        }
        CleanUp();
        m_bEnded = true;
        return false;
    }
};

bool WaitUntil(const std::function<bool()>& cond) {
    for (int i = 0; i < 2000 && !cond(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return cond();
}

TEST(EventThread, StopIsReportedEvenWhileHeld) {
    CRecordingWorker worker;
    ASSERT_TRUE(worker.CreateThread());
    worker.Hold();
    worker.StopAndWait();
    EXPECT_TRUE(worker.m_bEnded.load());
}

TEST(EventThread, EventsRaisedWhileHeldStayRaisedUntilReleased) {
    CRecordingWorker worker;
    worker.Hold();
    ASSERT_TRUE(worker.CreateThread());
    worker.m_work.Set();
    ASSERT_TRUE(WaitUntil([&] { return worker.m_nHeldSeen.load() > 0; }));
    EXPECT_EQ(worker.m_nHandled.load(), 0) << "a held worker must not act on its events";
    EXPECT_TRUE(worker.m_work.IsSet()) << "the event is not lost while held";
    worker.Release();
    ASSERT_TRUE(WaitUntil([&] { return worker.m_nHandled.load() == 1; }));
    worker.StopAndWait();
    EXPECT_EQ(worker.IsHeld(), 1) << "StopAndWait holds the worker first";
}

TEST(EventThread, StopAndWaitEndsAWorkerBlockedInAnInfiniteWait) {
    class CBlockedWorker : public CRecordingWorker {
    public:
        CBlockedWorker() { SetWaitTimeout(WAIT_INFINITE); }
    } worker;
    ASSERT_TRUE(worker.CreateThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    worker.StopAndWait();
    EXPECT_TRUE(worker.m_bEnded.load());
}

TEST(Event, WaitForAnyReportsTheLowestSetIndexOrTimeout) {
    CEvent a, b;
    CEvent* table[] = {&a, nullptr, &b};
    EXPECT_EQ(WaitForAnyEvent(table, 3, 0), -1);
    b.Set();
    EXPECT_EQ(WaitForAnyEvent(table, 3, 0), 2);
    a.Set();
    EXPECT_EQ(WaitForAnyEvent(table, 3, WAIT_INFINITE), 0);
    a.Reset();
    b.Reset();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        b.Set();
    });
    EXPECT_EQ(WaitForAnyEvent(table, 3, WAIT_INFINITE), 2) << "a Set from another thread wakes the waiter";
    setter.join();
}

}  // namespace
