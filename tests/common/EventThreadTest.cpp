#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "common/EventThread.h"

namespace {

// A worker with one event of its own in slot 1 that counts what its waits
// report, and resets its event when it handles it.
class CRecordingWorker : public CEventThread {
public:
    explicit CRecordingWorker(int timeoutMs = 20) {
        AddEvent(1, &m_work);
        SetWaitTimeout(timeoutMs);
    }
    CEvent m_work;
    std::atomic<int> m_nHandled{0};
    std::atomic<int> m_nHeldSeen{0};
    std::atomic<int> m_nTimeoutsWhileHeld{0};
    std::atomic<bool> m_bEnded{false};

protected:
    bool InitInstance() override {
        CEventThread::InitInstance();
        int index = 0;
        for (int r; (r = WaitForEvents(index)) != WAIT_STOP;) {
            if (r == WAIT_TIMEOUT && IsHeld()) ++m_nTimeoutsWhileHeld;
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

TEST(EventThread, StopIsReportedWhileHeldAndToAWorkerInAnInfiniteWait) {
    for (int timeout : {20, WAIT_INFINITE}) {
        CRecordingWorker worker(timeout);
        ASSERT_TRUE(worker.CreateThread());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it reach its wait
        worker.Hold();
        worker.StopAndWait();
        EXPECT_TRUE(worker.m_bEnded.load()) << timeout;
    }
}

// What the hold flag guarantees, and no more: events raised while held wait
// for the release, but time-outs (on which the scanning thread counts its
// poll period) go on while held.
TEST(EventThread, EventsRaisedWhileHeldWaitButTimeOutsGoOn) {
    CRecordingWorker worker;
    worker.Hold();
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(WaitUntil([&] { return worker.m_nTimeoutsWhileHeld.load() > 0; })) << "a time-out is not an event";
    worker.m_work.Set();
    ASSERT_TRUE(WaitUntil([&] { return worker.m_nHeldSeen.load() > 0; }));
    EXPECT_EQ(worker.m_nHandled.load(), 0) << "a held worker must not act on its events";
    EXPECT_TRUE(worker.m_work.IsSet()) << "the event is not lost while held";
    worker.Release();
    ASSERT_TRUE(WaitUntil([&] { return worker.m_nHandled.load() == 1; }));
    worker.StopAndWait();
    EXPECT_EQ(worker.IsHeld(), 1) << "StopAndWait holds the worker first";
}

}  // namespace
