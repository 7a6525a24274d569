#include "ui/shell/SetupAlert.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/Resources.h"
#include "ui/base/ContextHelp.h"

CSetupAlertDlg::CSetupAlertDlg(wxWindow* parent) : wxDialog(parent, IDD_SETUP_ALERT, "Skimbolt Alert!") {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };

    const wxIcon icon = LoadResourceIcon(IDI_SETUP_ALERT);
    if (icon.IsOk()) new wxStaticBitmap(this, wxID_ANY, icon, at(7, 7), wxSize(icon.GetWidth(), icon.GetHeight()));
    new wxStaticText(this, wxID_ANY, "Skimbolt needs some information before it can get to work:", at(35, 9),
                     size(198, 10));
    new wxStaticText(this, IDC_SETUP_LINE1, "", at(47, 24), size(186, 10));
    new wxStaticText(this, IDC_SETUP_LINE2, "", at(47, 36), size(186, 10));
    new wxStaticLine(this, wxID_ANY, at(7, 52), size(224, 1));
    new wxStaticText(this, wxID_ANY, "Please provide the above information, and get the news YOU want!", at(5, 59),
                     size(228, 10), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    auto* ok = new wxButton(this, 1, "OK", at(65, 76), size(50, 14));
    new wxButton(this, IDC_SETUP_HOW, "&How?", at(123, 76), size(50, 14));
    ok->SetDefault();
    ok->SetFocus();
    SetAffirmativeId(1);  // OK (id 1) and Enter close the dialog
    SetClientSize(size(238, 97));
    Bind(wxEVT_INIT_DIALOG, &CSetupAlertDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowHelpPopup(this, HowText()); }, IDC_SETUP_HOW);
}

std::string CSetupAlertDlg::HowText() const {
    // The steps, in the order of the lines, told by the help of the
    // controls the user works with.
    std::string text;
    int number = 0;
    auto step = [&](const char* page, std::initializer_list<int> controls) {
        text += (text.empty() ? "" : "\n\n") + std::to_string(++number) + ". " + page + ":";
        for (int id : controls) text += " " + HelpTextForControl(id);
    };
    if (m_bKeywordsMissing) step("On the Keywords page", {IDC_KEYWORD_WORD1, IDC_KEYWORD_ADD});
    if (m_bSourcesMissing) step("On the News Sources page", {IDC_SOURCE_LIST, IDC_CUSTOM_URL});
    return text;
}

void CSetupAlertDlg::OnInitDialog(wxInitDialogEvent& event) {
    auto setLine = [this](int id, int number, int text) {
        static_cast<wxStaticText*>(FindWindow(id))->SetLabel(wxString::Format("%d. ", number) +
                                                             wxString::FromUTF8(LoadStringText(text)));
    };
    if (m_bKeywordsMissing) {
        setLine(IDC_SETUP_LINE1, 1, 133);
        if (m_bSourcesMissing) setLine(IDC_SETUP_LINE2, 2, 132);
    } else if (m_bSourcesMissing) {
        setLine(IDC_SETUP_LINE1, 1, 132);
    }
    event.Skip();
}
