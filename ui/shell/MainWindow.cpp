#include "ui/shell/MainWindow.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/msgdlg.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/Resources.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/shell/AboutBox.h"
#include "ui/shell/SetupAlert.h"
#include "ui/shell/SplashWindow.h"
#include "ui/stories/StoryListWindow.h"

namespace {
constexpr int IDC_MAIN_OK = 1;
constexpr int kAnimationPeriodMs = 400;
constexpr int kResumePeriodMs = 500;
// The watchdog's period after the poll period was changed.
constexpr int kWatchdogAfterPollChangeMs = 5000;
}  // namespace

wxBEGIN_EVENT_TABLE(CSkimboltDlg, wxDialog)
    EVT_TIMER(wxID_ANY, CSkimboltDlg::OnTimer)
    EVT_MENU(ID_TRAY_OPEN, CSkimboltDlg::OnOpen)
    EVT_MENU(ID_TRAY_VIEW_STORIES, CSkimboltDlg::OnViewStories)
    EVT_MENU(ID_TRAY_SCAN_NOW, CSkimboltDlg::OnScanNow)
    EVT_MENU(ID_TRAY_DISABLE, CSkimboltDlg::OnDisable)
    EVT_MENU(ID_TRAY_ABOUT, CSkimboltDlg::OnAbout)
    EVT_MENU(ID_TRAY_EXIT, CSkimboltDlg::OnExit)
    EVT_BUTTON(IDC_MAIN_OK, CSkimboltDlg::OnOk)
    EVT_CLOSE(CSkimboltDlg::OnClose)
wxEND_EVENT_TABLE()

CSkimboltDlg::CSkimboltDlg(CAppCore& core)
    : wxDialog(nullptr, IDD_SKIMBOLT_DIALOG, "Skimbolt"),
      m_core(core),
      m_target(*this, [this](unsigned m, std::uintptr_t w, std::intptr_t l) { return OnWindowMessage(m, w, l); }),
      m_trayIcon(core, IDR_TRAY_MENU),
      m_watchdogTimer(this, TIMER_FETCH_WATCHDOG),
      m_animationTimer(this, TIMER_TRAY_ANIMATION),
      m_maintenanceTimer(this, TIMER_ARCHIVE_MAINTENANCE),
      m_resumeTimer(this, TIMER_RESUME_AFTER_STOP) {
    const char* trace = std::getenv("SKIMBOLT_TRACE");
    m_bTrace = trace && *trace && *trace != '0';
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    new wxButton(this, IDC_MAIN_OK, "OK", at(7, 7), size(50, 14));
    new wxButton(this, IDC_MAIN_HELP, "Help", at(7, 24), size(50, 14));
    SetClientSize(size(64, 44));
    SetIcons(LoadResourceIconBundle(IDI_SKIMBOLT));

    m_maintenanceTimer.Start(CAppCore::MAINTENANCE_PERIOD_MS);
    CountFailingPages();
    // The sheet exists from the start, hidden, so that its pages are ready.
    CreatePropSheet("Skimbolt");
    m_strTrayTip = "Loading Skimbolt...";
    m_trayIcon.SetNotificationWnd(this, WM_TRAY_NOTIFY);
    m_trayIcon.SetMessageHandler(
        [this](unsigned m, std::uintptr_t w, std::intptr_t l) { return OnWindowMessage(m, w, l); });
    const wxString loading = m_strTrayTip;
    const bool bIconShown = m_trayIcon.SetIcon(
        LoadResourceIconBundle(IDI_SKIMBOLT).GetIcon(wxSize(16, 16), wxIconBundle::FALLBACK_NEAREST_LARGER), &loading);
    Trace(bIconShown ? "tray icon added" : "no tray to add the icon to");
    m_core.CollectProblems(&m_target);
    CSplashWnd::ShowSplashScreen(this);
}

CSkimboltDlg::~CSkimboltDlg() {
    // The story list and the sheet use the core, which may end right after
    // this window: they go now, while this window is still whole.
    if (CStoryListDlg* list = m_pStoryList) {
        m_pStoryList = nullptr;
        m_core.SetStoryListTarget(nullptr);
        delete list;
    }
    if (CNewsPropSheet* sheet = g_pPropSheet) {
        g_pPropSheet = nullptr;
        delete sheet;
    }
    DestroyChildren();
    m_core.CollectProblems(nullptr);
    m_target.Close();
}

void CSkimboltDlg::Trace(const std::string& line) const {
    if (m_bTrace) std::fprintf(stderr, "skimbolt: %s\n", line.c_str());
}

