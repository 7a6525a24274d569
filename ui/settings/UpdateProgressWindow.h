// CUpdateProgressDlg: the small window without a caption that stays up
// while the news source update is read and merged (dialog 115). Shown
// modally, it starts the update half a second after it opened, offers Retry
// and Cancel when the update fails, and closes itself with OK in every case.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

class CSourceUpdate;
class wxStaticText;

class CUpdateProgressDlg : public wxDialog {
public:
    CUpdateProgressDlg(wxWindow* parent, CSourceUpdate& update);

    int ShowModal() override;
    // The update with its Retry/Cancel loop; true when the catalogue was
    // merged. What the timer runs; returns once the user stops retrying.
    bool RunUpdate();

private:
    void SetStatus(const char* text);
    void OnTimer(wxTimerEvent& event);

    CSourceUpdate& m_update;
    wxStaticText* m_textStatus;
    wxTimer m_timer;
    bool m_bStarted = false;
};
