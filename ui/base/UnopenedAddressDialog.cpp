#include "ui/base/UnopenedAddressDialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "res/resource.h"

CUnopenedAddressDlg::CUnopenedAddressDlg(wxWindow* parent, const std::string& url)
    : wxDialog(parent, IDD_UNOPENED_ADDRESS, "Skimbolt") {
    const int gap = wxDLG_UNIT(this, wxSize(7, 7)).x;
    auto* text = new wxBoxSizer(wxVERTICAL);
    text->Add(new wxStaticText(this, wxID_ANY,
                               "Skimbolt could not start a web browser for this address.\n"
                               "Copy it into your browser:"),
              0, wxBOTTOM, gap);
    auto* address = new wxTextCtrl(this, IDC_UNOPENED_ADDRESS_TEXT, wxString::FromUTF8(url), wxDefaultPosition,
                                   wxSize(wxDLG_UNIT(this, wxSize(220, 12)).x, -1), wxTE_READONLY);
    text->Add(address, 0, wxEXPAND);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_WARNING, wxART_MESSAGE_BOX)), 0,
             wxRIGHT, gap);
    row->Add(text, 1, wxEXPAND);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(row, 1, wxEXPAND | wxALL, gap);
    top->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    SetSizerAndFit(top);
    // Selected at once: Ctrl+C copies it.
    address->SetFocus();
    address->SelectAll();
    Centre();
}

wxString CUnopenedAddressDlg::GetAddress() const {
    return static_cast<wxTextCtrl*>(FindWindow(IDC_UNOPENED_ADDRESS_TEXT))->GetValue();
}