std::intptr_t CSkimboltDlg::OnWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case WM_TRAY_NOTIFY:
        return m_trayIcon.OnTrayNotification(wParam, lParam);
    case WM_NEW_STORIES:
        m_core.OnWakeUp(message);
        m_bStoriesFound = true;
        break;
    case WM_SCAN_STARTED:
        m_core.OnWakeUp(message, lParam);
        SetTrayState(TRAY_FROM_FLAGS);
        break;
    case WM_SCAN_FINISHED:
        Trace("pass finished");
        m_core.OnWakeUp(message, lParam);
        CountFailingPages();
        SetTrayState(TRAY_FROM_FLAGS);
        if (m_bStoriesFound) {
            NotifyNewStories(false);
            m_bStoriesFound = false;
        }
        // One desktop notice per cycle: the news holds the new stories of
        // all its passes once the last one has ended. (The pass's failed
        // reads go too: the source status window shows them from the
        // pages' health.)
        TakeNews(true);
        break;
    case WM_SHOW_STORIES:
        NotifyNewStories(true);
        break;
    case WM_PROBLEM_NEWS:
        TakeNews(false);
        break;
    case WM_NEED_SETUP:
        Trace("setup needed " + std::to_string(lParam));
        ShowSetupAlert(static_cast<int>(lParam));
        break;
    default:
        break;
    }
    return 0;
}

void CSkimboltDlg::CountFailingPages() {
    const std::vector<SourceStatusRow> rows = m_core.Config().PageStatus();
    m_nPages = static_cast<int>(rows.size());
    m_nFailingPages = static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const SourceStatusRow& row) {
        return row.bFailing;
    }));
}

TrayState CSkimboltDlg::StateFromFlags() {
    if (!m_core.IsEnabled()) return TRAY_DISABLED;
    if (m_core.IsScanning()) return TRAY_SCANNING;
    if (m_core.NewStoriesPending() && !m_core.Config().Delivery().autoPopup)
        return TRAY_NEW_STORIES;
    return TRAY_NORMAL;
}

int CSkimboltDlg::FrameCount(TrayState state) const {
    // A state whose strip is missing shows the program's icon as its one frame.
    return std::max(1, m_trayIconSet.GetFrameCount(state));
}

void CSkimboltDlg::SetTrayState(int request) {
    const TrayState state =
        request >= TRAY_NORMAL && request <= TRAY_NEW_STORIES ? static_cast<TrayState>(request) : StateFromFlags();
    m_nTrayState = state;
    m_strTrayTip = CTrayIconSet::Tip(state, m_nFailingPages, m_nPages);
    Trace("tray state " + std::to_string(state) + " \"" + m_strTrayTip + "\"");
    m_animationTimer.Stop();
    if (FrameCount(state) == 1) {
        g_nTrayFrame = 0;
        ShowTrayFrame(state, 0);
        return;
    }
    m_animationTimer.Start(kAnimationPeriodMs);
    NextTrayFrame(false);
}

void CSkimboltDlg::NextTrayFrame(bool bContinue) {
    // Every frame follows the flags: after Stop Scanning the state asked for
    // gives way to the scanning frames until the pass has ended.
    const TrayState state = StateFromFlags();
    m_strTrayTip = CTrayIconSet::Tip(state, m_nFailingPages, m_nPages);
    int frame = bContinue ? g_nTrayFrame : 0;
    if (frame >= FrameCount(state)) frame = 0;
    m_nTrayState = state;
    ShowTrayFrame(state, frame);
    g_nTrayFrame = frame + 1;
}

void CSkimboltDlg::ShowTrayFrame(TrayState state, int frame) {
    const wxString tip = wxString::FromUTF8(m_strTrayTip);
    if (m_trayIconSet.GetFrameCount(state) > 0) {
        m_trayIcon.SetIcon(m_trayIconSet.GetFrame(state, frame), &tip);
        return;
    }
    m_trayIcon.SetIcon(
        LoadResourceIconBundle(IDI_SKIMBOLT).GetIcon(wxSize(16, 16), wxIconBundle::FALLBACK_NEAREST_LARGER), &tip);
}

