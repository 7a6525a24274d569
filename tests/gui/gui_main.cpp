// The window test program: starts wxWidgets for GUI use without entering its
// main loop, makes everything that would open a modal box on the screen fail
// the running test instead (assertions, error logs, unexpected dialogs),
// gives every test a time limit and runs GoogleTest.
#include <cstdio>
#include <cstdlib>
#include <memory>

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

}  // namespace

int main(int argc, char** argv) {
    // No desktop session under Xvfb: keep GTK from looking for dconf and the
    // accessibility bus, which only produce warnings and delays.
    setenv("GSETTINGS_BACKEND", "memory", 0);
    setenv("NO_AT_BRIDGE", "1", 0);

    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to register them with CTest) needs
    // no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "Cannot start wxWidgets: is there an X display? "
                             "Run window tests under xvfb-run.\n");
        return EXIT_FAILURE;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return EXIT_FAILURE;
    }
    wxSetAssertHandler(FailTestOnAssert);
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
