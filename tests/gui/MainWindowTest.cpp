// The hidden main window: pass messages, the tray state and its animation,
// the notices of new stories, the tray commands and the exit; the window
// message target between the threads; the source status window.
#include <atomic>
#include <functional>
#include <vector>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "ui/settings/KeywordsPage.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/stories/StoryListWindow.h"

#include "GuiTestSupport.h"
#include "app/AppCore.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/ProgramMenu.h"
#include "ui/base/Resources.h"
#include "ui/base/SourceStatusWindow.h"
#include "ui/base/WxMessageBoxSink.h"
#include "ui/shell/AboutBox.h"
#include "ui/shell/Application.h"
#include "ui/shell/DesktopNotifier.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/SetupAlert.h"
#include "ui/shell/SplashWindow.h"
#include "ui/shell/TrayIconSet.h"

// The setup alert, answered with OK.
template <>
class wxExpectModal<CSetupAlertDlg> : public wxExpectModalBase<CSetupAlertDlg> {
public:
    explicit wxExpectModal(int id = wxID_OK) : m_id(id) {}

protected:
    int OnInvoked(CSetupAlertDlg*) const override { return m_id; }

private:
    int m_id;
};

namespace {

using namespace std::chrono_literals;

// Windows go at idle time; none may outlive the core they use.
void LetWindowsGo() {
    for (int i = 0; i < 200 && !wxTopLevelWindows.empty(); ++i) PumpFor(10ms);
    for (wxWindow* w : wxTopLevelWindows) ADD_FAILURE() << "left: " << w->GetClassInfo()->GetClassName() << " " << w->GetLabel();
}

void AddNewStory(CAppCore& core, const std::string& headline) {
    StoryItem story;
    story.key = {"Custom: http://127.0.0.1/news", headline};
    story.sourceName = story.key.source;
    story.url = "http://127.0.0.1/news/" + headline;
    story.keywords = "storm";
    story.state = STORY_NEW;
    ASSERT_TRUE(core.Stories().Add(story));
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsChange quiet;
        quiet.autoPopup = false;
        quiet.playSound = false;
        ASSERT_TRUE(core().Config().Apply(quiet));
        CSplashWnd::EnableSplashScreen(false);
        m_pDlg = new CSkimboltDlg(core());
    }
    void TearDown() override {
        if (m_pDlg) m_pDlg->Destroy();
        LetWindowsGo();
    }
    CAppCore& core() { return m_core.Core(); }
    void Pass(int newStoryMessages) {
        m_pDlg->OnWindowMessage(WM_SCAN_STARTED, 0, 1);
        for (int i = 0; i < newStoryMessages; ++i) m_pDlg->OnWindowMessage(WM_NEW_STORIES, 0, 0);
        m_pDlg->OnWindowMessage(WM_SCAN_FINISHED, 0, 0);
    }

    CGuiTestCore m_core;
    CSkimboltDlg* m_pDlg = nullptr;
};

TEST_F(MainWindowTest, APassWithNewStoriesFlashesOnceAndNamesTheStoriesInOneNotice) {
    m_pDlg->OnWindowMessage(WM_SCAN_STARTED, 0, 1);
    EXPECT_TRUE(core().IsScanning());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_SCANNING);
    EXPECT_EQ(m_pDlg->GetTrayTip(), "Skimbolt is scanning for new stories...");
    // The scanning animation runs through its eleven frames and starts again.
    for (int i = 1; i < 11; ++i) m_pDlg->NextTrayFrame(true);
    EXPECT_EQ(m_pDlg->GetTrayFrame(), 11);
    m_pDlg->NextTrayFrame(true);
    EXPECT_EQ(m_pDlg->GetTrayFrame(), 1);

    for (const char* headline : {"Storm hits coast", "Storm moves north", "Storm ends", "Storm damage counted"})
        AddNewStory(core(), headline);
    m_pDlg->OnWindowMessage(WM_NEW_STORIES, 0, 0);
    m_pDlg->OnWindowMessage(WM_NEW_STORIES, 0, 0);
    EXPECT_TRUE(m_pDlg->Notifier().Shown().empty()) << "stories are announced when the pass ends";
    m_pDlg->OnWindowMessage(WM_SCAN_FINISHED, 0, 0);

    EXPECT_FALSE(core().IsScanning());
    EXPECT_TRUE(core().NewStoriesPending());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NEW_STORIES);
    EXPECT_EQ(m_pDlg->GetTrayTip(), "Double-click to view your New Stories!");
    ASSERT_EQ(m_pDlg->Notifier().Shown().size(), 1u);
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].title, "Skimbolt: 4 new stories");
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].body, "Storm hits coast\nStorm moves north\nStorm ends\nand 1 more");

    ASSERT_NE(m_pDlg->StoryList(), nullptr);
    EXPECT_FALSE(m_pDlg->StoryList()->IsShown());

    // A pass without new stories announces nothing; the stories already
    // announced are not announced again.
    Pass(0);
    Pass(1);
    EXPECT_EQ(m_pDlg->Notifier().Shown().size(), 1u);
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NEW_STORIES);

    // View Stories: the list with the four stories, nothing pending any more.
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_VIEW_STORIES));
    EXPECT_TRUE(m_pDlg->StoryList()->IsShown());
    EXPECT_EQ(m_pDlg->StoryList()->GetNewCount(), 4);
    EXPECT_FALSE(core().NewStoriesPending());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NORMAL);
    // With the list in view a further pass sets nothing pending.
    AddNewStory(core(), "Storm returns");
    Pass(1);
    EXPECT_FALSE(core().NewStoriesPending());
    PumpFor(20ms);
    EXPECT_EQ(m_pDlg->StoryList()->GetNewCount(), 5);
}