void CSkimboltDlg::NotifyNewStories(bool bForce) {
    const DeliverySettings settings = m_core.Config().Delivery();
    const bool bAutoPopup = settings.autoPopup;
    const bool bSoundDue = settings.playSound && !bForce && !m_core.NewStoriesPending();
    const bool bJustCreated = m_pStoryList == nullptr;
    if (bJustCreated) CreateStoryList();
    if (bForce || bAutoPopup) {
        m_core.SetNewStoriesPending(false);
        if (!bJustCreated) m_pStoryList->Post(WM_STORIES_CHANGED, 0, 0);
        m_pStoryList->Iconize(false);
        m_pStoryList->Show();
        m_pStoryList->Raise();
        Trace("story list shown");
    } else if (m_pStoryList->IsShown()) {
        // The user is already looking.
        if (!bJustCreated) m_pStoryList->Post(WM_STORIES_CHANGED, 0, 0);
    } else {
        m_core.SetNewStoriesPending(true);
    }
    SetTrayState(TRAY_FROM_FLAGS);
    // Only the first notice since the user last looked is heard; a sound
    // that cannot be played is let go.
    // The sound plays on the player's thread, so that no window waits for it;
    // while the last one still plays, this one is skipped.
    if (bSoundDue) {
        const bool bStarted = m_soundPlayer.Play(settings.soundFile, [this](bool bPlayed) {
            Trace(std::string("sound ") + (bPlayed ? "played" : "not played"));
        });
        if (!bStarted) Trace("sound skipped: one is playing");
    }
}

void CSkimboltDlg::CreateStoryList() {
    m_pStoryList = new CStoryListDlg(this, m_core);
    m_core.SetStoryListTarget(m_pStoryList);
    CStoryListDlg* list = m_pStoryList;
    list->Bind(wxEVT_DESTROY, [this, list](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == list && m_pStoryList == list) {
            m_pStoryList = nullptr;
            m_core.SetStoryListTarget(nullptr);
        }
        event.Skip();
    });
}

void CSkimboltDlg::OnViewStories(wxCommandEvent&) {
    if (m_core.NewStoriesPending()) {
        m_core.SetNewStoriesPending(false);
        SetTrayState(TRAY_FROM_FLAGS);
    }
    if (!m_pStoryList) CreateStoryList();
    m_pStoryList->Iconize(false);
    m_pStoryList->Show();
    m_pStoryList->Raise();
    Trace("story list shown");
}

bool CSkimboltDlg::NewStoryNoticesWanted() { return m_core.Config().Delivery().showNotifications; }

void CSkimboltDlg::TakeNews(bool bPassNotified) {
    const CoreNews news = m_core.TakeNews();
    for (const FileProblem& problem : news.problems) ShowProblemNotice(problem);
    if (news.stories.empty()) return;
    m_core.AnnounceStories(news.stories, [&] {
        // The tray (or the list) tells of them whether or not a notice can be shown.
        if (!bPassNotified) NotifyNewStories(false);
        ShowNewStoriesNotice(news.stories);
        return true;
    });
}

void CSkimboltDlg::ShowNewStoriesNotice(const std::vector<StoryItem>& stories) {
    if (!NewStoryNoticesWanted()) return;
    std::vector<std::string> headlines;
    for (const StoryItem& story : stories) headlines.push_back(ShownHeadline(story.Headline()));
    const DesktopNotice notice = NewStoriesNotice(static_cast<int>(stories.size()), headlines);
    // Clicking it opens the story list, as the tray's View Stories does once
    // new stories wait (also when the user has looked meanwhile).
    const bool bShown = m_notifier.Show(notice, [this] { OnWindowMessage(WM_SHOW_STORIES, 0, 0); });
    Trace(std::string("notice ") + (bShown ? "shown" : "not shown") + ": " + notice.title);
}

void CSkimboltDlg::ShowProblemNotice(const FileProblem& problem) {
    if (!m_problemFiles.insert(problem.subject).second) return;
    const DesktopNotice notice = ProblemNotice(problem.kind, problem.subject, problem.detail);
    m_notifier.Show(notice, {});
    Trace("problem notice: " + notice.title);
}

void CSkimboltDlg::ComeForward() {
    Trace("come forward");
    bool bAnyShown = false;
    for (wxWindow* child : GetChildren()) {
        auto* window = dynamic_cast<wxTopLevelWindow*>(child);
        if (!window || !window->IsShown() || dynamic_cast<CSplashWnd*>(window)) continue;
        window->Iconize(false);
        window->Raise();
        bAnyShown = true;
    }
    // Waiting stories come first; without a window open, the settings: the
    // program stays reachable without a tray.
    if (m_core.NewStoriesPending() || !bAnyShown) OnTrayDoubleClick();
}

void CSkimboltDlg::OnTrayDoubleClick() {
    if (m_core.NewStoriesPending()) {
        OnWindowMessage(WM_SHOW_STORIES, 0, 0);
        m_core.SetNewStoriesPending(false);
        return;
    }
    wxCommandEvent open(wxEVT_MENU, ID_TRAY_OPEN);
    ProcessWindowEvent(open);
}

