#include "ui/settings/CustomUrlDialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/AppCore.h"
#include "res/resource.h"
#include "ui/base/BusyWork.h"
#include "ui/base/FailureColour.h"
#include "ui/base/Resources.h"
#include "ui/base/ContextHelp.h"

namespace {

constexpr const char* kCaption = "Custom URL";

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The clipboard's text when it is one web address, else "".
std::string WebAddressOnClipboard() {
    std::string text;
    if (!wxTheClipboard->Open()) return text;
    if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT)) {
        wxTextDataObject data;
        if (wxTheClipboard->GetData(data)) text = Trimmed(data.GetText().utf8_string());
    }
    wxTheClipboard->Close();
    const bool bAddress = text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0 ||
                          text.rfind("www.", 0) == 0;
    if (!bAddress || text.find_first_of(" \t\r\n") != std::string::npos) return std::string();
    return text;
}

}  // namespace

CUrlPropPage::CUrlPropPage(wxWindow* parent, CAppCore& core)
    : wxDialog(parent, IDD_CUSTOM_URL, kCaption), m_core(core), m_fnFallbackUrl(WebAddressOnClipboard) {
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };
    SetIcons(LoadResourceIconBundle(IDI_CUSTOM_URL));

    new wxStaticBitmap(this, IDC_URL_PICTURE, LoadResourceBitmap(IDB_CUSTOM_URL), at(7, 7), wxSize(32, 32));
    new wxStaticText(this, wxID_ANY, "Use current URL in browser:", at(45, 14), size(128, 10));
    new wxButton(this, IDC_URL_IMPORT, "&Import", at(186, 11), size(57, 14));
    new wxStaticBox(this, wxID_ANY, "URL", at(7, 36), size(236, 32));
    m_textUrl = new wxTextCtrl(this, IDC_URL_ADDRESS, wxEmptyString, at(14, 48), size(165, 13));
    auto* add = new wxButton(this, IDC_URL_ADD, "&Add", at(186, 47), size(50, 14));
    add->SetDefault();
    m_listUrls = new wxListCtrl(this, IDC_URL_LIST, at(7, 74), size(236, 84),
                                wxLC_REPORT | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN);
    m_listUrls->EnableCheckBoxes(true);
    // Beside each address how its last read went; a failing row in red.
    const int width = m_listUrls->GetClientSize().GetWidth();
    m_listUrls->AppendColumn("URLs", wxLIST_FORMAT_LEFT, width * 62 / 100);
    m_listUrls->AppendColumn("Last read", wxLIST_FORMAT_LEFT, width * 36 / 100);
    m_textResult = new wxTextCtrl(this, IDC_URL_CHECK_RESULT,
                                  "Add reads the page once and shows here the story links found on it.",
                                  at(7, 162), size(236, 80),
                                  wxTE_MULTILINE | wxTE_READONLY);
    new wxButton(this, IDC_URL_HELP, "&Help", at(7, 248), size(50, 14));
    m_btnDelete = new wxButton(this, IDC_URL_DELETE, "&Delete", at(136, 248), size(50, 14));
    new wxButton(this, IDC_URL_OK, "OK", at(193, 248), size(50, 14));
    m_btnDelete->Disable();
    SetClientSize(size(250, 269));
    CentreOnParent();

    Bind(wxEVT_BUTTON, &CUrlPropPage::OnAdd, this, IDC_URL_ADD);
    Bind(wxEVT_BUTTON, &CUrlPropPage::OnImport, this, IDC_URL_IMPORT);
    Bind(wxEVT_BUTTON, &CUrlPropPage::OnDelete, this, IDC_URL_DELETE);
    Bind(wxEVT_BUTTON, &CUrlPropPage::OnOk, this, IDC_URL_OK);
    Bind(wxEVT_BUTTON, &CUrlPropPage::OnHelp, this, IDC_URL_HELP);
    Bind(wxEVT_LIST_ITEM_SELECTED, &CUrlPropPage::OnListSelectionChanged, this, IDC_URL_LIST);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CUrlPropPage::OnListSelectionChanged, this, IDC_URL_LIST);
    m_textUrl->Bind(wxEVT_SET_FOCUS, &CUrlPropPage::OnAddressFocus, this);
    // Esc closes without storing anything (there is no Cancel button to press).
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE)
            EndDialog(wxID_CANCEL);
        else if (event.GetKeyCode() == WXK_F1)
            ShowContextHelp(this);
        else
            event.Skip();
    });
    // The rows are drawn by the list's inner windows: they see the mouse.
    for (wxWindow* child : m_listUrls->GetChildren()) child->Bind(wxEVT_MOTION, &CUrlPropPage::OnListMotion, this);
    m_listUrls->Bind(wxEVT_MOTION, &CUrlPropPage::OnListMotion, this);

    FillList();
    m_textUrl->SetFocus();
}

