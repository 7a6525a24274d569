// The harness's safety nets: whatever would open a modal window on the
// display (a stray dialog, a failed wx assertion, an error log) becomes a
// test failure or a line on stderr, and a stuck test is stopped.
#include <thread>

#include <gtest/gtest-spi.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include "gui/GuiTest.h"
#include "gui/SmokeDlg.h"
#include "gui/TestWatchdog.h"

namespace {

using HarnessTest = CGuiTest;
using namespace std::chrono_literals;

TEST_F(HarnessTest, StrayMessageBoxIsCancelledAndReported) {
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = wxMessageBox("Stray question?", "Skimbolt", wxYES_NO),
                            "message box \"Stray question?\" was cancelled");
    EXPECT_EQ(answer, wxCANCEL);
    EXPECT_EQ(UnexpectedDialogs(), std::vector<std::string>{"message box \"Stray question?\""});
}

TEST_F(HarnessTest, StrayModalDialogIsCancelledAndReported) {
    auto* dlg = new CSmokeDlg;
    int result = 0;
    EXPECT_NONFATAL_FAILURE(result = dlg->ShowModal(), "dialog \"Skimbolt window test\"");
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(UnexpectedDialogs().size(), 1u);
}

TEST_F(HarnessTest, DialogOtherThanExpectedIsCancelledAndReported) {
    int answer = 0;
    auto run = [&] {
        wxTEST_DIALOG(answer = wxMessageBox("Wrong kind", "Skimbolt", wxOK),
                      wxExpectModal<wxFileDialog>("/tmp/some.wav"));
    };
    EXPECT_NONFATAL_FAILURE(run(), "shown unexpectedly");
    EXPECT_EQ(answer, wxCANCEL);
    EXPECT_EQ(UnexpectedDialogs(), std::vector<std::string>{"message box \"Wrong kind\""});
}

TEST_F(HarnessTest, ExpectedDialogThatNeverCameIsReported) {
    auto run = [] { wxTEST_DIALOG((void)0, wxExpectModal<wxMessageDialog>(wxYES)); };
    EXPECT_NONFATAL_FAILURE(run(), "was not shown");
}

TEST_F(HarnessTest, FailedWxAssertionFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(wxFAIL_MSG("harness assertion check"), "harness assertion check");
    EXPECT_TRUE(UnexpectedDialogs().empty());
}

TEST_F(HarnessTest, ErrorLogGoesToStderrWithoutDialog) {
    testing::internal::CaptureStderr();
    wxLogError("harness log check");
    wxLog::FlushActive();
    gui::PumpEvents();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("harness log check"), std::string::npos) << err;
    EXPECT_TRUE(UnexpectedDialogs().empty());
}

TEST_F(HarnessTest, PumpUntilReportsWhetherConditionCameTrue) {
    bool called = false;
    wxTheApp->CallAfter([&] { called = true; });
    EXPECT_TRUE(gui::PumpUntil([&] { return called; }));
    EXPECT_FALSE(gui::PumpUntil([] { return false; }, 20ms));
}

using HarnessDeathTest = CGuiTest;

TEST_F(HarnessDeathTest, StuckTestIsStoppedByItsTimeLimit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetTestTimeLimit(200ms);
            for (;;) std::this_thread::sleep_for(1s);
        },
        testing::ExitedWithCode(CTestWatchdog::EXIT_TIME_LIMIT),
        "StuckTestIsStoppedByItsTimeLimit.*exceeded its time limit of 200 ms");
}

}  // namespace
