// CTestWatchdog: gives every test a time limit. A watch thread is armed when a
// test starts and disarmed when it ends; if the limit passes first, the test's
// name is printed and the process exits with a failure, so a test stuck in a
// modal loop or a popup never hangs a test run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

class CTestWatchdog : public testing::EmptyTestEventListener {
public:
    // Exit status of a process stopped by the watchdog.
    static constexpr int EXIT_TIME_LIMIT = 124;

    // alsoStdout: print the report on stdout as well as stderr (a death test's
    // parent has its stderr captured while it waits; its child should only
    // write to stderr, which the parent checks).
    CTestWatchdog(std::chrono::milliseconds limit, bool alsoStdout);
    ~CTestWatchdog() override;

    // The limit of every test, from SKIMBOLT_GUI_TEST_TIMEOUT (seconds) when it
    // holds a positive number, otherwise 30 s.
    static std::chrono::milliseconds DefaultLimit();

    // The watchdog installed in the test program (nullptr before main sets one).
    static CTestWatchdog* Instance();
    static void SetInstance(CTestWatchdog* watchdog);

    // Arms the watch for what is running now (named in the report), with a
    // limit counted from now. Listener events arm it for each test; a death
    // test's child process, which gets no listener events, arms it itself.
    void Arm(const std::string& what, std::chrono::milliseconds limit);
    // Gives whatever is running a new limit, counted from now.
    void Rearm(std::chrono::milliseconds limit);

    void OnTestStart(const testing::TestInfo& info) override;
    void OnTestEnd(const testing::TestInfo& info) override;

private:
    void Watch();

    std::chrono::milliseconds m_limit;
    bool m_bAlsoStdout;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bArmed = false;
    bool m_bStop = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::milliseconds m_armedLimit{0};
    std::string m_strTest;
    std::thread m_thread;
};

// Sets the running test's time limit, counted from now, e.g. for a test that
// legitimately needs longer than the default.
void SetTestTimeLimit(std::chrono::milliseconds limit);