TEST_F(MainWindowTest, WithAutoPopupPendingStoriesShowTheNormalIcon) {
    SettingsChange popup;
    popup.autoPopup = true;
    ASSERT_TRUE(core().Config().Apply(popup));
    AddNewStory(core(), "Storm hits coast");
    Pass(1);
    EXPECT_FALSE(core().NewStoriesPending());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NORMAL);
    ASSERT_NE(m_pDlg->StoryList(), nullptr);
    EXPECT_TRUE(m_pDlg->StoryList()->IsShown());
    ASSERT_EQ(m_pDlg->Notifier().Shown().size(), 1u);
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].title, "Skimbolt: 1 new story");
}

// A cycle of pages read spread over the poll period: the tray flashes at
// once, the desktop notice comes after the last page, naming every page's stories.
TEST_F(MainWindowTest, ACycleOfSeveralPagesGivesOneNotice) {
    auto page = [this](const char* headline, std::intptr_t pagesLeft) {
        m_pDlg->OnWindowMessage(WM_SCAN_STARTED, 0, pagesLeft == 2 ? 1 : 0);
        if (headline) {
            AddNewStory(core(), headline);
            m_pDlg->OnWindowMessage(WM_NEW_STORIES, 0, 0);
        }
        m_pDlg->OnWindowMessage(WM_SCAN_FINISHED, 0, pagesLeft);
    };
    page("Storm hits coast", 2);
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NEW_STORIES);
    page("Storm moves north", 1);
    EXPECT_TRUE(m_pDlg->Notifier().Shown().empty());
    page(nullptr, 0);
    ASSERT_EQ(m_pDlg->Notifier().Shown().size(), 1u);
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].body, "Storm hits coast\nStorm moves north");
}

TEST_F(MainWindowTest, DisableScanNowAndStopScanningFollowTheFlags) {
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_DISABLE));
    EXPECT_FALSE(core().IsEnabled());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_DISABLED);
    EXPECT_EQ(m_pDlg->GetTrayTip(), "Skimbolt is disabled...");
    // Scan now while disabled enables scanning.
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_SCAN_NOW));
    EXPECT_TRUE(core().IsEnabled());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NORMAL);

    // Stop Scanning with stories pending: the scanning frames go on until
    // the pass has ended.
    core().SetNewStoriesPending(true);
    m_pDlg->OnWindowMessage(WM_SCAN_STARTED, 0, 1);
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_SCAN_NOW));
    EXPECT_TRUE(core().IsScanning());
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_SCANNING);
    m_pDlg->OnWindowMessage(WM_SCAN_FINISHED, 0, 0);
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NEW_STORIES);

    // Stop Scanning with nothing pending shows the normal icon at once.
    core().SetNewStoriesPending(false);
    m_pDlg->OnWindowMessage(WM_SCAN_STARTED, 0, 1);
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_SCAN_NOW));
    EXPECT_EQ(m_pDlg->GetTrayState(), TRAY_NORMAL);
}

