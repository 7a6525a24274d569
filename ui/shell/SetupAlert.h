// CSetupAlertDlg: the small modal alert that tells the user what the program
// still needs before it can scan: keyword groups, news sources, or both.
// Its How? button tells how to give them.
#pragma once

#include <string>

#include <wx/dialog.h>

class CSetupAlertDlg : public wxDialog {
public:
    explicit CSetupAlertDlg(wxWindow* parent);

    // Set before the dialog opens (each 0 or 1).
    void SetKeywordsMissing(int bMissing) { m_bKeywordsMissing = bMissing; }
    void SetSourcesMissing(int bMissing) { m_bSourcesMissing = bMissing; }

    // What the How? button shows: for each missing item, the page to use
    // and how.
    std::string HowText() const;

private:
    // Fills the numbered lines from the flags when the dialog opens.
    void OnInitDialog(wxInitDialogEvent& event);

    int m_bKeywordsMissing = 0;
    int m_bSourcesMissing = 0;
};
