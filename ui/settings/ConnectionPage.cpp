#include "ui/settings/ConnectionPage.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/AppCore.h"
#include "ui/base/FrameFont.h"
#include "ui/settings/RecordFit.h"
#include "net/ConnectedState.h"
#include "res/resource.h"
#include "ui/base/Resources.h"

namespace {

struct ProxyField {
    int id;
    const char* recordName;
    const char* what;  // for the refusal
};

constexpr ProxyField kTextFields[] = {
    {IDC_PROXY_SERVER, "Proxy_Server_Name", "The proxy server name"},
    {IDC_PROXY_USER, "Proxy_User_Name", "The proxy user name"},
    {IDC_PROXY_PASSWORD, "Proxy_User_Password", "The proxy password"},
};

// A port typed in the field: digits with blanks around them. False when it
// is no integer at all; port is then unchanged.
bool ParsePort(const std::string& text, long& port) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = text.find_last_not_of(" \t");
    std::string digits = text.substr(first, last - first + 1);
    const bool negative = digits[0] == '-';
    if (negative || digits[0] == '+') digits.erase(0, 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stol(digits) * (negative ? -1 : 1);
    return true;
}

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
    auto* grid = new wxFlexGridSizer(2, 4, gap, gap);
    grid->AddGrowableCol(1, 3);
    grid->AddGrowableCol(3, 1);
    auto field = [&](int labelId, const char* label, int id, long style, int widthDu) {
        grid->Add(new wxStaticText(proxyBox, labelId, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new wxTextCtrl(proxyBox, id, wxEmptyString, wxDefaultPosition, wxSize(du(widthDu, 12).x, -1),
                                    style);
        grid->Add(edit, 1, wxEXPAND);
        edit->Bind(wxEVT_KILL_FOCUS, &CTimingPropPage::OnFieldFocusLost, this);
        return edit;
    };
    m_editServer = field(IDC_PROXY_SERVER_LABEL, "&Server Name:", IDC_PROXY_SERVER, 0, 100);
    m_editPort = field(IDC_PROXY_PORT_LABEL, "P&ort:", IDC_PROXY_PORT, 0, 30);
    m_editUser = field(IDC_PROXY_USER_LABEL, "User &Name:", IDC_PROXY_USER, 0, 100);
    m_editPassword = field(IDC_PROXY_PASSWORD_LABEL, "Pass&word:", IDC_PROXY_PASSWORD, wxTE_PASSWORD, 30);
    proxy->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    MakeFrameLabelBold(proxyBox);
    top->Add(proxy, 0, wxEXPAND | wxALL, du(7, 7).x);
    SetSizer(top);

    Bind(wxEVT_CHECKBOX, &CTimingPropPage::OnUseProxy, this, IDC_USE_PROXY);
    LoadFields();
    RefreshConnectionStatus();
}

void CTimingPropPage::LoadFields() {
    CNewsSettings& settings = m_core.Settings();
    m_nProxyPort = settings.GetProxyPort();
    m_strProxyServer = settings.GetProxyServerName();
    m_bUseProxy = settings.GetFlag(SETTING_USE_PROXY) ? 1 : 0;
    m_strProxyUser = settings.GetProxyUserName();
    m_strProxyPassword = settings.GetProxyPassword();
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
    long port = 0;
    if (!ParsePort(m_editPort->GetValue().utf8_string(), port) || port < 1 || port > 65535)
        m_editPort->ChangeValue(wxString::Format("%d", m_nProxyPort));
    std::uint32_t flags = 0;
    const std::int32_t state = GetConnectedState(&flags);
    const char* text = state == 0   ? "You are currently connected to the Internet."
                       : state == 1 ? "You are currently disconnected from the Internet."
                                    : "Skimbolt is unable to determine your connection status because your "
                                      "operating system is out of date.";
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
    CNewsSettings& settings = m_core.Settings();
    auto refuse = [this](const wxString& text) {
        m_bInRefusal = true;
        wxMessageBox(text, "Skimbolt", wxOK | wxICON_EXCLAMATION, this);
        m_bInRefusal = false;
        return false;
    };
    if (id == IDC_PROXY_PORT) {
        long port = 0;
        if (!ParsePort(m_editPort->GetValue().utf8_string(), port)) return refuse("Please enter an integer.");
        if (port < 1 || port > 65535) return refuse("Please enter a port number between 1 and 65535.");
        m_nProxyPort = static_cast<int>(port);
        if (settings.GetProxyPort() != m_nProxyPort) settings.SetProxyPort(m_nProxyPort);
        return true;
    }
    for (const ProxyField& f : kTextFields) {
        if (f.id != id) continue;
        auto* edit = static_cast<wxTextCtrl*>(FindWindow(id));
        const std::string value = edit->GetValue().utf8_string();
        // A stored value ends at its first blank: refused rather than cut.
        if (value.find_first_of(" \t") != std::string::npos)
            return refuse(wxString(f.what) + " cannot contain spaces.");
        if (!StringRecordFits(f.recordName, value)) return refuse(wxString(f.what) + " is too long.");
        if (id == IDC_PROXY_SERVER) {
            m_strProxyServer = value;
            if (settings.GetProxyServerName() != value) settings.SetProxyServerName(value);
        } else if (id == IDC_PROXY_USER) {
            m_strProxyUser = value;
            if (settings.GetProxyUserName() != value) settings.SetProxyUserName(value);
        } else {
            m_strProxyPassword = value;
            if (settings.GetProxyPassword() != value) settings.SetProxyPassword(value);
        }
        return true;
    }
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
    m_core.Settings().SetFlag(SETTING_USE_PROXY, m_bUseProxy);
}

void CTimingPropPage::OnFieldFocusLost(wxFocusEvent& event) {
    event.Skip();
    // The refusal box takes the focus too: that loss is not a new edit.
    if (m_bInRefusal) return;
    StoreField(event.GetId());
}