CUrlPropPage::~CUrlPropPage() = default;

void CUrlPropPage::FillList() {
    for (const CustomUrlRow& row : m_core.Config().CustomUrls())
        InsertRow(m_listUrls->GetItemCount(), row.url, row.bEnabled);
}

long CUrlPropPage::InsertRow(long row, const std::string& url, bool bChecked) {
    const long inserted = m_listUrls->InsertItem(row, wxString::FromUTF8(url));
    if (bChecked) m_listUrls->CheckItem(inserted, true);
    if (const std::optional<PageHealth> health = m_core.Config().LastOutcome(url)) {
        m_listUrls->SetItem(inserted, 1, wxString::FromUTF8(health->bOk ? health->Outcome()
                                                                         : "failed: " + health->Outcome()));
        if (!health->bOk)
            m_listUrls->SetItemTextColour(inserted, FailureTextColour(m_listUrls->GetBackgroundColour()));
    }
    return inserted;
}

std::vector<std::string> CUrlPropPage::RowUrls() const {
    std::vector<std::string> urls;
    for (long row = 0; row < m_listUrls->GetItemCount(); ++row)
        urls.push_back(m_listUrls->GetItemText(row).utf8_string());
    return urls;
}

int CUrlPropPage::ShowMessage(const wxString& text, long style) { return wxMessageBox(text, kCaption, style, this); }

bool CUrlPropPage::Refused(const SettingsVerdict& verdict) {
    const long icon = verdict.bWarning ? wxICON_WARNING : wxICON_INFORMATION;
    if (!verdict.message.empty()) ShowMessage(wxString::FromUTF8(verdict.message), wxOK | icon);
    return !verdict;
}

bool CUrlPropPage::CheckAndResolveUrl(const std::string& typed, std::string& url) {
    if (Refused(m_core.Config().PrepareCustomUrl(typed, RowUrls(), url))) return false;
    if (url.empty()) return true;
    const ProxySettings proxy = m_core.Config().Proxy();
    CCustomUrlCheck::Result result;
    m_textResult->ChangeValue(wxString::FromUTF8("Reading " + url + " ..."));
    RunBusy([&] { result = m_check.Run(url, proxy); }, m_check.Fetcher());
    ShowCheckResult(result);
    return !Refused(m_core.Config().AcceptCheckedCustomUrl(result, RowUrls(), url));
}

void CUrlPropPage::ShowCheckResult(const CCustomUrlCheck::Result& result) {
    std::string text;
    if (!result.bRead) {
        text = "Could not read this page (" + result.failure + "). It is added all the same and read at every scan.";
    } else {
        if (result.bFrameChosen) text = "A frame page: its news frame is added instead:\n" + result.url + "\n";
        if (!result.bPreviewRead) {
            text += "The frame could not be read (" + result.previewFailure + ").";
        } else if (result.nStoryLinks == 0) {
            text += "No story links found on this page: no stories will come from it.";
        } else {
            text += std::to_string(result.nStoryLinks) + (result.nStoryLinks == 1 ? " story link" : " story links") +
                    " found on this page. The first headlines:";
            for (const std::string& headline : result.headlines) text += "\n    " + headline;
        }
    }
    m_textResult->ChangeValue(wxString::FromUTF8(text));
}