void CSkimboltDlg::ShowSetupAlert(int missing) {
    // The scanning thread waits for the answer until the alert is closed.
    // The splash, always on top, would cover it.
    if (CSplashWnd* splash = CSplashWnd::Current()) splash->Destroy();
    CSetupAlertDlg alert(this);
    alert.SetKeywordsMissing(missing == 0 || missing == 1);
    alert.SetSourcesMissing(missing == 0 || missing == 2);
    if (!PropSheet()) CreatePropSheet("Skimbolt Properties");
    if (missing == 2) g_pPropSheet->ShowSourcesPage();
    else g_pPropSheet->ShowKeywordsPage();
    g_pPropSheet->Iconize(false);
    g_pPropSheet->Show();
    alert.ShowModal();
}

CNewsPropSheet* CSkimboltDlg::PropSheet() const { return g_pPropSheet; }

void CSkimboltDlg::CreatePropSheet(const wxString& caption) {
    g_pPropSheet = new CNewsPropSheet(this, m_core, caption);
    // A sheet whose window was closed is forgotten, and made again by Open.
    CNewsPropSheet* sheet = g_pPropSheet;
    sheet->Bind(wxEVT_DESTROY, [this, sheet](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == sheet && g_pPropSheet == sheet) g_pPropSheet = nullptr;
        event.Skip();
    });
    g_pPropSheet->SetPollPeriodChangedHook([this] { m_watchdogTimer.Start(kWatchdogAfterPollChangeMs); });
}

void CSkimboltDlg::OnOpen(wxCommandEvent&) {
    if (!PropSheet()) CreatePropSheet("Skimbolt Properties");
    g_pPropSheet->ShowKeywordsPage();
    g_pPropSheet->Iconize(false);
    g_pPropSheet->Show();
    g_pPropSheet->Raise();
}

void CSkimboltDlg::OnTimer(wxTimerEvent& event) {
    switch (event.GetId()) {
    case TIMER_FETCH_WATCHDOG:
        m_core.OnFetchWatchdog();
        if (CNewsPropSheet* sheet = PropSheet()) sheet->RefreshConnectionStatus();
        break;
    case TIMER_TRAY_ANIMATION:
        NextTrayFrame(true);
        break;
    case TIMER_ARCHIVE_MAINTENANCE:
        m_core.OnArchiveMaintenance();
        break;
    case TIMER_RESUME_AFTER_STOP:
        if (m_core.ResumeScanning()) m_resumeTimer.Stop();
        break;
    default:
        event.Skip();
    }
}

void CSkimboltDlg::OnScanNow(wxCommandEvent&) {
    if (m_core.IsScanning()) {
        m_core.StopScanning();
        SetTrayState(m_core.NewStoriesPending() ? TRAY_NEW_STORIES : TRAY_NORMAL);
        m_resumeTimer.Start(kResumePeriodMs);
        return;
    }
    m_core.ScanNow();
    SetTrayState(TRAY_FROM_FLAGS);
}

void CSkimboltDlg::OnDisable(wxCommandEvent&) {
    m_core.SetEnabled(!m_core.IsEnabled());
    SetTrayState(TRAY_FROM_FLAGS);
}

void CSkimboltDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg about(this);
    about.ShowModal();
}

void CSkimboltDlg::OnExit(wxCommandEvent&) {
    m_bExitRequested = true;
    Close(true);
}

void CSkimboltDlg::OnOk(wxCommandEvent&) { Hide(); }

void CSkimboltDlg::OnClose(wxCloseEvent& event) {
    // The window's frame only hides it; a close that cannot be refused (the
    // session ending) is an exit.
    if (!m_bExitRequested && event.CanVeto()) {
        Hide();
        return;
    }
    m_bExitRequested = true;
    // A modal window runs its own loop inside a handler of a window that goes
    // now (and is owned by one): each ends first, as its Cancel would, and
    // the exit goes on once the last one's code has returned.
    if (m_modals.AnyOpen()) {
        Trace("exit: ending the modal windows first");
        m_modals.EndAll([this] { Close(true); });
        return;
    }
    Trace("exit");
    m_core.StopScanning();
    if (m_pStoryList) {
        m_core.SetStoryListTarget(nullptr);
        m_pStoryList->Destroy();
        m_pStoryList = nullptr;
    }
    m_core.Stories().CleanUpPages();
    // A request the scanning thread left waiting is answered with 0, so
    // that it can end.
    m_target.Close();
    m_core.Stop();
    if (CNewsPropSheet* sheet = PropSheet()) sheet->Destroy();
    g_pPropSheet = nullptr;
    m_watchdogTimer.Stop();
    m_animationTimer.Stop();
    m_maintenanceTimer.Stop();
    m_resumeTimer.Stop();
    const bool bMainWindow = wxTheApp && wxTheApp->GetTopWindow() == this;
    Destroy();
    if (bMainWindow) wxTheApp->ExitMainLoop();
}
