// CDisplayChoiceDlg: asks, before a story is shown, whether the browser
// should show it in a new window or in the current one, and can make the
// answer permanent. The answer is left in the settings; the dialog's result
// is wxID_OK after a choice and wxID_CANCEL when nothing is to be shown.
#pragma once

#include <wx/dialog.h>

class CNewsSettings;
class wxCheckBox;

class CDisplayChoiceDlg : public wxDialog {
public:
    CDisplayChoiceDlg(wxWindow* parent, CNewsSettings& settings);

private:
    // Stores the choice (1 new window, 0 current window) and closes with OK.
    void Choose(int nNewWindow);
    void Finish(int result);

    CNewsSettings& m_settings;
    wxCheckBox* m_pAlways = nullptr;
};
