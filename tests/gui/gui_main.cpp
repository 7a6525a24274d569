// The window test program: starts wxWidgets for GUI use without entering its
// main loop, makes everything that would open a modal box on the screen fail
// the running test instead (assertions, error logs, unexpected dialogs),
// gives every test a time limit and runs GoogleTest.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include "gui/DialogHook.h"
#include "gui/GuiTest.h"
#include "gui/TestWatchdog.h"

namespace {

class CGuiTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// wx's own handler would show a modal dialog and hang a headless run.
void FailTestOnAssert(const wxString& file, int line, const wxString& func,
                      const wxString& cond, const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wxWidgets assertion \"" << cond.utf8_string() << "\" failed in "
        << func.utf8_string() << "()" << (msg.empty() ? "" : ": ") << msg.utf8_string();
}

// An X server that resets whenever its last client leaves (Xvfb without
// -noreset, as xvfb-run starts it) refuses a client that connects during the
// reset; with one test process after another that happens now and then. A
// refused start is tried again in a fresh process image, a few times.
void RetryStartOrGiveUp(std::vector<char*>& originalArgv) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    const char* text = std::getenv("SKIMBOLT_GUI_START_ATTEMPT");
    const int attempt = text ? std::atoi(text) : 1;
    if (attempt >= 10) return;
    setenv("SKIMBOLT_GUI_START_ATTEMPT", std::to_string(attempt + 1).c_str(), 1);
    std::fprintf(stderr, "Retrying the start (attempt %d).\n", attempt + 1);
    std::fflush(stderr);
    std::this_thread::sleep_for(std::chrono::milliseconds(100 * attempt));
    execv("/proc/self/exe", originalArgv.data());
}

}  // namespace

int main(int argc, char** argv) {
    // No desktop session under Xvfb: keep GTK from looking for dconf and the
    // accessibility bus, which only produce warnings and delays.
    setenv("GSETTINGS_BACKEND", "memory", 0);
    setenv("NO_AT_BRIDGE", "1", 0);

    std::vector<char*> originalArgv(argv, argv + argc + 1);
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to register them with CTest) needs
    // no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    // Logs go to stderr from the start, so that a failed start-up says why.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv)) {
        RetryStartOrGiveUp(originalArgv);
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "Cannot start wxWidgets on display \"%s\". "
                             "Run window tests under xvfb-run.\n", display ? display : "");
        return EXIT_FAILURE;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return EXIT_FAILURE;
    }
    wxSetAssertHandler(FailTestOnAssert);
    // Starting the GUI put wx's own log target (message boxes) in place again.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    CStrayDialogHook strayDialogs;
    strayDialogs.Register();

    const bool deathTestChild = !GTEST_FLAG_GET(internal_run_death_test).empty();
    auto watchdog = std::make_unique<CTestWatchdog>(CTestWatchdog::DefaultLimit(), !deathTestChild);
    CTestWatchdog::SetInstance(watchdog.get());
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    listeners.Append(watchdog.get());
    // A death test's child process runs one test statement with listener
    // events switched off: give the whole child the time limit instead.
    if (deathTestChild)
        watchdog->Arm(GTEST_FLAG_GET(filter) + " (death test child)", CTestWatchdog::DefaultLimit());

    const int result = RUN_ALL_TESTS();

    listeners.Release(watchdog.get());
    CTestWatchdog::SetInstance(nullptr);
    watchdog.reset();
    DestroyAllTopLevelWindows();
    strayDialogs.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
