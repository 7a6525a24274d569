// The window test program: starts wxWidgets without its main loop, turns
// failed wx assertions and GTK's critical messages (its "assertion failed")
// into test failures and error logs into lines on stderr (either would
// otherwise open a box on the display or pass unseen), and runs GoogleTest.
// The guard holds for every test: what a test leaves to idle time (windows
// destroyed later, events queued) is run before the test counts as ended,
// so that an assertion there fails the test that caused it; one outside any
// test fails the run.
#include <cstdio>
#include <cstdlib>

#include <glib.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

namespace {

class CGuiTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

int g_nOutsideTests = 0;  // assertions met while no test ran

void Fail(const char* file, int line, const std::string& what) {
    if (!testing::UnitTest::GetInstance()->current_test_info()) {
        ++g_nOutsideTests;
        std::fprintf(stderr, "%s:%d: outside any test: %s\n", file, line, what.c_str());
        return;
    }
    ADD_FAILURE_AT(file, line) << what;
}

void FailTestOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                      const wxString& msg) {
    Fail(file.utf8_string().c_str(), line,
         "wxWidgets assertion \"" + cond.utf8_string() + "\" failed in " + func.utf8_string() + "(): " +
             msg.utf8_string());
}

void FailTestOnCritical(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
    Fail(domain ? domain : "glib", 0, std::string("critical: ") + (message ? message : ""));
}

// Runs what the ending test left to idle time while it still counts as
// running, before the result is printed.
class CIdleFlush : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo&) override {
        for (int i = 0; i < 3; ++i) {
            wxTheApp->ProcessPendingEvents();
            wxTheApp->ProcessIdle();
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as the build does to register them with CTest, needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    wxSetAssertHandler(FailTestOnAssert);
    for (const char* domain : {"Gtk", "Gdk", "GLib-GObject", "GLib", "GLib-GIO", "GdkPixbuf"})
        g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL),
                          FailTestOnCritical, nullptr);
    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "Cannot start wxWidgets: run window tests under xvfb-run.\n");
        return EXIT_FAILURE;
    }
    wxSetAssertHandler(FailTestOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    // Listeners hear a test's end in reverse order: the flush, appended after
    // the printer, runs before the result is printed.
    testing::UnitTest::GetInstance()->listeners().Append(new CIdleFlush);
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    if (g_nOutsideTests > 0) {
        std::fprintf(stderr, "%d assertion(s) outside any test\n", g_nOutsideTests);
        result = EXIT_FAILURE;
    }
    return result;
}