// Without a tray, the program's windows offer the tray menu's commands, and
// a second start brings the waiting stories, else the settings.
TEST_F(MainWindowTest, TheTrayMenuIsWithinReachFromTheWindows) {
    auto texts = [this] {
        std::string all;
        for (const ProgramMenuItem& item : ProgramMenuItems(core())) all += item.text + "|";
        return all;
    };
    EXPECT_EQ(texts(), "&Open|&View Stories||&Scan Now|&Disable|&About Skimbolt||E&xit|");
    std::unique_ptr<wxMenu> menu = CreateProgramMenu(ProgramMenuItems(core()));
    for (const wxMenuItem* item : menu->GetMenuItems())
        EXPECT_TRUE(item->IsSeparator() || item->GetId() < 0x7FFF) << item->GetItemLabel();

    m_pDlg->ComeForward();  // a second start, nothing waiting: the settings
    ASSERT_NE(m_pDlg->PropSheet(), nullptr);
    EXPECT_TRUE(m_pDlg->PropSheet()->IsShown());
    ASSERT_NE(m_pDlg->PropSheet()->FindWindow(IDC_PROGRAM_MENU), nullptr);
    // A command chosen on the sheet reaches the main window.
    SendProgramCommand(m_pDlg->PropSheet()->FindWindow(IDC_PROGRAM_MENU), ID_TRAY_DISABLE);
    PumpFor(20ms);
    EXPECT_FALSE(core().IsEnabled());
    EXPECT_EQ(texts(), "&Open|&View Stories||&Scan Now|&Enable|&About Skimbolt||E&xit|");

    AddNewStory(core(), "Storm hits coast");
    Pass(1);
    ASSERT_TRUE(core().NewStoriesPending());
    m_pDlg->ComeForward();  // stories wait: the story list, though the sheet is open
    ASSERT_NE(m_pDlg->StoryList(), nullptr);
    EXPECT_TRUE(m_pDlg->StoryList()->IsShown());
    EXPECT_FALSE(core().NewStoriesPending());
    wxWindow* listMenu = m_pDlg->StoryList()->FindWindow(IDC_PROGRAM_MENU);
    ASSERT_NE(listMenu, nullptr);
    SendProgramCommand(listMenu, ID_TRAY_DISABLE);
    PumpFor(20ms);
    EXPECT_TRUE(core().IsEnabled());
}

TEST_F(MainWindowTest, TheFrameOnlyHidesTheWindowAndExitEndsIt) {
    m_pDlg->Show();
    EXPECT_TRUE(m_pDlg->Close());
    EXPECT_FALSE(m_pDlg->IsShown());
    EXPECT_FALSE(wxPendingDelete.Member(m_pDlg));
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_EXIT));
    EXPECT_TRUE(m_pDlg->IsExitRequested());
    EXPECT_TRUE(wxPendingDelete.Member(m_pDlg));
    m_pDlg = nullptr;
}

