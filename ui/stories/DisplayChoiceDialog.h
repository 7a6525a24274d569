// CDisplayChoiceDlg: asks, before a story is shown, whether the browser
// should show it in a new window or in the current one, and can make the
// answer permanent. The answer is left with the story desk; the dialog's result
// is wxID_OK after a choice and wxID_CANCEL when nothing is to be shown.
#pragma once

#include <wx/dialog.h>

class CStoryDesk;
class wxCheckBox;

class CDisplayChoiceDlg : public wxDialog {
public:
    CDisplayChoiceDlg(wxWindow* parent, CStoryDesk& stories);

private:
    // Stores the choice (1 new window, 0 current window) and closes with OK.
    void Choose(int nNewWindow);
    void Finish(int result);

    CStoryDesk& m_stories;
    wxCheckBox* m_pAlways = nullptr;
};
