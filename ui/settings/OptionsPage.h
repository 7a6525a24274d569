// COptionsDlg: the Options page of the configuration sheet: how new stories
// are delivered (tray icon or story list, sound, desktop notifications,
// browser window, where a browser can be asked to use its current one),
// how pages are searched (scan mode, Breaking News only,
// poll period) and whether the program starts at log-in. Each control
// writes its setting the moment it is used.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/panel.h>

#include "app/Desktop.h"
#include "app/SettingsDesk.h"

class CAppCore;
class CFilePrompt;
class wxButton;
class wxCheckBox;
class wxRadioButton;
class wxSpinButton;
class wxSpinEvent;
class wxTextCtrl;

class COptionsDlg : public wxPanel {
public:
    static constexpr int MIN_POLL_MINUTES = CSettingsDesk::MIN_POLL_MINUTES;
    static constexpr int MAX_POLL_MINUTES = CSettingsDesk::MAX_POLL_MINUTES;

    // The page checks the sound file at once ("Wave file does not exist!").
    COptionsDlg(wxWindow* parent, CAppCore& core);
    ~COptionsDlg() override;

    // Called after a new poll period was stored (the main window re-arms its
    // watchdog timer through it).
    void SetPollPeriodChangedHook(std::function<void()> hook) { m_fnPollPeriodChanged = std::move(hook); }
    void SetFilePrompt(std::unique_ptr<CFilePrompt> prompt);
    // The page becoming active: the controls show what is stored.
    void OnSetActive();
    // Leaving the page, or the sheet being hidden: the text fields are read
    // back and stored. False when a field is refused (the page stays).
    bool OnKillActive();

private:
    void LoadMembers();
    void ShowFields();
    void ShowSoundFile(const wxString& path);
    // Reads the controls into the members; the text fields are checked (the
    // poll minutes' range, the sound file) and a refusal is shown. False on
    // a refusal: the members of the refused fields keep their values.
    bool ReadFields();
    // Shows a refusal; false when there was one.
    bool Accepted(const SettingsVerdict& verdict);
    void UpdateSoundControls();
    void StoreSoundFile();
    void StorePollMinutes();

    void OnCheckBox(wxCommandEvent& event);
    void OnDelivery(wxCommandEvent& event);
    void OnDisplay(wxCommandEvent& event);
    void OnScanMode(wxCommandEvent& event);
    void OnSoundFileFocusLost(wxFocusEvent& event);
    void OnPollMinutesFocusLost(wxFocusEvent& event);
    void OnSpin(wxSpinEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnPlay(wxCommandEvent& event);
    void OnPlayed(bool bPlayed);
    void OnRestoreDefaults(wxCommandEvent& event);
    void OnNotifications(wxCommandEvent& event);
    void OnAutostart(wxCommandEvent& event);

    CAppCore& m_core;
    int m_bBreakingNewsOnly = 0;
    int m_bPlaySound = 0;
    std::string m_strSoundFile;
    int m_nDelivery = 0;
    int m_nScanMode = 0;
    int m_nPollMinutes = 10;
    int m_nDisplay = 0;
    bool m_bDisplayChoice = true;  // a browser can be asked to use its current window

    wxCheckBox* m_checkBreakingNews = nullptr;
    wxCheckBox* m_checkPlaySound = nullptr;
    wxTextCtrl* m_editSoundFile = nullptr;
    wxButton* m_btnPlay = nullptr;
    wxButton* m_btnBrowse = nullptr;
    wxRadioButton* m_radioDelivery[2] = {};
    wxRadioButton* m_radioScanMode[3] = {};
    wxRadioButton* m_radioDisplay[3] = {};
    wxTextCtrl* m_editPollMinutes = nullptr;
    wxSpinButton* m_spinPoll = nullptr;
    wxCheckBox* m_checkNotifications = nullptr;
    wxCheckBox* m_checkAutostart = nullptr;

    bool m_bInExchange = false;  // a refusal box is open
    wxString m_strShownMinutes;    // the fields as last shown or accepted
    wxString m_strShownSoundFile;
    bool m_bPollEdited = false;    // the user changed the poll period
    std::function<void()> m_fnPollPeriodChanged;
    std::unique_ptr<CFilePrompt> m_pFilePrompt;
    // Last, so that it goes first: its thread may still report a sound.
    CSoundPlayer m_soundPlayer;
};
