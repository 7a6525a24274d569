#include "ui/settings/ConnectionPage.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/AppCore.h"
#include "res/resource.h"
#include "ui/base/FrameFont.h"
#include "ui/base/Resources.h"

namespace {

struct ProxyField {
    int id;
    std::optional<std::string> SettingsChange::*field;
};

constexpr ProxyField kTextFields[] = {
    {IDC_PROXY_SERVER, &SettingsChange::proxyServer},
    {IDC_PROXY_USER, &SettingsChange::proxyUser},
    {IDC_PROXY_PASSWORD, &SettingsChange::proxyPassword},
};

}  // namespace

CTimingPropPage::CTimingPropPage(wxWindow* parent, CAppCore& core) : wxPanel(parent, wxID_ANY), m_core(core) {
    auto du = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = du(4, 4).x;
    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* status = new wxStaticBoxSizer(new wxStaticBox(this, IDC_CONNECTION_STATUS_FRAME, "Status"), wxHORIZONTAL);
    wxStaticBox* statusBox = status->GetStaticBox();
    status->Add(new wxStaticBitmap(statusBox, IDC_CONNECTION_PICTURE, LoadResourceBitmap(IDB_CONNECTION),
                                   wxDefaultPosition, wxSize(32, 32)),
                0, wxALIGN_CENTER_VERTICAL | wxALL, gap);
    m_labelStatus = new wxStaticText(statusBox, IDC_CONNECTION_STATUS, "Connection Status...", wxDefaultPosition,
                                     wxSize(du(180, 20).x, du(180, 20).y), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    status->Add(m_labelStatus, 1, wxALIGN_CENTER_VERTICAL | wxALL, gap);
    MakeFrameLabelBold(statusBox);
    top->Add(status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, du(7, 7).x);

    auto* proxy = new wxStaticBoxSizer(new wxStaticBox(this, IDC_PROXY_FRAME, "Firewall/Proxy"), wxVERTICAL);
    wxStaticBox* proxyBox = proxy->GetStaticBox();
    m_checkUseProxy = new wxCheckBox(proxyBox, IDC_USE_PROXY, "I &use a proxy to connect to the Internet");
    proxy->Add(m_checkUseProxy, 0, wxALL, gap);
    // One row per field: the port needs five digits, the names and the
    // password the room there is.
    auto* grid = new wxFlexGridSizer(2, gap, gap);
    grid->AddGrowableCol(1, 1);
    auto field = [&](int labelId, const char* label, int id, long style, int widthDu, bool bExpand) {
        grid->Add(new wxStaticText(proxyBox, labelId, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new wxTextCtrl(proxyBox, id, wxEmptyString, wxDefaultPosition, wxSize(du(widthDu, 12).x, -1),
                                    style);
        const int flags = bExpand ? static_cast<int>(wxEXPAND) : static_cast<int>(wxALIGN_CENTER_VERTICAL);
        grid->Add(edit, bExpand ? 1 : 0, flags);
        edit->Bind(wxEVT_KILL_FOCUS, &CTimingPropPage::OnFieldFocusLost, this);
        return edit;
    };
    m_editServer = field(IDC_PROXY_SERVER_LABEL, "&Server Name:", IDC_PROXY_SERVER, 0, 150, true);
    m_editPort = field(IDC_PROXY_PORT_LABEL, "P&ort:", IDC_PROXY_PORT, 0, 30, false);
    m_editUser = field(IDC_PROXY_USER_LABEL, "User &Name:", IDC_PROXY_USER, 0, 150, true);
    m_editPassword = field(IDC_PROXY_PASSWORD_LABEL, "Pass&word:", IDC_PROXY_PASSWORD, wxTE_PASSWORD, 150, true);
    proxy->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    MakeFrameLabelBold(proxyBox);
    top->Add(proxy, 0, wxEXPAND | wxALL, du(7, 7).x);
    SetSizer(top);

    Bind(wxEVT_CHECKBOX, &CTimingPropPage::OnUseProxy, this, IDC_USE_PROXY);
    LoadFields();
    RefreshConnectionStatus();
}

void CTimingPropPage::LoadFields() {
    const SettingsSnapshot settings = m_core.Config().Snapshot();
    m_nProxyPort = settings.proxyPort;
    m_strProxyServer = settings.proxyServer;
    m_bUseProxy = settings.useProxy ? 1 : 0;
    m_strProxyUser = settings.proxyUser;
    m_strProxyPassword = settings.proxyPassword;
    m_checkUseProxy->SetValue(m_bUseProxy != 0);
    m_editServer->ChangeValue(wxString::FromUTF8(m_strProxyServer));
    m_editPort->ChangeValue(wxString::Format("%d", m_nProxyPort));
    m_editUser->ChangeValue(wxString::FromUTF8(m_strProxyUser));
    m_editPassword->ChangeValue(wxString::FromUTF8(m_strProxyPassword));
    EnableProxyFields();
}

void CTimingPropPage::OnSetActive() { LoadFields(); }

void CTimingPropPage::EnableProxyFields() {
    const bool bOn = m_checkUseProxy->GetValue();
    for (int id = IDC_PROXY_SERVER; id <= IDC_PROXY_PASSWORD; ++id) FindWindow(id)->Enable(bOn);
    for (int id = IDC_PROXY_SERVER_LABEL; id <= IDC_PROXY_PASSWORD_LABEL; ++id) FindWindow(id)->Enable(bOn);
}

void CTimingPropPage::RefreshConnectionStatus() {
    // A port that is no valid number goes back to the last one stored.
    SettingsChange port;
    port.proxyPortText = m_editPort->GetValue().utf8_string();
    if (!m_core.Config().Check(port)) m_editPort->ChangeValue(wxString::Format("%d", m_nProxyPort));
    const ConnectionState state = m_core.Config().Connection();
    // The probe knows whether a network interface other than loopback is up
    // with an address, not whether the Internet answers beyond it.
    const char* text = "Skimbolt cannot tell whether you are connected: the list of this computer's network "
                       "interfaces could not be read.";
    if (state == ConnectionState::Connected) text = "You are currently connected to a network.";
    if (state == ConnectionState::Disconnected) text = "You are currently disconnected from the Internet.";
    if (m_strStatus != text) {
        m_strStatus = text;
        m_labelStatus->SetLabel(text);
        m_labelStatus->Wrap(m_labelStatus->GetSize().x);
        m_labelStatus->Refresh();
        m_labelStatus->Update();
    }
}

wxString CTimingPropPage::GetStatusText() const { return m_strStatus; }

bool CTimingPropPage::StoreField(int id) {
    SettingsChange change;
    if (id == IDC_PROXY_PORT) change.proxyPortText = m_editPort->GetValue().utf8_string();
    for (const ProxyField& f : kTextFields)
        if (f.id == id) change.*f.field = static_cast<wxTextCtrl*>(FindWindow(id))->GetValue().utf8_string();
    const SettingsVerdict verdict = m_core.Config().Apply(change);
    if (!verdict) {
        m_bInRefusal = true;
        wxMessageBox(wxString::FromUTF8(verdict.message), "Skimbolt", wxOK | wxICON_EXCLAMATION, this);
        m_bInRefusal = false;
        return false;
    }
    if (change.proxyPortText) m_nProxyPort = m_core.Config().Snapshot().proxyPort;
    if (change.proxyServer) m_strProxyServer = *change.proxyServer;
    if (change.proxyUser) m_strProxyUser = *change.proxyUser;
    if (change.proxyPassword) m_strProxyPassword = *change.proxyPassword;
    return true;
}

bool CTimingPropPage::OnKillActive() {
    if (m_bInRefusal) return false;
    for (int id : {IDC_PROXY_SERVER, IDC_PROXY_PORT, IDC_PROXY_USER, IDC_PROXY_PASSWORD})
        if (!StoreField(id)) return false;
    return true;
}

void CTimingPropPage::OnUseProxy(wxCommandEvent&) {
    EnableProxyFields();
    m_bUseProxy = m_checkUseProxy->GetValue() ? 1 : 0;
    SettingsChange change;
    change.useProxy = m_bUseProxy != 0;
    m_core.Config().Apply(change);
}

void CTimingPropPage::OnFieldFocusLost(wxFocusEvent& event) {
    event.Skip();
    // The refusal box takes the focus too: that loss is not a new edit.
    if (m_bInRefusal) return;
    StoreField(event.GetId());
}