// Lets every modal window show, and asks for the exit from inside its loop.
class CExitFromInsideModal : public wxModalDialogHook {
public:
    explicit CExitFromInsideModal(wxWindow* mainWindow) : m_main(mainWindow) { Register(); }
    ~CExitFromInsideModal() override { Unregister(); }
    std::vector<wxString> shown;

protected:
    int Enter(wxDialog* dialog) override {
        shown.push_back(dialog->GetTitle());
        if (shown.size() == 1) wxTheApp->CallAfter([main = m_main] {
            if (main) SendCommand(main.get(), ID_TRAY_EXIT);
        });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    wxWeakRef<wxWindow> m_main;
};

TEST(MainWindowExit, ExitWithAModalWindowOpenEndsTheWindowFirstThenTheProgram) {
    struct Case {
        const char* title;
        std::function<void(CSkimboltDlg&, CAppCore&)> open;
    };
    const Case cases[] = {
        {"Skimbolt Alert!", [](CSkimboltDlg& main, CAppCore&) { main.OnWindowMessage(WM_NEED_SETUP, 0, 0); }},
        {"About Skimbolt", [](CSkimboltDlg& main, CAppCore&) { SendCommand(&main, ID_TRAY_ABOUT); }},
        {"Skimbolt", [](CSkimboltDlg& main, CAppCore&) {
             CWxMessageBoxSink boxes;
             boxes.SetOwner(&main);
             boxes.ShowNotice(0, "A problem", CMessageBoxSink::ICON_WARNING);
         }},
        {"Custom URL", [](CSkimboltDlg& main, CAppCore&) {
             main.PropSheet()->ShowSourcesPage();
             ClickButton(main.PropSheet(), IDC_CUSTOM_URL);
         }},
        {"", [](CSkimboltDlg& main, CAppCore&) {  // the update's progress window has no caption
             main.PropSheet()->ShowSourcesPage();
             ClickButton(main.PropSheet(), IDC_UPDATE_SOURCES);
         }},
        {"Warning: Empty News Source", [](CSkimboltDlg& main, CAppCore&) {
             // A source switched on without a category, then another row chosen.
             main.PropSheet()->ShowSourcesPage();
             auto* list = dynamic_cast<wxListCtrl*>(main.PropSheet()->FindWindow(IDC_SOURCE_LIST));
             ASSERT_NE(list, nullptr);
             const auto select = [list](long row) {
                 list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                    wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
             };
             select(0);
             list->CheckItem(0, true);
             select(1);
         }},
    };
    CSplashWnd::EnableSplashScreen(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        CGuiTestCore core("0 Alpha Daily\r\n0 1 Front http://alpha.example/1\r\n"
                              "0 Beta Weekly\r\n0 1 Headlines http://beta.example/1\r\n");
        wxWeakRef<wxWindow> main = new CSkimboltDlg(core.Core());
        {
            CExitFromInsideModal probe(main.get());
            c.open(*static_cast<CSkimboltDlg*>(main.get()), core.Core());
            ASSERT_FALSE(probe.shown.empty());
            EXPECT_TRUE(probe.shown[0].StartsWith(c.title)) << probe.shown[0];
        }
        // The window's code returned before the main window went, which goes
        // now with every window it owns.
        LetWindowsGo();
        EXPECT_FALSE(main);
    }
}

TEST(MainWindowExit, ExitWithAPopupMenuOpenClosesTheMenuFirst) {
    CSplashWnd::EnableSplashScreen(false);
    CGuiTestCore core;
    wxWeakRef<wxWindow> main = new CSkimboltDlg(core.Core());
    auto* dlg = static_cast<CSkimboltDlg*>(main.get());
    dlg->PropSheet()->Show();
    // The exit comes from inside the menu's own loop, as a signal's would.
    bool sawMenu = false;
    int ticks = 0;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (++ticks > 100) {  // never closed: close it so that the test ends
            timer.Stop();
            CloseToolkitMenus();
            ADD_FAILURE() << "the menu stayed open";
        } else if (!sawMenu && IsToolkitMenuOpen()) {
            sawMenu = true;
            SendCommand(main.get(), ID_TRAY_EXIT);
        }
    });
    timer.Start(50);
    ClickButton(dlg->PropSheet(), IDC_PROGRAM_MENU);
    timer.Stop();
    EXPECT_TRUE(sawMenu);
    LetWindowsGo();
    EXPECT_FALSE(main);
}

TEST_F(MainWindowTest, SetupNeededShowsTheSheetThenTheAlertAndOpenRecreatesAClosedSheet) {
    ASSERT_NE(m_pDlg->PropSheet(), nullptr);
    EXPECT_FALSE(m_pDlg->PropSheet()->IsShown());
    // The splash, always on top, goes before the alert comes.
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(m_pDlg);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    wxTEST_DIALOG(EXPECT_EQ(m_pDlg->MessageTarget().Send(WM_NEED_SETUP, 0, 1), 0),
                  wxExpectModal<CSetupAlertDlg>(wxID_OK));
    for (int i = 0; i < 50 && CSplashWnd::Current(); ++i) PumpFor(20ms);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_TRUE(m_pDlg->PropSheet()->IsShown());
    EXPECT_EQ(m_pDlg->PropSheet()->GetBookCtrl()->GetCurrentPage(),
              static_cast<wxWindow*>(m_pDlg->PropSheet()->KeywordsPage()));
    // Sources missing: the News Sources page.
    wxTEST_DIALOG(m_pDlg->OnWindowMessage(WM_NEED_SETUP, 0, 2), wxExpectModal<CSetupAlertDlg>(wxID_OK));
    EXPECT_EQ(m_pDlg->PropSheet()->GetBookCtrl()->GetPageText(m_pDlg->PropSheet()->GetBookCtrl()->GetSelection()),
              "News Sources");

    m_pDlg->PropSheet()->Destroy();
    PumpFor(20ms);
    EXPECT_EQ(m_pDlg->PropSheet(), nullptr);
    EXPECT_TRUE(SendCommand(m_pDlg, ID_TRAY_OPEN));
    ASSERT_NE(m_pDlg->PropSheet(), nullptr);
    EXPECT_TRUE(m_pDlg->PropSheet()->IsShown());
    EXPECT_EQ(m_pDlg->PropSheet()->GetTitle(), "Skimbolt Properties");
}

