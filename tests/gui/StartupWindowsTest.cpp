// The splash window (one at a time, its picture's size, gone when its timer
// fires, turned off by the command line or a missing picture) and the setup
// alert's lines.
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "GuiTestSupport.h"
#include "res/resource.h"
#include "shell/Resources.h"
#include "shell/SetupAlertDlg.h"
#include "shell/SplashWnd.h"

namespace {

using namespace std::chrono_literals;

int SplashWindows() {
    int n = 0;
    for (wxWindow* w : wxTopLevelWindows) n += dynamic_cast<CSplashWnd*>(w) && !w->IsBeingDeleted();
    return n;
}

void WaitForSplashGone() {
    for (int i = 0; i < 100 && CSplashWnd::Current(); ++i) PumpFor(20ms);
}

TEST(SplashWnd, CommandLineSwitchesTurnItOff) {
    struct Case {
        std::vector<const char*> args;
        bool bShow;
    };
    const Case cases[] = {{{"skimbolt"}, true},
                          {{"skimbolt", "--home", "/tmp/x"}, true},
                          {{"skimbolt", "--no-splash"}, false},
                          {{"skimbolt", "/EMBEDDING"}, false},
                          {{"skimbolt", "/Automation"}, false},
                          {{"skimbolt", "--no-splashes"}, true}};
    for (const Case& c : cases)
        EXPECT_EQ(CSplashWnd::ShowSplashFromCommandLine(static_cast<int>(c.args.size()), c.args.data()), c.bShow)
            << c.args.back();
}

TEST(SplashWnd, OneSplashOfThePicturesSizeGoneWhenItsTimerFires) {
    const wxBitmap picture = LoadResourceBitmap(IDB_SPLASH);
    if (!picture.IsOk()) GTEST_SKIP() << "the splash picture is not drawn yet";

    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(SplashWindows(), 0);

    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(nullptr);
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr);
    CSplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(CSplashWnd::Current(), splash);
    EXPECT_EQ(SplashWindows(), 1);
    EXPECT_TRUE(splash->IsShown());
    PumpFor(100ms);
    EXPECT_EQ(splash->GetSize(), picture.GetSize());
    EXPECT_EQ(splash->GetClientSize(), picture.GetSize());
    EXPECT_TRUE(splash->Timer().IsRunning());
    EXPECT_TRUE(splash->Timer().IsOneShot());
    EXPECT_EQ(splash->Timer().GetInterval(), CSplashWnd::SHOW_MS);

    // A click or a key does not dismiss it.
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    splash->ProcessWindowEvent(click);
    wxKeyEvent key(wxEVT_CHAR);
    key.m_keyCode = WXK_ESCAPE;
    splash->ProcessWindowEvent(key);
    PumpFor(50ms);
    EXPECT_EQ(CSplashWnd::Current(), splash);

    // Its timer ends it.
    wxTimerEvent tick(const_cast<wxTimer&>(splash->Timer()));
    splash->ProcessWindowEvent(tick);
    WaitForSplashGone();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(SplashWindows(), 0);
}

TEST(SplashWnd, MissingPictureShowsNothing) {
    CTempDir empty;
    setenv("SKIMBOLT_RES_DIR", empty.Path().c_str(), 1);
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(nullptr);
    unsetenv("SKIMBOLT_RES_DIR");
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(SplashWindows(), 0);
}

wxString Line(wxWindow* dlg, int id) { return static_cast<wxStaticText*>(dlg->FindWindow(id))->GetLabel(); }

TEST(SetupAlertDlg, LinesNameWhatIsMissingInOrder) {
    struct Case {
        int keywords, sources;
        const char* line1;
        const char* line2;
    };
    const Case cases[] = {{1, 1, "1. Keywords for filtering the news sources", "2. News Sources to scan"},
                          {1, 0, "1. Keywords for filtering the news sources", ""},
                          {0, 1, "1. News Sources to scan", ""}};
    for (const Case& c : cases) {
        CSetupAlertDlg dlg(nullptr);
        dlg.SetKeywordsMissing(c.keywords);
        dlg.SetSourcesMissing(c.sources);
        wxString line1, line2;
        // Read the lines while it is open, then close it with OK (id 1).
        dlg.CallAfter([&] {
            line1 = Line(&dlg, IDC_SETUP_LINE1);
            line2 = Line(&dlg, IDC_SETUP_LINE2);
            EXPECT_FALSE(dlg.FindWindow(IDC_SETUP_HOW)->IsEnabled());
            ClickButton(&dlg, IDC_SETUP_HOW);  // does nothing
            EXPECT_TRUE(dlg.IsModal());
            ClickButton(&dlg, 1);
        });
        wxTimer rescue;  // never leave a modal dialog open
        rescue.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { dlg.EndModal(-1); });
        rescue.StartOnce(10000);
        EXPECT_EQ(dlg.ShowModal(), 1);
        EXPECT_EQ(line1, c.line1);
        EXPECT_EQ(line2, c.line2);
    }
}

TEST(Screenshots, splash) {
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(nullptr);
    ASSERT_NE(CSplashWnd::Current(), nullptr) << "no splash picture";
    Photograph("splash", CSplashWnd::Current());
    WaitForSplashGone();
}

TEST(Screenshots, setup_alert) {
    auto* dlg = new CSetupAlertDlg(nullptr);
    dlg->SetKeywordsMissing(1);
    dlg->SetSourcesMissing(1);
    dlg->InitDialog();
    Photograph("setup_alert", dlg);
}

}  // namespace
