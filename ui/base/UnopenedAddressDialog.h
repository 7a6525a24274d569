// CUnopenedAddressDlg: the message that no web browser could be started for
// an address, with the address as selectable text, so that the user can
// copy it into a browser by hand.
#pragma once

#include <string>

#include <wx/dialog.h>

class CUnopenedAddressDlg : public wxDialog {
public:
    CUnopenedAddressDlg(wxWindow* parent, const std::string& url);

    // The address shown.
    wxString GetAddress() const;
};
