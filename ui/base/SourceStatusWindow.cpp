#include "ui/base/SourceStatusWindow.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/window.h>

#include "app/AppCore.h"
#include "res/resource.h"
#include "ui/base/BoldDialogFont.h"
#include "ui/base/FailureColour.h"

wxBEGIN_EVENT_TABLE(CSourceStatusDlg, wxDialog)
    EVT_BUTTON(IDC_STATUS_REFRESH, CSourceStatusDlg::OnRefresh)
    EVT_BUTTON(wxID_OK, CSourceStatusDlg::OnOk)
    EVT_CLOSE(CSourceStatusDlg::OnClose)
wxEND_EVENT_TABLE()

CSourceStatusDlg::CSourceStatusDlg(wxWindow* parent, CAppCore& core)
    : wxDialog(parent, IDD_SOURCE_STATUS, "Source status", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_core(core) {
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    auto* top = new wxBoxSizer(wxVERTICAL);
    const int gap = wxDLG_UNIT(this, wxSize(7, 0)).x;

    auto* pagesLabel = new wxStaticText(this, wxID_ANY, "&Pages scanned");
    pagesLabel->SetFont(BoldDialogFont());
    top->Add(pagesLabel, 0, wxLEFT | wxRIGHT | wxTOP, gap);
    m_pSummary = new wxStaticText(this, IDC_STATUS_SUMMARY, "");
    top->Add(m_pSummary, 0, wxLEFT | wxRIGHT | wxTOP, gap);
    m_pPages = new wxListCtrl(this, IDC_STATUS_PAGES, wxDefaultPosition, size(380, 120),
                              wxLC_REPORT | wxLC_SINGLE_SEL);
    m_pPages->AppendColumn("Page", wxLIST_FORMAT_LEFT, size(170, 0).x);
    m_pPages->AppendColumn("Last read", wxLIST_FORMAT_LEFT, size(65, 0).x);
    m_pPages->AppendColumn("Outcome", wxLIST_FORMAT_LEFT, size(140, 0).x);
    top->Add(m_pPages, 3, wxEXPAND | wxALL, gap);

    auto* problemsLabel = new wxStaticText(this, wxID_ANY, "P&roblems with files in this run");
    problemsLabel->SetFont(BoldDialogFont());
    top->Add(problemsLabel, 0, wxLEFT | wxRIGHT, gap);
    m_pProblems = new wxListCtrl(this, IDC_STATUS_PROBLEMS, wxDefaultPosition, size(380, 60),
                                 wxLC_REPORT | wxLC_SINGLE_SEL);
    m_pProblems->AppendColumn("Problem", wxLIST_FORMAT_LEFT, size(70, 0).x);
    m_pProblems->AppendColumn("File", wxLIST_FORMAT_LEFT, size(150, 0).x);
    m_pProblems->AppendColumn("What happened", wxLIST_FORMAT_LEFT, size(155, 0).x);
    top->Add(m_pProblems, 2, wxEXPAND | wxALL, gap);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, IDC_STATUS_REFRESH, "R&efresh", wxDefaultPosition, size(50, 14)), 0,
                 wxRIGHT, gap);
    auto* ok = new wxButton(this, wxID_OK, "Close", wxDefaultPosition, size(50, 14));
    buttons->Add(ok);
    top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    ok->SetDefault();
    SetEscapeId(wxID_OK);
    SetSizerAndFit(top);
    Refill();
}

void CSourceStatusDlg::Refill() {
    const std::vector<SourceStatusRow> rows = m_core.Config().PageStatus();
    m_pPages->DeleteAllItems();
    int failing = 0;
    for (const SourceStatusRow& row : rows) {
        const long item = m_pPages->InsertItem(m_pPages->GetItemCount(), wxString::FromUTF8(row.url));
        m_pPages->SetItem(item, 1, wxString::FromUTF8(row.lastRead));
        m_pPages->SetItem(item, 2, wxString::FromUTF8(row.outcome));
        if (row.bFailing) {
            m_pPages->SetItemTextColour(item, FailureTextColour(m_pPages->GetBackgroundColour()));
            ++failing;
        }
    }
    if (rows.empty())
        m_pSummary->SetLabel("No pages are configured: choose news sources or custom URLs.");
    else
        m_pSummary->SetLabel(wxString::Format("%zu pages, %d failing at their last read.", rows.size(), failing));

    m_pProblems->DeleteAllItems();
    for (const FileProblem& d : m_core.Config().FileProblems()) {
        const long item = m_pProblems->InsertItem(m_pProblems->GetItemCount(), wxString::FromUTF8(d.kind));
        m_pProblems->SetItem(item, 1, wxString::FromUTF8(d.subject));
        m_pProblems->SetItem(item, 2, wxString::FromUTF8(d.detail));
    }
    if (m_pProblems->GetItemCount() == 0) m_pProblems->InsertItem(0, "none");
}

void CSourceStatusDlg::OnRefresh(wxCommandEvent&) { Refill(); }
void CSourceStatusDlg::OnOk(wxCommandEvent&) { Hide(); }
void CSourceStatusDlg::OnClose(wxCloseEvent&) { Hide(); }

void ShowSourceStatus(wxWindow* parent, CAppCore& core) {
    auto* dlg = dynamic_cast<CSourceStatusDlg*>(wxWindow::FindWindowById(IDD_SOURCE_STATUS));
    if (!dlg) dlg = new CSourceStatusDlg(parent, core);
    else dlg->Refill();
    dlg->Show();
    dlg->Raise();
}
