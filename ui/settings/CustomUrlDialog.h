// CUrlPropPage: the Custom URL dialog (dialog 109), where the user keeps the
// pages of his own to scan. Each address is a row with a check box (checked
// rows are scanned); an address is checked against the web when it is
// added, the check shows what the program will find on that page, and the
// list is stored only when the dialog is closed with OK.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/listctrl.h>

#include "app/CustomUrlCheck.h"
#include "app/SettingsDesk.h"

class CAppCore;
class wxButton;
class wxTextCtrl;

class CUrlPropPage : public wxDialog {
public:
    static constexpr int MAX_ROWS = CSettingsDesk::MAX_CUSTOM_URL_ROWS;

    CUrlPropPage(wxWindow* parent, CAppCore& core);
    ~CUrlPropPage() override;

    // The check of an address about to be added: refusals are shown and
    // give false; otherwise url is the address to add (made storable, or
    // the chosen frame's).
    bool CheckAndResolveUrl(const std::string& typed, std::string& url);

    // Where Import takes the address from when the browser tells none;
    // by default the clipboard's text, when it holds a web address.
    void SetFallbackUrlSource(std::function<std::string()> source) { m_fnFallbackUrl = std::move(source); }
    // The page check's fetcher, so that tests can shorten its time-outs.
    CCustomUrlCheck& Check() { return m_check; }

private:
    void FillList();
    long InsertRow(long row, const std::string& url, bool bChecked);
    std::vector<std::string> RowUrls() const;
    // Shows the verdict's text, if any; true when it refuses.
    bool Refused(const SettingsVerdict& verdict);
    int ShowMessage(const wxString& text, long style = wxOK | wxICON_INFORMATION);
    void ShowCheckResult(const CCustomUrlCheck::Result& result);
    std::string RowTooltip(long row) const;

    void OnAdd(wxCommandEvent& event);
    void OnImport(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnListSelectionChanged(wxListEvent& event);
    void OnAddressFocus(wxFocusEvent& event);
    void OnListMotion(wxMouseEvent& event);

    CAppCore& m_core;
    wxListCtrl* m_listUrls = nullptr;
    wxTextCtrl* m_textUrl = nullptr;
    wxTextCtrl* m_textResult = nullptr;
    wxButton* m_btnDelete = nullptr;
    CCustomUrlCheck m_check;
    std::function<std::string()> m_fnFallbackUrl;
    long m_nTooltipRow = -2;
};
