#include "gui/TestWatchdog.h"

#include <cstdio>
#include <cstdlib>

namespace {
CTestWatchdog* g_pWatchdog = nullptr;
}

CTestWatchdog::CTestWatchdog(std::chrono::milliseconds limit, bool alsoStdout)
    : m_limit(limit), m_bAlsoStdout(alsoStdout), m_thread([this] { Watch(); }) {}

CTestWatchdog::~CTestWatchdog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::chrono::milliseconds CTestWatchdog::DefaultLimit() {
    if (const char* text = std::getenv("SKIMBOLT_GUI_TEST_TIMEOUT")) {
        char* end = nullptr;
        const double seconds = std::strtod(text, &end);
        if (end != text && *end == '\0' && seconds > 0)
            return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
    return std::chrono::seconds(30);
}

CTestWatchdog* CTestWatchdog::Instance() { return g_pWatchdog; }

void CTestWatchdog::SetInstance(CTestWatchdog* watchdog) { g_pWatchdog = watchdog; }

void CTestWatchdog::Arm(const std::string& what, std::chrono::milliseconds limit) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strTest = what;
    }
    Rearm(limit);
}

void CTestWatchdog::Rearm(std::chrono::milliseconds limit) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = true;
        m_armedLimit = limit;
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    m_changed.notify_all();
}

void CTestWatchdog::OnTestStart(const testing::TestInfo& info) {
    Arm(std::string(info.test_suite_name()) + "." + info.name(), m_limit);
}

void CTestWatchdog::OnTestEnd(const testing::TestInfo&) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = false;
    }
    m_changed.notify_all();
}

void CTestWatchdog::Watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStop) {
        if (!m_bArmed) {
            m_changed.wait(lock);
            continue;
        }
        const auto deadline = m_deadline;
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout && m_bArmed &&
            !m_bStop && std::chrono::steady_clock::now() >= m_deadline) {
            for (std::FILE* stream : {stdout, stderr}) {
                if (stream == stdout && !m_bAlsoStdout) continue;
                std::fprintf(stream, "\n[  TIMEOUT ] %s exceeded its time limit of %lld ms; stopping.\n",
                             m_strTest.c_str(), static_cast<long long>(m_armedLimit.count()));
                std::fflush(stream);
            }
            std::_Exit(EXIT_TIME_LIMIT);
        }
    }
}

void SetTestTimeLimit(std::chrono::milliseconds limit) {
    if (CTestWatchdog* watchdog = CTestWatchdog::Instance()) watchdog->Rearm(limit);
}