void CUrlPropPage::OnAdd(wxCommandEvent&) {
    m_btnDelete->Disable();
    const std::string typed = Trimmed(m_textUrl->GetValue().utf8_string());
    if (!typed.empty()) {
        std::string url;
        if (CheckAndResolveUrl(typed, url) && !url.empty()) InsertRow(0, url, true);
    }
    m_textUrl->ChangeValue(wxEmptyString);
    m_textUrl->SetFocus();
}

void CUrlPropPage::OnImport(wxCommandEvent&) {
    m_btnDelete->Disable();
    std::string url = m_core.Config().CurrentBrowserUrl();
    // No browser on this desktop answers: the user may have copied the address.
    if (url.empty() && m_fnFallbackUrl) url = m_fnFallbackUrl();
    if (url.empty()) {
        ShowMessage("Import takes the address of the page your web browser shows, or a web address copied to "
                    "the clipboard, but no browser told its address and the clipboard holds no web address.\n\n"
                    "Copy the page's address in the browser (Ctrl+L, then Ctrl+C) and press Import again, or "
                    "type the address into the URL field.");
        return;
    }
    m_textUrl->ChangeValue(wxString::FromUTF8(url));
}

void CUrlPropPage::OnDelete(wxCommandEvent&) {
    m_btnDelete->Disable();
    long first = -1;
    bool bLastWasLastRow = false;
    for (long row; (row = m_listUrls->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;) {
        if (first < 0) first = row;
        bLastWasLastRow = row == m_listUrls->GetItemCount() - 1;
        m_listUrls->DeleteItem(row);
    }
    const long count = m_listUrls->GetItemCount();
    if (first < 0 || count == 0) return;
    const long target = std::clamp(bLastWasLastRow ? first - 1 : first, 0L, count - 1);
    m_listUrls->SetFocus();
    m_listUrls->SetItemState(target, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void CUrlPropPage::OnOk(wxCommandEvent& event) {
    if (!Trimmed(m_textUrl->GetValue().utf8_string()).empty()) {
        OnAdd(event);
        return;
    }
    std::vector<CustomUrlRow> rows;
    for (long row = 0; row < m_listUrls->GetItemCount(); ++row)
        rows.push_back({m_listUrls->GetItemText(row).utf8_string(), m_listUrls->IsItemChecked(row)});
    m_core.Config().SetCustomUrls(rows);
    EndDialog(wxID_OK);
}

void CUrlPropPage::OnHelp(wxCommandEvent&) { ShowContextHelp(this); }

void CUrlPropPage::OnListSelectionChanged(wxListEvent& event) {
    event.Skip();
    m_btnDelete->Enable(m_listUrls->GetSelectedItemCount() > 0);
}

void CUrlPropPage::OnAddressFocus(wxFocusEvent& event) {
    event.Skip();
    m_btnDelete->Disable();
}

std::string CUrlPropPage::RowTooltip(long row) const {
    if (row < 0 || row >= m_listUrls->GetItemCount()) return std::string();
    const std::optional<PageHealth> health = m_core.Config().LastOutcome(m_listUrls->GetItemText(row).utf8_string());
    if (!health) return std::string();
    // The whole outcome, which the Last read column may cut.
    return "Last read " + FormatReadTime(health->tRead) + ": " + health->Outcome();
}

void CUrlPropPage::OnListMotion(wxMouseEvent& event) {
    event.Skip();
    auto* window = static_cast<wxWindow*>(event.GetEventObject());
    int flags = 0;
    // The list answers in the coordinates of its rows' window.
    const long row = m_listUrls->HitTest(event.GetPosition(), flags);
    if (row == m_nTooltipRow) return;
    m_nTooltipRow = row;
    const std::string tip = RowTooltip(row);
    if (tip.empty())
        window->UnsetToolTip();
    else
        window->SetToolTip(wxString::FromUTF8(tip));
}
