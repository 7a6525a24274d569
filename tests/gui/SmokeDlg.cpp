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

CSmokeDlg::CSmokeDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Skimbolt window test", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
    // Positions and sizes in dialog units, as a dialog template gives them.
    auto du = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto dus = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };

    new wxStaticText(this, wxID_ANY, "Groups of 6 words or less are searched for as Keyword Groups",
                     du(7, 7), dus(220, 10));
    m_pConfirm = new wxCheckBox(this, IDC_SMOKE_CONFIRM, "Ask before adding", du(7, 22),
                                dus(120, 10));
    new wxButton(this, IDC_KEYWORD_CLEAR, "Clear", du(120, 40), dus(50, 14));
    auto* add = new wxButton(this, IDC_KEYWORD_ADD, "Add", du(177, 40), dus(50, 14));
    add->SetDefault();
    SetClientSize(dus(234, 61));
}

void CSmokeDlg::OnAdd(wxCommandEvent&) {
    if (m_pConfirm->GetValue()) {
        m_nConfirmAnswer = wxMessageBox("Add this keyword group?", "Skimbolt", wxYES_NO, this);
        if (m_nConfirmAnswer != wxYES) return;
    }
    ++m_nAdded;
}

void CSmokeDlg::OnClear(wxCommandEvent&) {
    m_nAdded = 0;
    m_nConfirmAnswer = 0;
}
