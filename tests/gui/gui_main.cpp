// The window test program: starts wxWidgets without its main loop, turns
// failed wx assertions into test failures and error logs into lines on stderr
// (either would otherwise open a box on the display), and runs GoogleTest.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

namespace {

class CGuiTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void FailTestOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                      const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wxWidgets assertion \"" << cond << "\" failed in " << func << "(): " << msg;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as the build does to register them with CTest, needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "Cannot start wxWidgets: run window tests under xvfb-run.\n");
        return EXIT_FAILURE;
    }
    wxSetAssertHandler(FailTestOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