TEST_F(MainWindowTest, AProblemWithAFileIsNoticedOncePerFile) {
    ClearDiagnostics();
    ReportDiagnostic(DiagnosticKind::SaveFailed, "/data/config.txt", "disk full");
    ReportDiagnostic(DiagnosticKind::DamagedFile, "/data/config.txt", "bad record");
    ReportDiagnostic(DiagnosticKind::ForeignFile, "/data/notes.dat", "not a story file");
    PumpFor(50ms);
    ASSERT_EQ(m_pDlg->Notifier().Shown().size(), 2u);
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].title, "Skimbolt: cannot save config.txt");
    EXPECT_EQ(m_pDlg->Notifier().Shown()[0].body, "/data/config.txt: disk full");
    ClearDiagnostics();
}

// A problem met while the data was loaded, before any window existed (a
// config.txt with an unreadable line): one notice once the main window is up.
TEST(StartUpProblems, AreNoticedOnce) {
    ClearDiagnostics();
    CGuiTestCore folder("", "B F0000002 Web_Address http://one.example/ x\r\n\x01\x02garbage\r\n");
    CSplashWnd::EnableSplashScreen(false);
    auto* main = new CSkimboltDlg(folder.Core());
    PumpFor(50ms);
    ASSERT_EQ(main->Notifier().Shown().size(), 1u);
    EXPECT_EQ(main->Notifier().Shown()[0].title, "Skimbolt: damaged file config.txt");
    main->Destroy();
    LetWindowsGo();
    ClearDiagnostics();
}

TEST(TrayTip, FailedPagesAreToldAtRestAndWithNewStoriesWithinTheTipsLength) {
    // A folder with two pages, one of which failed at its last read.
    CGuiTestCore folder("",
                            "B F0000002 Web_Address http://one.example/ x\r\n"
                            "B F0000002 Web_Address http://two.example/ x\r\n",
                            "",
                            {PageHealth{"http://one.example/", 1700000000, false, 0, 0, "HTTP status 503"},
                             PageHealth{"http://two.example/", 1700000000, true, 12, 0, ""}});
    CSplashWnd::EnableSplashScreen(false);
    auto* main = new CSkimboltDlg(folder.Core());
    main->SetTrayState(TRAY_NORMAL);
    EXPECT_EQ(main->GetTrayTip(), "Skimbolt: 1 of 2 pages failed at the last read");
    folder.Core().SetNewStoriesPending(true);
    main->SetTrayState(TRAY_FROM_FLAGS);
    EXPECT_EQ(main->GetTrayTip(), "Double-click to view your New Stories! (1 of 2 pages failed)");
    main->OnWindowMessage(WM_SCAN_STARTED, 0, 1);
    EXPECT_EQ(main->GetTrayTip(), "Skimbolt is scanning for new stories...");
    main->Destroy();
    LetWindowsGo();

    // Without failures the tips are the plain ones; large counts stay
    // within the 63 characters.
    EXPECT_EQ(CTrayIconSet::Tip(TRAY_NORMAL, 0, 5), "Skimbolt, double-click to add keywords to news alert list");
    EXPECT_EQ(CTrayIconSet::Tip(TRAY_DISABLED, 3, 5), "Skimbolt is disabled...");
    EXPECT_EQ(CTrayIconSet::Tip(TRAY_NORMAL, 1, 1), "Skimbolt: 1 of 1 page failed at the last read");
    for (TrayState state : {TRAY_NORMAL, TRAY_NEW_STORIES}) {
        const std::string tip = CTrayIconSet::Tip(state, 1234, 5678);
        EXPECT_LE(tip.size(), 63u) << tip;
        EXPECT_NE(tip.find("1234 of 5678"), std::string::npos) << tip;
    }
}

