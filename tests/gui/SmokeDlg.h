// CSmokeDlg: a small dialog with controls placed in dialog units and handlers
// bound by control id in an event table, for the window tests to drive and
// photograph.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;

class CSmokeDlg : public wxDialog {
public:
    // Check box asking the Add handler to confirm with a message box first.
    static constexpr int IDC_SMOKE_CONFIRM = 1001;

    explicit CSmokeDlg(wxWindow* parent = nullptr);

    int m_nAdded = 0;          // times the Add handler went through
    int m_nConfirmAnswer = 0;  // last answer of the confirmation box (wxYES, wxNO), 0 none

private:
    void OnAdd(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);

    wxCheckBox* m_pConfirm;

    wxDECLARE_EVENT_TABLE();
};
