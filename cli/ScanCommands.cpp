// --scan-once and --headless: the scanning thread's work on the home folder.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandRunners.h"
#include "cli/HeadlessTarget.h"
#include "cli/HomeFolder.h"
#include "cli/NewStoryTracker.h"
#include "common/Messages.h"
#include "common/MessageTarget.h"
#include "engine/NewsWatch.h"

namespace {

bool PrepareHome(CHomeFolder& home) {
    std::string error;
    if (home.Prepare(error)) return true;
    std::fprintf(stderr, "skimbolt: cannot use the application folder %s: %s\n", home.GetPath().c_str(),
                 error.c_str());
    return false;
}

// The main window of --scan-once: remembers the set-up request, if any.
class CScanOnceTarget : public CMessageTarget {
public:
    void Post(unsigned, std::uintptr_t, std::intptr_t) override {}
    std::intptr_t Send(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        if (message == WM_NEED_SETUP) m_nSetup = static_cast<int>(lParam);
        return 0;
    }
    int m_nSetup = -1;
};

const char* SetupText(int lParam) {
    switch (lParam) {
    case 1:
        return "no keyword groups";
    case 2:
        return "no news source or custom URL";
    default:
        return "no keyword groups and no news source or custom URL";
    }
}

// Set by the signal handler, which may run on any thread; a lock-free
// atomic is safe to store from a handler.
std::atomic<int> g_nStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) { g_nStopSignal.store(signal); }

// Catches SIGINT and SIGTERM for its lifetime, then puts the previous
// handlers back.
class CStopSignals {
public:
    CStopSignals() {
        g_nStopSignal.store(0);
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~CStopSignals() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;
    bool Stopped() const { return g_nStopSignal.load() != 0; }

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

}  // namespace

int RunScanOnce(const std::string& homePath) {
    CHomeFolder home(homePath);
    if (!PrepareHome(home)) return EXIT_FAILED;
    home.Load();

    CNewStoryTracker tracker(home.Archive(), &home.Catalogue());
    tracker.MarkCurrentAsKnown();
    CScanOnceTarget target;
    {
        CNewsWatch watch(home.Settings(), home.Catalogue(), home.Archive(), target);
        watch.LoadStartSettings();
        watch.RunForcedScan();
    }
    if (target.m_nSetup >= 0) {
        std::fprintf(stderr, "skimbolt: nothing to scan: %s in %s\n", SetupText(target.m_nSetup),
                     home.GetPath().c_str());
        return EXIT_FAILED;
    }
    for (const CStory& story : tracker.TakeNewStories()) std::printf("%s\n", tracker.FormatStory(story).c_str());
    std::fflush(stdout);
    return EXIT_OK;
}

int RunHeadless(const std::string& homePath) {
    CHomeFolder home(homePath);
    if (!PrepareHome(home)) return EXIT_FAILED;
    home.Load();

    CNewStoryTracker tracker(home.Archive(), &home.Catalogue());
    tracker.MarkCurrentAsKnown();
    CHeadlessTarget target(stdout, tracker);
    CStopSignals signals;
    CNewsWatch watch(home.Settings(), home.Catalogue(), home.Archive(), target);
    if (!watch.CreateThread()) {
        std::fputs("skimbolt: could not start the scanning thread\n", stderr);
        return EXIT_FAILED;
    }
    std::fprintf(stdout, "watching (poll period %d s); stop with Ctrl+C\n",
                 static_cast<int>(home.Settings().GetPollPeriod()));
    std::fflush(stdout);
    while (!signals.Stopped()) target.Pump(std::chrono::milliseconds(200));

    // As at the desktop program's exit: stop scanning (aborting a fetch),
    // let a set-up request go unanswered, and wait for the thread.
    watch.Deactivate();
    target.Close();
    watch.StopAndWait();
    target.Pump(std::chrono::milliseconds(0));
    std::fputs("stopped\n", stdout);
    std::fflush(stdout);
    return EXIT_OK;
}