TEST(WindowMessageTarget, PostsKeepOrderAndSendWaitsForTheAnswerUntilClosed) {
    wxWindow* window = new wxWindow();
    std::vector<unsigned> handled;
    auto* target = new CWindowMessageTarget(*window, [&](unsigned m, std::uintptr_t, std::intptr_t l) {
        handled.push_back(m);
        return l * 2;
    });
    std::atomic<std::intptr_t> answer{-1};
    std::thread worker([&] {
        target->Post(WM_SCAN_STARTED, 0, 1);
        target->Post(WM_NEW_STORIES, 0, 0);
        answer = target->Send(WM_NEED_SETUP, 0, 21);
    });
    while (answer == -1) PumpFor(5ms);
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(handled, (std::vector<unsigned>{WM_SCAN_STARTED, WM_NEW_STORIES, WM_NEED_SETUP}));

    // A Send nobody will answer (the window has stopped handling) ends when
    // the target is closed, and is not handled afterwards.
    std::atomic<bool> bReturned{false};
    std::thread late([&] {
        answer = target->Send(WM_NEED_SETUP, 0, 5);
        bReturned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(bReturned);
    target->Close();
    late.join();
    EXPECT_EQ(answer, 0);
    PumpFor(20ms);
    EXPECT_EQ(handled.size(), 3u);
    delete target;
    delete window;
}

TEST(DesktopNotices, NewStoriesNoticeCountsAndListsAtMostThreeHeadlines) {
    EXPECT_EQ(NewStoriesNotice(1, {"A"}).body, "A");
    EXPECT_EQ(NewStoriesNotice(3, {"A", "B", "C"}).body, "A\nB\nC");
    EXPECT_EQ(NewStoriesNotice(7, {"A", "B", "C", "D"}).body, "A\nB\nC\nand 4 more");
    EXPECT_EQ(ProblemNotice("cannot read", "sources.txt", "").body, "sources.txt");
}

TEST(DesktopCommandLineTest, HomeInBothForms) {
    const char* argv[] = {"skimbolt", "--no-splash", "--home", "/x/y"};
    EXPECT_EQ(ParseDesktopCommandLine(4, argv).home, "/x/y");
    const char* argv2[] = {"skimbolt", "--home=/z"};
    EXPECT_EQ(ParseDesktopCommandLine(2, argv2).home, "/z");
}

TEST(SourceStatus, FailingPagesComeFirstThenUnreadThenGood) {
    CTempDir dir;
    CSourceHealth health;
    health.Load(dir.Path());
    PageHealth good{"http://127.0.0.1/a", 1700000000, true, 12, 3, ""};
    PageHealth bad{"http://127.0.0.1/c", 1700000000, false, 0, 0, "HTTP status 404"};
    health.Record(good);
    health.Record(bad);
    const auto rows = SourceStatusRows({"http://127.0.0.1/a", "http://127.0.0.1/b", "http://127.0.0.1/c"}, health);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].url, "http://127.0.0.1/c");
    EXPECT_TRUE(rows[0].bFailing);
    EXPECT_EQ(rows[0].outcome, "HTTP status 404");
    EXPECT_EQ(rows[1].url, "http://127.0.0.1/b");
    EXPECT_EQ(rows[1].outcome, "not read yet");
    EXPECT_EQ(rows[2].url, "http://127.0.0.1/a");
    EXPECT_FALSE(rows[2].bFailing);
}

TEST(SourceStatus, TheWindowListsPagesAndProblems) {
    CGuiTestCore core;
    ASSERT_TRUE(core.Core().Config().AddCustomUrl("http://127.0.0.1:9/news"));
    ClearDiagnostics();
    ReportDiagnostic(DiagnosticKind::ForeignFile, core.Folder() + "/home/Data/x.dat", "not a story file");
    ShowSourceStatus(nullptr, core.Core());
    auto* dlg = dynamic_cast<CSourceStatusDlg*>(wxWindow::FindWindowById(IDD_SOURCE_STATUS));
    ASSERT_NE(dlg, nullptr);
    auto* pages = dynamic_cast<wxListCtrl*>(dlg->FindWindow(IDC_STATUS_PAGES));
    auto* problems = dynamic_cast<wxListCtrl*>(dlg->FindWindow(IDC_STATUS_PROBLEMS));
    ASSERT_TRUE(pages && problems);
    ASSERT_EQ(pages->GetItemCount(), 1);
    EXPECT_EQ(pages->GetItemText(0, 0), "http://127.0.0.1:9/news");
    EXPECT_EQ(pages->GetItemText(0, 2), "not read yet");
    ASSERT_EQ(problems->GetItemCount(), 1);
    EXPECT_EQ(problems->GetItemText(0, 2), "not a story file");
    // A second request brings the same window forward.
    ShowSourceStatus(nullptr, core.Core());
    EXPECT_EQ(wxWindow::FindWindowById(IDD_SOURCE_STATUS), dlg);
    dlg->Destroy();
    ClearDiagnostics();
}

