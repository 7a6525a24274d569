// CSourceStatusDlg: the "Source status" window. It lists every page a scan
// reads with its last read and outcome, failing pages first, and below them
// the problems met with files in this run (failed saves, damaged or foreign
// files). It only reads what the core already keeps, so it never waits for
// the scanning thread.
#pragma once

#include <wx/dialog.h>

#include "app/SourceHealth.h"

class CAppCore;
class wxListCtrl;
class wxStaticText;

class CSourceStatusDlg : public wxDialog {
public:
    CSourceStatusDlg(wxWindow* parent, CAppCore& core);

    // Reads the pages' health and the problems again.
    void Refill();

private:
    void OnRefresh(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnOk(wxCommandEvent& event);

    CAppCore& m_core;
    wxStaticText* m_pSummary;
    wxListCtrl* m_pPages;
    wxListCtrl* m_pProblems;

    wxDECLARE_EVENT_TABLE();
};

// Shows the one source status window (made on first use, refilled and brought
// to the front after).
void ShowSourceStatus(wxWindow* parent, CAppCore& core);
