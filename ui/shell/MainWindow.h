// CSkimboltDlg: the program's hidden main window, the hub between the
// scanning thread and the user. It receives the scanning thread's messages
// (dispatched by value), keeps the tray state and its animation, tells the
// user about new stories (tray, story list, sound, desktop notification),
// carries out the tray menu's commands, runs the timed duties and performs
// the orderly exit.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "app/Desktop.h"
#include "app/StoryTypes.h"
#include "ui/base/ModalWindows.h"
#include "ui/base/WindowMessageTarget.h"
#include "ui/shell/DesktopNotifier.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayIconSet.h"

class CAppCore;
class CNewsPropSheet;
class CStoryListDlg;

class CSkimboltDlg : public wxDialog {
public:
    explicit CSkimboltDlg(CAppCore& core);
    ~CSkimboltDlg() override;

    // Where the scanning thread reports.
    CMessageTarget& MessageTarget() { return m_target; }
    // Timer 1, the fetch watchdog, at this period.
    void StartFetchWatchdog(int periodMs) { m_watchdogTimer.Start(periodMs); }
    // The message dispatch: one window message by value (user-interface thread).
    std::intptr_t OnWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // The tray icon follows a state, or the flags with TRAY_FROM_FLAGS.
    void SetTrayState(int state);
    // Shows the next animation frame (continue) or the first one.
    void NextTrayFrame(bool bContinue);
    // Tells the user about new stories: at the end of a pass (force false)
    // or on the user's request (force true).
    void NotifyNewStories(bool bForce);
    // A second start on the same folder: the open windows come forward, or
    // with none open, what a double click on the tray icon does.
    void ComeForward();
    // What a double click on the tray icon does.
    void OnTrayDoubleClick();

    // The state shown now and the index of the next animation frame.
    int GetTrayState() const { return m_nTrayState; }
    int GetTrayFrame() const { return g_nTrayFrame; }
    // The tip the tray icon shows.
    const std::string& GetTrayTip() const { return m_strTrayTip; }
    bool IsExitRequested() const { return m_bExitRequested; }
    CDesktopNotifier& Notifier() { return m_notifier; }
    CTrayIcon& TrayIcon() { return m_trayIcon; }
    // The property sheet; null when its window was closed.
    CNewsPropSheet* PropSheet() const;
    // The story list; null until first needed and after its window was closed.
    CStoryListDlg* StoryList() const { return m_pStoryList; }

private:
    // How many of the configured pages failed at their last read, for the tip.
    void CountFailingPages();
    // The state the flags call for.
    TrayState StateFromFlags();
    int FrameCount(TrayState state) const;
    void ShowTrayFrame(TrayState state, int frame);
    void Trace(const std::string& line) const;
    // The core's news: a notice for each problem, and the new stories
    // announced. bPassNotified: the tray (or the list) has shown the passes'
    // new stories already; stories that come otherwise (those an earlier run
    // never announced, a cycle cut short) are shown there too.
    void TakeNews(bool bPassNotified);
    void ShowProblemNotice(const FileProblem& problem);
    bool NewStoryNoticesWanted();
    void ShowNewStoriesNotice(const std::vector<StoryItem>& stories);

    void CreatePropSheet(const wxString& caption);
    void CreateStoryList();
    void OnViewStories(wxCommandEvent& event);
    // lParam of WM_NEED_SETUP: 0 both missing, 1 keywords, 2 sources.
    void ShowSetupAlert(int missing);
    void OnTimer(wxTimerEvent& event);
    void OnOpen(wxCommandEvent& event);
    void OnScanNow(wxCommandEvent& event);
    void OnDisable(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    CAppCore& m_core;
    CModalWindows m_modals;  // ended before the exit destroys their owners
    CWindowMessageTarget m_target;
    CTrayIcon m_trayIcon;
    CTrayIconSet m_trayIconSet;
    CDesktopNotifier m_notifier;
    std::set<std::string> m_problemFiles;  // files a problem notice was shown for
    wxTimer m_watchdogTimer;
    wxTimer m_animationTimer;
    wxTimer m_maintenanceTimer;
    wxTimer m_resumeTimer;
    TrayState m_nTrayState = TRAY_NORMAL;
    int g_nTrayFrame = 0;  // the next animation frame
    std::string m_strTrayTip;
    int m_nFailingPages = 0;  // of m_nPages, at their last read
    int m_nPages = 0;
    CNewsPropSheet* g_pPropSheet = nullptr;
    CStoryListDlg* m_pStoryList = nullptr;
    bool m_bExitRequested = false;
    bool m_bStoriesFound = false;
    bool m_bTrace = false;
    // Last, so that it goes first: its thread may still report a sound.
    CSoundPlayer m_soundPlayer;

    wxDECLARE_EVENT_TABLE();
};
