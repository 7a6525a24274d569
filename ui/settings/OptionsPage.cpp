#include "ui/settings/OptionsPage.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/FilePrompt.h"
#include "ui/base/FrameFont.h"
#include "ui/base/Resources.h"
#include "ui/base/WebBrowser.h"

namespace {
constexpr int kTextSoundNotPlayed = 137;  // "Was unable to play an audio sound."
}

COptionsDlg::COptionsDlg(wxWindow* parent, CAppCore& core)
    : wxPanel(parent, wxID_ANY), m_core(core), m_pFilePrompt(std::make_unique<CDialogFilePrompt>()) {
    auto du = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = du(4, 4).x;
    auto* top = new wxBoxSizer(wxVERTICAL);

    // Delivery: how new stories are announced, and where they are shown.
    auto* delivery = new wxStaticBoxSizer(new wxStaticBox(this, IDC_OPTIONS_DELIVERY_FRAME, "Delivery"), wxVERTICAL);
    wxStaticBox* deliveryBox = delivery->GetStaticBox();
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    auto* announce = new wxBoxSizer(wxVERTICAL);
    m_radioDelivery[0] = new wxRadioButton(deliveryBox, IDC_OPTIONS_FLASH_TRAY, "&Flash tray icon",
                                           wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_radioDelivery[1] = new wxRadioButton(deliveryBox, IDC_OPTIONS_AUTO_POPUP, "&Auto pop-up Story List");
    announce->Add(m_radioDelivery[0], 0, wxBOTTOM, gap / 2);
    announce->Add(m_radioDelivery[1], 0, wxBOTTOM, gap);
    auto* display = new wxBoxSizer(wxVERTICAL);
    display->Add(new wxStaticText(deliveryBox, wxID_ANY, "Display stories in :"), 0, wxBOTTOM, gap / 2);
    m_radioDisplay[0] = new wxRadioButton(deliveryBox, IDC_OPTIONS_DISPLAY_NEW, "New browser window",
                                          wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_radioDisplay[1] = new wxRadioButton(deliveryBox, IDC_OPTIONS_DISPLAY_CURRENT, "Current browser window");
    m_radioDisplay[2] = new wxRadioButton(deliveryBox, IDC_OPTIONS_DISPLAY_ASK, "Always ask");
    for (wxRadioButton* r : m_radioDisplay) display->Add(r, 0, wxLEFT | wxBOTTOM, gap / 2);
    // Where no browser can be asked to use its current window, there is no
    // choice to make: the line says why.
    m_bDisplayChoice = CurrentBrowser().CanOpenInCurrentWindow();
    if (!m_bDisplayChoice) {
        for (wxRadioButton* r : m_radioDisplay) r->Disable();
        auto* note = new wxStaticText(deliveryBox, IDC_OPTIONS_DISPLAY_NOTE,
                                      "Stories open in a new window: browsers on this desktop cannot be told "
                                      "to use their current window.");
        note->Wrap(du(120, 8).x);
        display->Add(note, 0, wxLEFT, gap / 2);
    }
    columns->Add(announce, 1, wxEXPAND);
    columns->Add(display, 0, wxLEFT, gap);
    delivery->Add(columns, 0, wxEXPAND | wxALL, gap);

    auto* sound = new wxBoxSizer(wxHORIZONTAL);
    m_checkPlaySound = new wxCheckBox(deliveryBox, IDC_OPTIONS_PLAY_SOUND, "&Play Sound");
    m_editSoundFile = new wxTextCtrl(deliveryBox, IDC_OPTIONS_SOUND_FILE, wxEmptyString, wxDefaultPosition,
                                     wxSize(du(110, 12).x, -1));
    const wxBitmap play = LoadResourceBitmap(IDB_PLAY);
    m_btnPlay = play.IsOk() ? new wxBitmapButton(deliveryBox, IDC_OPTIONS_PLAY, play)
                            : new wxButton(deliveryBox, IDC_OPTIONS_PLAY, wxString::FromUTF8("\xe2\x96\xb6"),
                                           wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    m_btnPlay->SetToolTip("Play the sound now");
    m_btnBrowse = new wxButton(deliveryBox, IDC_OPTIONS_BROWSE, "&Browse...");
    sound->Add(m_checkPlaySound, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    sound->Add(m_editSoundFile, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap / 2);
    sound->Add(m_btnPlay, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap / 2);
    sound->Add(m_btnBrowse, 0, wxALIGN_CENTER_VERTICAL);
    delivery->Add(sound, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    MakeFrameLabelBold(deliveryBox);
    top->Add(delivery, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, du(7, 7).x);

    // Searching: scan mode, Breaking News only, poll period.
    auto* searching = new wxStaticBoxSizer(new wxStaticBox(this, IDC_OPTIONS_SEARCHING_FRAME, "Searching"),
                                           wxVERTICAL);
    wxStaticBox* searchingBox = searching->GetStaticBox();
    m_radioScanMode[0] = new wxRadioButton(searchingBox, IDC_OPTIONS_QUICKSCAN, "&QuickScan  -  Scans only headlines",
                                           wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_radioScanMode[1] = new wxRadioButton(searchingBox, IDC_OPTIONS_STANDARD,
                                           "&Standard  -  Scans article only if keyword is found in title");
    m_radioScanMode[2] = new wxRadioButton(searchingBox, IDC_OPTIONS_EXTENSIVE,
                                           "&Extensive  -  Scans full article text for keywords");
    for (wxRadioButton* r : m_radioScanMode) searching->Add(r, 0, wxLEFT | wxRIGHT | wxTOP, gap);
    m_checkBreakingNews = new wxCheckBox(searchingBox, IDC_OPTIONS_BREAKING_NEWS,
                                         "Breaking &News only (ignore stories found at startup)");
    searching->Add(m_checkBreakingNews, 0, wxALL, gap);
    auto* poll = new wxBoxSizer(wxHORIZONTAL);
    poll->Add(new wxStaticText(searchingBox, wxID_ANY, "Check for stories every"), 0,
              wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_editPollMinutes = new wxTextCtrl(searchingBox, IDC_OPTIONS_POLL_MINUTES, wxEmptyString, wxDefaultPosition,
                                       wxSize(du(24, 12).x, -1), wxTE_RIGHT, wxTextValidator(wxFILTER_DIGITS));
    m_spinPoll = new wxSpinButton(searchingBox, IDC_OPTIONS_POLL_SPIN, wxDefaultPosition, wxDefaultSize,
                                  wxSP_VERTICAL | wxSP_ARROW_KEYS);
    m_spinPoll->SetRange(MIN_POLL_MINUTES, MAX_POLL_MINUTES);
    poll->Add(m_editPollMinutes, 0, wxALIGN_CENTER_VERTICAL);
    poll->Add(m_spinPoll, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    poll->Add(new wxStaticText(searchingBox, wxID_ANY, "Minutes"), 0, wxALIGN_CENTER_VERTICAL);
    poll->AddStretchSpacer();
    poll->Add(new wxButton(searchingBox, IDC_OPTIONS_RESTORE_DEFAULTS, "&Restore Defaults"), 0,
              wxALIGN_CENTER_VERTICAL);
    searching->Add(poll, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    MakeFrameLabelBold(searchingBox);
    top->Add(searching, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, du(7, 7).x);

    // Desktop notifications and the start at log-in.
    m_checkNotifications = new wxCheckBox(this, IDC_OPTIONS_NOTIFICATIONS, "Show desktop no&tifications");
    m_checkAutostart = new wxCheckBox(this, IDC_OPTIONS_AUTOSTART, "Start Skimbolt when I &log in");
    top->Add(m_checkNotifications, 0, wxLEFT | wxRIGHT | wxTOP, du(7, 7).x);
    top->Add(m_checkAutostart, 0, wxALL, du(7, 7).x);
    SetSizer(top);

    for (int id : {IDC_OPTIONS_PLAY_SOUND, IDC_OPTIONS_BREAKING_NEWS})
        Bind(wxEVT_CHECKBOX, &COptionsDlg::OnCheckBox, this, id);
    for (int id : {IDC_OPTIONS_FLASH_TRAY, IDC_OPTIONS_AUTO_POPUP})
        Bind(wxEVT_RADIOBUTTON, &COptionsDlg::OnDelivery, this, id);
    for (int id : {IDC_OPTIONS_DISPLAY_NEW, IDC_OPTIONS_DISPLAY_CURRENT, IDC_OPTIONS_DISPLAY_ASK})
        Bind(wxEVT_RADIOBUTTON, &COptionsDlg::OnDisplay, this, id);
    for (int id : {IDC_OPTIONS_QUICKSCAN, IDC_OPTIONS_STANDARD, IDC_OPTIONS_EXTENSIVE})
        Bind(wxEVT_RADIOBUTTON, &COptionsDlg::OnScanMode, this, id);
    m_editSoundFile->Bind(wxEVT_KILL_FOCUS, &COptionsDlg::OnSoundFileFocusLost, this);
    m_editPollMinutes->Bind(wxEVT_KILL_FOCUS, &COptionsDlg::OnPollMinutesFocusLost, this);
    m_spinPoll->Bind(wxEVT_SPIN, &COptionsDlg::OnSpin, this);
    Bind(wxEVT_BUTTON, &COptionsDlg::OnBrowse, this, IDC_OPTIONS_BROWSE);
    Bind(wxEVT_BUTTON, &COptionsDlg::OnPlay, this, IDC_OPTIONS_PLAY);
    Bind(wxEVT_BUTTON, &COptionsDlg::OnRestoreDefaults, this, IDC_OPTIONS_RESTORE_DEFAULTS);
    Bind(wxEVT_CHECKBOX, &COptionsDlg::OnNotifications, this, IDC_OPTIONS_NOTIFICATIONS);
    Bind(wxEVT_CHECKBOX, &COptionsDlg::OnAutostart, this, IDC_OPTIONS_AUTOSTART);

    LoadMembers();
    ShowFields();
    UpdateSoundControls();
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::SetFilePrompt(std::unique_ptr<CFilePrompt> prompt) { m_pFilePrompt = std::move(prompt); }

void COptionsDlg::LoadMembers() {
    const SettingsSnapshot settings = m_core.Config().Snapshot();
    m_bBreakingNewsOnly = settings.breakingNewsOnly ? 1 : 0;
    m_bPlaySound = settings.playSound ? 1 : 0;
    m_strSoundFile = settings.soundFile;
    m_nPollMinutes = settings.pollSeconds / 60;
    m_nDelivery = settings.autoPopup ? 1 : 0;
    m_nScanMode = static_cast<int>(settings.scanMode);
    m_nDisplay = static_cast<int>(settings.display);
}

void COptionsDlg::ShowFields() {
    m_checkBreakingNews->SetValue(m_bBreakingNewsOnly != 0);
    m_checkPlaySound->SetValue(m_bPlaySound != 0);
    ShowSoundFile(wxString::FromUTF8(m_strSoundFile));
    m_radioDelivery[m_nDelivery]->SetValue(true);
    m_radioScanMode[m_nScanMode]->SetValue(true);
    // Without a choice the page shows what happens: a new window.
    m_radioDisplay[m_bDisplayChoice ? m_nDisplay : 0]->SetValue(true);
    m_strShownMinutes = wxString::Format("%d", m_nPollMinutes);
    m_strShownSoundFile = wxString::FromUTF8(m_strSoundFile);
    m_editPollMinutes->ChangeValue(m_strShownMinutes);
    m_spinPoll->SetValue(m_nPollMinutes);
    m_checkNotifications->SetValue(m_core.Config().Snapshot().showNotifications);
    const AutostartSetting autostart = m_core.Config().Autostart();
    m_checkAutostart->SetValue(autostart != AutostartSetting::Off);
    // An entry someone else wrote is theirs to change.
    m_checkAutostart->Enable(autostart != AutostartSetting::Foreign);
}

bool COptionsDlg::ReadFields() {
    m_bBreakingNewsOnly = m_checkBreakingNews->GetValue() ? 1 : 0;
    m_bPlaySound = m_checkPlaySound->GetValue() ? 1 : 0;
    for (int i = 0; i < 2; ++i)
        if (m_radioDelivery[i]->GetValue()) m_nDelivery = i;
    for (int i = 0; i < 3; ++i) {
        if (m_radioScanMode[i]->GetValue()) m_nScanMode = i;
        if (m_bDisplayChoice && m_radioDisplay[i]->GetValue()) m_nDisplay = i;
    }
    if (m_bInExchange) return false;  // a refusal is being shown already
    // Only what the user typed is checked: a stored value the page cannot
    // show exactly (a poll period under a minute in config.txt, a sound file
    // removed since) is kept as it is, and no box stops the program's start.
    if (m_editPollMinutes->GetValue() != m_strShownMinutes) {
        SettingsChange poll;
        poll.pollMinutesText = m_editPollMinutes->GetValue().utf8_string();
        if (!Accepted(m_core.Config().Check(poll))) {
            // The field shows the stored period again.
            m_editPollMinutes->ChangeValue(m_strShownMinutes);
            m_spinPoll->SetValue(m_nPollMinutes);
            return false;
        }
        m_nPollMinutes = std::stoi(*poll.pollMinutesText);
        m_strShownMinutes = m_editPollMinutes->GetValue();
        m_bPollEdited = true;
    }
    if (m_editSoundFile->GetValue() == m_strShownSoundFile) return true;
    SettingsChange sound;
    sound.soundFile = m_editSoundFile->GetValue().utf8_string();
    sound.playSound = m_bPlaySound != 0;
    if (!Accepted(m_core.Config().Check(sound))) return false;
    m_strSoundFile = *sound.soundFile;
    m_strShownSoundFile = m_editSoundFile->GetValue();
    return true;
}

bool COptionsDlg::Accepted(const SettingsVerdict& verdict) {
    if (verdict) return true;
    m_bInExchange = true;
    wxMessageBox(wxString::FromUTF8(verdict.message), "Skimbolt", wxOK | wxICON_EXCLAMATION, this);
    m_bInExchange = false;
    return false;
}

void COptionsDlg::ShowSoundFile(const wxString& path) {
    // A long path does not fit: the field shows its end, the file's name,
    // and the whole path in its tip.
    m_editSoundFile->ChangeValue(path);
    m_editSoundFile->SetInsertionPointEnd();
    if (path.empty())
        m_editSoundFile->UnsetToolTip();
    else
        m_editSoundFile->SetToolTip(path);
}

void COptionsDlg::UpdateSoundControls() {
    const bool bOn = m_checkPlaySound->GetValue();
    m_editSoundFile->Enable(bOn);
    m_btnPlay->Enable(bOn);
    m_btnBrowse->Enable(bOn);
}

void COptionsDlg::StoreSoundFile() {
    SettingsChange change;
    change.soundFile = m_strSoundFile;
    m_core.Config().Apply(change);
}

void COptionsDlg::StorePollMinutes() {
    if (!m_bPollEdited) return;
    m_bPollEdited = false;
    const std::int32_t before = m_core.Config().Snapshot().pollSeconds;
    SettingsChange change;
    change.pollMinutesText = std::to_string(m_nPollMinutes);
    m_core.Config().Apply(change);
    if (m_core.Config().Snapshot().pollSeconds != before && m_fnPollPeriodChanged) m_fnPollPeriodChanged();
}

void COptionsDlg::OnSetActive() {
    LoadMembers();
    ShowFields();
    UpdateSoundControls();
}

bool COptionsDlg::OnKillActive() {
    if (!ReadFields()) return false;
    StoreSoundFile();
    StorePollMinutes();
    return true;
}

void COptionsDlg::OnCheckBox(wxCommandEvent&) {
    ReadFields();
    UpdateSoundControls();
    SettingsChange change;
    change.breakingNewsOnly = m_bBreakingNewsOnly != 0;
    change.playSound = m_bPlaySound != 0;
    m_core.Config().Apply(change);
}

void COptionsDlg::OnDelivery(wxCommandEvent&) {
    ReadFields();
    SettingsChange change;
    change.autoPopup = m_nDelivery == 1;
    m_core.Config().Apply(change);
}

void COptionsDlg::OnDisplay(wxCommandEvent&) {
    ReadFields();
    SettingsChange change;
    change.display = static_cast<BrowserDisplay>(m_nDisplay);
    m_core.Config().Apply(change);
}

void COptionsDlg::OnScanMode(wxCommandEvent&) {
    ReadFields();
    SettingsChange change;
    change.scanMode = static_cast<ScanMode>(m_nScanMode);
    m_core.Config().Apply(change);
}

void COptionsDlg::OnSoundFileFocusLost(wxFocusEvent& event) {
    event.Skip();
    if (ReadFields()) StoreSoundFile();
    const wxString path = m_editSoundFile->GetValue();
    if (path.empty())
        m_editSoundFile->UnsetToolTip();
    else
        m_editSoundFile->SetToolTip(path);
}

void COptionsDlg::OnPollMinutesFocusLost(wxFocusEvent& event) {
    event.Skip();
    if (ReadFields()) StorePollMinutes();
}

void COptionsDlg::OnSpin(wxSpinEvent& event) {
    // The arrows change the period as typing does: stored at once, since
    // the field may never have had the focus to lose.
    m_editPollMinutes->ChangeValue(wxString::Format("%d", event.GetPosition()));
    if (ReadFields()) StorePollMinutes();
}

void COptionsDlg::OnBrowse(wxCommandEvent&) {
    wxString chosen;
    if (!m_pFilePrompt || !m_pFilePrompt->ChooseSoundFile(this, m_editSoundFile->GetValue(), chosen)) return;
    ShowSoundFile(chosen);
    if (ReadFields()) StoreSoundFile();
}

void COptionsDlg::OnPlay(wxCommandEvent&) {
    // The sound plays on the player's thread (the windows go on meanwhile);
    // its outcome comes back to this page.
    m_btnPlay->Disable();
    if (!m_soundPlayer.Play(m_editSoundFile->GetValue().utf8_string(),
                            [this](bool bPlayed) { CallAfter([this, bPlayed] { OnPlayed(bPlayed); }); }))
        UpdateSoundControls();
}

void COptionsDlg::OnPlayed(bool bPlayed) {
    if (!bPlayed)
        wxMessageBox(wxString::FromUTF8(LoadStringText(kTextSoundNotPlayed)), "Skimbolt", wxOK | wxICON_EXCLAMATION,
                     this);
    UpdateSoundControls();
}

void COptionsDlg::OnRestoreDefaults(wxCommandEvent&) {
    const std::int32_t before = m_core.Config().Snapshot().pollSeconds;
    m_core.Config().RestoreDefaults();
    LoadMembers();
    ShowFields();
    UpdateSoundControls();
    if (before != m_core.Config().Snapshot().pollSeconds && m_fnPollPeriodChanged) m_fnPollPeriodChanged();
}

void COptionsDlg::OnNotifications(wxCommandEvent&) {
    SettingsChange change;
    change.showNotifications = m_checkNotifications->GetValue();
    m_core.Config().Apply(change);
}

void COptionsDlg::OnAutostart(wxCommandEvent&) {
    std::string error;
    const std::string program = wxStandardPaths::Get().GetExecutablePath().utf8_string();
    if (!m_core.Config().SetAutostart(m_checkAutostart->GetValue(), program, error)) {
        wxMessageBox(wxString::FromUTF8(error), "Skimbolt", wxOK | wxICON_EXCLAMATION, this);
        ShowFields();
    }
}
