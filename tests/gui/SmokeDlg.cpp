#include "gui/SmokeDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>

#include "res/resource.h"

wxBEGIN_EVENT_TABLE(CSmokeDlg, wxDialog)
    EVT_BUTTON(IDC_KEYWORD_ADD, CSmokeDlg::OnAdd)
    EVT_BUTTON(IDC_KEYWORD_CLEAR, CSmokeDlg::OnClear)
wxEND_EVENT_TABLE()

CSmokeDlg::CSmokeDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Skimbolt window test") {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    new wxStaticText(this, wxID_ANY, "Groups of 6 words or less are searched for as Keyword Groups", at(7, 7),
                     size(220, 10));
    m_pConfirm = new wxCheckBox(this, IDC_SMOKE_CONFIRM, "Ask before adding", at(7, 22), size(120, 10));
    new wxButton(this, IDC_KEYWORD_CLEAR, "Clear", at(120, 40), size(50, 14));
    new wxButton(this, IDC_KEYWORD_ADD, "Add", at(177, 40), size(50, 14));
    SetClientSize(size(234, 61));
}

void CSmokeDlg::OnAdd(wxCommandEvent&) {
    if (m_pConfirm->GetValue()) {
        m_nConfirmAnswer = wxMessageBox("Add this keyword group?", "Skimbolt", wxYES_NO, this);
        if (m_nConfirmAnswer != wxYES) return;
    }
    ++m_nAdded;
}

void CSmokeDlg::OnClear(wxCommandEvent&) { m_nAdded = 0; }
