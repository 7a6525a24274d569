// CAboutDlg: the "About Skimbolt" box with the program's icon, version line,
// maker's name and a button that opens the maker's web site in the browser.
#pragma once

#include <wx/dialog.h>

// The maker's web site, shown on the About box's link button.
extern const char* const MAKER_WEB_ADDRESS;

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

private:
    void OnOk(wxCommandEvent& event);
    void OnWebAddress(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
