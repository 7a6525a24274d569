#include "ui/settings/EmptySourceWarning.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/resource.h"
#include "ui/base/BoldDialogFont.h"

CEmptySourceWarningDlg::CEmptySourceWarningDlg(wxWindow* parent, const std::string& sourceName)
    : wxDialog(parent, IDD_EMPTY_SOURCE_WARNING, "Warning: Empty News Source"), m_strSourceName(sourceName) {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    new wxStaticBitmap(this, IDC_EMPTY_SOURCE_ICON, wxArtProvider::GetBitmap(wxART_WARNING, wxART_MESSAGE_BOX),
                       at(7, 7));
    new wxStaticText(this, wxID_ANY,
                     "The following source will be disabled since you have not selected any categories:",
                     at(40, 9), size(178, 20));
    auto* name = new wxStaticText(this, IDC_EMPTY_SOURCE_NAME, wxString::FromUTF8(sourceName), at(7, 36),
                                  size(211, 10), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    name->SetFont(BoldDialogFont());
    auto* ok = new wxButton(this, wxID_OK, "OK", at(87, 52), size(50, 14));
    ok->SetDefault();
    SetEscapeId(wxID_OK);
    SetClientSize(size(225, 73));
    CentreOnParent();
}
