// CTimingPropPage: the Connection page of the configuration sheet. It shows
// whether the computer is on line (refreshed by the main window's watchdog
// timer) and edits the proxy that every page fetch uses; each field is
// stored when it loses the focus, the use-proxy box when it is clicked.
// Values that would not read back as typed are refused.
#pragma once

#include <string>

#include <wx/panel.h>

class CAppCore;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;

class CTimingPropPage : public wxPanel {
public:
    CTimingPropPage(wxWindow* parent, CAppCore& core);

    // Asks the connected-state probe and shows the answer; the fields show
    // their last accepted values again.
    void RefreshConnectionStatus();
    // The page becoming active: the fields show what is stored (Restore
    // Defaults on the Options page may have changed it).
    void OnSetActive();
    // Leaving the page or hiding the sheet: stores what the fields hold.
    // False when a field was refused.
    bool OnKillActive();
    wxString GetStatusText() const;

private:
    void LoadFields();
    void EnableProxyFields();
    // Reads one field; a refused value is reported and false returned.
    bool StoreField(int id);
    void OnUseProxy(wxCommandEvent& event);
    void OnFieldFocusLost(wxFocusEvent& event);

    CAppCore& m_core;
    int m_nProxyPort = 80;
    std::string m_strProxyServer;
    int m_bUseProxy = 0;
    std::string m_strProxyUser;
    std::string m_strProxyPassword;
    wxString m_strStatus;  // the status line as set, before it is wrapped

    wxStaticText* m_labelStatus = nullptr;
    wxCheckBox* m_checkUseProxy = nullptr;
    wxTextCtrl* m_editServer = nullptr;
    wxTextCtrl* m_editPort = nullptr;
    wxTextCtrl* m_editUser = nullptr;
    wxTextCtrl* m_editPassword = nullptr;
    bool m_bInRefusal = false;  // a refusal box is open
};