TEST(Screenshots, about) { Photograph("about", new CAboutDlg(nullptr)); }

TEST(Screenshots, source_status) {
    CGuiTestCore core({PageHealth{"http://127.0.0.1:8080/world", 1765000000, true, 24, 2, ""},
                       PageHealth{"http://127.0.0.1:8080/sports", 1765000300, false, 0, 0, "connection refused"}});
    CAppCore& c = core.Core();
    for (const char* url : {"http://127.0.0.1:8080/world", "http://127.0.0.1:8080/sports", "http://127.0.0.1:8080/tech"})
        ASSERT_TRUE(c.Config().AddCustomUrl(url));
    ClearDiagnostics();
    ReportDiagnostic(DiagnosticKind::SaveFailed, core.Folder() + "/home/Data/config.txt", "no space left on device");
    auto* dlg = new CSourceStatusDlg(nullptr, c);
    Photograph("source_status", dlg);
    ClearDiagnostics();
}

}  // namespace

namespace {

// The tray's four states, frame by frame, in their 64-pixel size, with
// each state's tip beneath its row.
TEST(Screenshots, tray_states) {
    CTrayIconSet icons;
    auto* dlg = new wxDialog(nullptr, wxID_ANY, "Tray states");
    auto* rows = new wxBoxSizer(wxVERTICAL);
    for (TrayState state : {TRAY_NORMAL, TRAY_DISABLED, TRAY_SCANNING, TRAY_NEW_STORIES}) {
        auto* frames = new wxBoxSizer(wxHORIZONTAL);
        ASSERT_GT(icons.GetFrameCount(state), 0);
        for (int i = 0; i < icons.GetFrameCount(state); ++i) {
            // At scale 1: the bundle marks its 64-pixel size as four times the 16-pixel one.
            const wxImage big = icons.GetFrame(state, i).GetBitmap(wxSize(64, 64)).ConvertToImage();
            frames->Add(new wxStaticBitmap(dlg, wxID_ANY, wxBitmap(big)), 0, wxALL, 3);
        }
        rows->Add(frames, 0, wxLEFT | wxRIGHT | wxTOP, 8);
        rows->Add(new wxStaticText(dlg, wxID_ANY, LoadStringText(CTrayIconSet::TipStringId(state))), 0, wxLEFT, 11);
    }
    rows->AddSpacer(8);
    dlg->SetSizerAndFit(rows);
    Photograph("tray_states", dlg);
}

// The desktop notification of a pass, as a notification server would show
// its summary and body.
TEST(Screenshots, desktop_notification) {
    const DesktopNotice notice = NewStoriesNotice(
        5, {"Storm floods the harbour district as rivers keep rising", "Farmers count the storm damage to this year's apple harvest",
            "Insurers brace for storm claims after the coastal flooding"});
    auto* dlg = new wxDialog(nullptr, wxID_ANY, "Notification", wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticBitmap(dlg, wxID_ANY, LoadResourceIcon(IDI_SKIMBOLT)), 0, wxALL, 12);
    auto* text = new wxBoxSizer(wxVERTICAL);
    auto* title = new wxStaticText(dlg, wxID_ANY, wxString::FromUTF8(notice.title));
    title->SetFont(title->GetFont().Bold());
    text->Add(title, 0, wxBOTTOM, 4);
    text->Add(new wxStaticText(dlg, wxID_ANY, wxString::FromUTF8(notice.body)));
    text->Add(new wxButton(dlg, wxID_OPEN, "View Stories"), 0, wxTOP | wxALIGN_RIGHT, 8);
    top->Add(text, 1, wxTOP | wxBOTTOM | wxRIGHT, 12);
    dlg->SetSizerAndFit(top);
    Photograph("desktop_notification", dlg);
}

}  // namespace
