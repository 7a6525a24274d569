#include "ui/shell/AboutBox.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/resource.h"
#include "ui/base/BoldDialogFont.h"
#include "ui/base/Resources.h"
#include "ui/base/WebBrowser.h"

const char* const MAKER_WEB_ADDRESS = "http://www.vantrelgroup.example/";

namespace {
constexpr int IDC_ABOUT_OK = 1;
}

wxBEGIN_EVENT_TABLE(CAboutDlg, wxDialog)
    EVT_BUTTON(IDC_ABOUT_OK, CAboutDlg::OnOk)
    EVT_BUTTON(IDC_ABOUT_WEB_ADDRESS, CAboutDlg::OnWebAddress)
wxEND_EVENT_TABLE()

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, IDD_ABOUTBOX, "About Skimbolt") {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    const wxIcon icon = LoadResourceIcon(IDI_SKIMBOLT);
    if (icon.IsOk()) new wxStaticBitmap(this, wxID_ANY, icon, at(11, 17));
    auto* version = new wxStaticText(this, wxID_ANY, "Skimbolt Version " SKIMBOLT_VERSION, at(40, 10), size(150, 10));
    version->SetFont(BoldDialogFont());
    new wxStaticText(this, wxID_ANY, "Vantrel Group", at(40, 25), size(150, 10));
    auto* web = new wxButton(this, IDC_ABOUT_WEB_ADDRESS, MAKER_WEB_ADDRESS, at(40, 40), size(150, 14));
    auto* ok = new wxButton(this, IDC_ABOUT_OK, "OK", at(197, 7), size(50, 14));
    ok->SetDefault();
    ok->MoveBeforeInTabOrder(web);
    SetEscapeId(IDC_ABOUT_OK);
    SetAffirmativeId(IDC_ABOUT_OK);
    SetClientSize(size(254, 62));
    SetIcons(LoadResourceIconBundle(IDI_SKIMBOLT));
}

void CAboutDlg::OnOk(wxCommandEvent&) {
    if (IsModal()) EndModal(IDC_ABOUT_OK);
    else Destroy();
}

void CAboutDlg::OnWebAddress(wxCommandEvent&) { OpenWebAddress(MAKER_WEB_ADDRESS, this); }
