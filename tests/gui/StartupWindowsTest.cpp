// The splash window (turned off by the command line or a missing picture,
// one at a time, its picture's size, gone when its timer fires) and the
// setup alert's lines.
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/stattext.h>

#include "GuiTestSupport.h"
#include "res/resource.h"
#include "ui/base/Resources.h"
#include "ui/base/SvgArt.h"
#include "ui/base/ContextHelp.h"
#include "ui/shell/SetupAlert.h"
#include "ui/shell/SplashWindow.h"

namespace {

TEST(SplashWnd, OneSplashOfThePicturesSizeUntilItsTimerFiresAndNoneWhenTurnedOff) {
    const std::pair<std::vector<const char*>, bool> switches[] = {
        {{"skimbolt", "--home", "/tmp/x"}, true}, {{"skimbolt", "--no-splash"}, false},
        {{"skimbolt", "/EMBEDDING"}, false},      {{"skimbolt", "/Automation"}, false},
        {{"skimbolt", "--no-splashes"}, true}};
    for (const auto& [args, bShow] : switches)
        EXPECT_EQ(CSplashWnd::ShowSplashFromCommandLine(static_cast<int>(args.size()), args.data()), bShow) << args[1];
    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    CTempDir empty;  // no picture: no splash, no error
    setenv("SKIMBOLT_RES_DIR", empty.Path().c_str(), 1);
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(nullptr);
    unsetenv("SKIMBOLT_RES_DIR");
    EXPECT_EQ(CSplashWnd::Current(), nullptr);

    CSplashWnd::ShowSplashScreen(nullptr);
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr);
    CSplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(CSplashWnd::Current(), splash);
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(splash->GetSize(), LoadResourceBitmap(IDB_SPLASH).GetSize());
    EXPECT_EQ(splash->Timer().GetInterval(), CSplashWnd::SHOW_MS);
    wxTimerEvent tick(const_cast<wxTimer&>(splash->Timer()));
    splash->ProcessWindowEvent(tick);
    for (int i = 0; i < 100 && CSplashWnd::Current(); ++i) PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

// Mean difference of two images' colours over a rectangle, per channel.
double MeanDifference(const wxImage& a, const wxImage& b, const wxRect& area) {
    double sum = 0;
    for (int y = area.y; y < area.GetBottom(); ++y)
        for (int x = area.x; x < area.GetRight(); ++x)
            sum += std::abs(a.GetRed(x, y) - b.GetRed(x, y)) + std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)) +
                   std::abs(a.GetBlue(x, y) - b.GetBlue(x, y));
    return sum / (3.0 * area.width * area.height);
}

// The splash drawn from its source: the ready-made picture at 1x, the same
// picture at 2x, and the program's version in its version line.
TEST(SplashWnd, PictureIsDrawnFromItsSourceAtAnyScaleWithTheVersion) {
    const ArtReplacements version = {{"@VERSION@", SKIMBOLT_VERSION}};
    const wxImage ready = LoadResourceBitmap(IDB_SPLASH).ConvertToImage();
    const wxImage once = RenderArtImage("bitmap_167", 400, 250, version);
    const wxImage twice = RenderArtImage("bitmap_167", 800, 500, version);
    ASSERT_TRUE(ready.IsOk() && once.IsOk() && twice.IsOk());
    EXPECT_FALSE(RenderArtImage("no_such_picture", 16, 16).IsOk());
    // The sky and the mark (no text there, whatever fonts the machine has).
    EXPECT_LT(MeanDifference(once, ready, wxRect(0, 0, 140, 250)), 2.0);
    EXPECT_LT(MeanDifference(once, twice.Scale(400, 250, wxIMAGE_QUALITY_BOX_AVERAGE), wxRect(0, 0, 400, 250)), 6.0);
    // Another version changes the version line only.
    const wxImage other = RenderArtImage("bitmap_167", 400, 250, {{"@VERSION@", "9.8.7-test"}});
    const wxRect line(140, 145, 200, 22);
    EXPECT_GT(MeanDifference(once, other, line), 1.0);
    EXPECT_EQ(MeanDifference(once, other, wxRect(0, 0, 400, 140)), 0.0);
}

TEST(SetupAlertDlg, LinesNameWhatIsMissingInOrder) {
    const char* keywords = "1. Keywords for filtering the news sources";
    const std::tuple<int, int, wxString> cases[] = {
        {1, 1, wxString(keywords) + "|2. News Sources to scan"}, {1, 0, wxString(keywords) + "|"},
        {0, 1, "1. News Sources to scan|"}};
    for (const auto& [bKeywords, bSources, lines] : cases) {
        CSetupAlertDlg dlg(nullptr);
        dlg.SetKeywordsMissing(bKeywords);
        dlg.SetSourcesMissing(bSources);
        dlg.InitDialog();  // what opening it does
        auto text = [&](int id) { return static_cast<wxStaticText*>(dlg.FindWindow(id))->GetLabel(); };
        EXPECT_EQ(text(IDC_SETUP_LINE1) + "|" + text(IDC_SETUP_LINE2), lines);
        // How? tells, in the same order, where and how to give what is missing.
        ClickButton(&dlg, IDC_SETUP_HOW);
        const std::string how = OpenHelpPopupText();
        CloseHelpPopup();
        const std::size_t keywordsAt = how.find("On the Keywords page: Type one word");
        const std::size_t sourcesAt = how.find("On the News Sources page: The news sources you can read");
        EXPECT_EQ(keywordsAt != std::string::npos, bKeywords != 0) << how;
        EXPECT_EQ(sourcesAt != std::string::npos, bSources != 0) << how;
        if (bKeywords && bSources) {
            EXPECT_LT(keywordsAt, sourcesAt);
        }
    }
}

TEST(Screenshots, splash) {
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(nullptr);
    ASSERT_NE(CSplashWnd::Current(), nullptr) << "no splash picture";
    Photograph("splash", CSplashWnd::Current());
}

TEST(Screenshots, setup_alert) {
    auto* dlg = new CSetupAlertDlg(nullptr);
    dlg->SetKeywordsMissing(1);
    dlg->SetSourcesMissing(1);
    dlg->InitDialog();
    Photograph("setup_alert", dlg);
}

}  // namespace
