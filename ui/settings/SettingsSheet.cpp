#include "ui/settings/SettingsSheet.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app/AppCore.h"
#include "res/resource.h"
#include "ui/base/BoldDialogFont.h"
#include "ui/base/FailureColour.h"
#include "ui/base/ProgramMenu.h"
#include "ui/base/Resources.h"
#include "ui/base/SourceStatusWindow.h"
#include "ui/settings/ConnectionPage.h"
#include "ui/base/ContextHelp.h"
#include "ui/settings/KeywordsPage.h"
#include "ui/settings/OptionsPage.h"
#include "ui/settings/SourcesPage.h"

namespace {
// The Done button's help is that of any control with id 1.
constexpr int kDoneHelpId = 1;
}  // namespace

CNewsPropSheet::CNewsPropSheet(wxWindow* parent, CAppCore& core, const wxString& caption) : m_core(core) {
    SetSheetStyle(wxPROPSHEET_NOTEBOOK);
    Create(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    SetIcons(LoadResourceIconBundle(IDI_SHEET));

    wxBookCtrlBase* book = GetBookCtrl();
    m_keywordsPage = new CKeywordPropDlg(book, core);
    m_optionsPage = new COptionsDlg(book, core);
    m_connectionPage = new CTimingPropPage(book, core);
    book->AddPage(m_keywordsPage, "Keywords");
    m_sourcesPage = new CSourcesPropPage(book, core, [this](int n) { SetActiveSourceCount(n); });
    book->AddPage(m_sourcesPage, "News Sources");
    book->AddPage(m_optionsPage, "Options");
    book->AddPage(m_connectionPage, "Connection");

    // The sheet's own row: Help, the status panel, Done.
    auto du = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_btnHelp = new wxButton(this, IDC_SHEET_HELP, "&Help");
    m_frameStatus = new wxPanel(this, IDC_SHEET_STATUS_FRAME, wxDefaultPosition, wxDefaultSize, wxBORDER_THEME);
    auto* status = new wxBoxSizer(wxHORIZONTAL);
    m_iconNoSources = new wxStaticBitmap(m_frameStatus, IDC_SHEET_NO_SOURCES_ICON, LoadResourceBitmap(IDB_NO_SOURCES),
                                         wxDefaultPosition, wxSize(16, 16));
    m_iconSources = new wxStaticBitmap(m_frameStatus, IDC_SHEET_SOURCES_ICON, LoadResourceBitmap(IDB_SOURCES_ACTIVE),
                                       wxDefaultPosition, wxSize(16, 16));
    m_iconNoSources->Hide();
    status->Add(m_iconNoSources, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    status->Add(m_iconSources, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    status->Add(new wxStaticText(m_frameStatus, IDC_SHEET_ACTIVE_LABEL, "Active Sources:"), 0,
                wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    m_editCount = new wxTextCtrl(m_frameStatus, IDC_SHEET_ACTIVE_COUNT, wxEmptyString, wxDefaultPosition,
                                 wxSize(du(16, 10).x, -1), wxTE_READONLY | wxTE_CENTRE | wxBORDER_NONE);
    m_editCount->SetBackgroundColour(m_frameStatus->GetBackgroundColour());
    m_editCount->DisableFocusFromKeyboard();  // a display only: Tab goes from Help to Done
    status->Add(m_editCount, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    m_labelFailing = new wxStaticText(m_frameStatus, IDC_SHEET_FAILING, wxEmptyString);
    m_labelFailing->SetForegroundColour(FailureTextColour(m_frameStatus->GetBackgroundColour()));
    m_labelFailing->SetFont(BoldDialogFont());
    m_labelFailing->Hide();
    status->Add(m_labelFailing, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    // How each page fared at its last read, and problems with files.
    auto* btnStatus = new wxButton(m_frameStatus, IDC_SHEET_SOURCE_STATUS, "S&tatus...");
    status->Add(btnStatus, 0, wxALIGN_CENTER_VERTICAL | wxALL, 3);
    btnStatus->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowSourceStatus(this, m_core); });
    m_frameStatus->SetSizer(status);
    m_btnDone = new wxButton(this, IDC_SHEET_DONE, "&Done");
    m_btnDone->SetDefault();
    auto* menu = new wxButton(this, IDC_PROGRAM_MENU, wxString::FromUTF8("&Menu \u25BE"));
    menu->Bind(wxEVT_BUTTON, [this, menu](wxCommandEvent&) { PopupProgramMenu(menu, m_core); });
    row->Add(m_btnHelp, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(menu, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, du(4, 4).x);
    row->AddStretchSpacer();
    row->Add(m_frameStatus, 0, wxALIGN_CENTER_VERTICAL);
    row->AddStretchSpacer();
    row->Add(m_btnDone, 0, wxALIGN_CENTER_VERTICAL);
    GetInnerSizer()->Add(row, 0, wxEXPAND | wxTOP, du(4, 4).y);
    LayoutDialog();

    // The count the News Sources page gave while it was filled, before the panel existed.
    m_nFailing = -1;
    SetActiveSourceCount(m_nEarlyCount);
    UpdateFailingCount();

    Bind(wxEVT_BOOKCTRL_PAGE_CHANGING, &CNewsPropSheet::OnPageChanging, this);
    Bind(wxEVT_BOOKCTRL_PAGE_CHANGED, &CNewsPropSheet::OnPageChanged, this);
    Bind(wxEVT_BUTTON, &CNewsPropSheet::OnDone, this, IDC_SHEET_DONE);
    Bind(wxEVT_BUTTON, &CNewsPropSheet::OnHelp, this, IDC_SHEET_HELP);
    Bind(wxEVT_CHAR_HOOK, &CNewsPropSheet::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CNewsPropSheet::OnClose, this);

    // Each page is made active once, Keywords last, which stays active.
    for (wxWindow* page : {static_cast<wxWindow*>(m_connectionPage), static_cast<wxWindow*>(m_optionsPage),
                           static_cast<wxWindow*>(m_sourcesPage), static_cast<wxWindow*>(m_keywordsPage)}) {
        const int index = page ? book->FindPage(page) : wxNOT_FOUND;
        if (index != wxNOT_FOUND) book->ChangeSelection(index);
    }
}

void CNewsPropSheet::SetActiveSourceCount(int count) {
    if (!m_editCount) {
        m_nEarlyCount = count;
        return;
    }
    m_nActiveCount = count;
    m_editCount->SetFont(count == 0 ? BoldDialogFont() : GetFont());
    const wxString text = wxString::Format("%d", count);
    m_editCount->ChangeValue(text);
    // As wide as the number, so that ", N failing" follows it closely.
    m_editCount->SetMinSize(wxSize(m_editCount->GetSizeFromTextSize(m_editCount->GetTextExtent(text).x).x, -1));
    m_frameStatus->Layout();
    ShowStatusSign();
}

void CNewsPropSheet::UpdateFailingCount() {
    int failing = 0;
    for (const SourceStatusRow& row : m_core.Config().PageStatus()) failing += row.bFailing ? 1 : 0;
    if (failing == m_nFailing) return;
    m_nFailing = failing;
    if (failing > 0) {
        m_labelFailing->SetLabel(wxString::Format(", %d failing", failing));
        const wxString tip = wxString::Format(failing == 1 ? "%d page failed at its last read: Status... tells why."
                                                           : "%d pages failed at their last read: Status... tells why.",
                                              failing);
        m_frameStatus->SetToolTip(tip);
        m_labelFailing->SetToolTip(tip);
    } else {
        m_frameStatus->UnsetToolTip();
        m_labelFailing->UnsetToolTip();
    }
    m_labelFailing->Show(failing > 0);
    ShowStatusSign();
}

void CNewsPropSheet::ShowStatusSign() {
    // The red sign while nothing is scanned or some page fails.
    const int bGreen = m_nActiveCount != 0 && m_nFailing <= 0 ? 1 : 0;
    if (bGreen != m_bSourcesShown) {
        m_bSourcesShown = bGreen;
        m_iconNoSources->Show(!bGreen);
        m_iconSources->Show(bGreen);
    }
    // The panel grows and shrinks with the failing count.
    m_frameStatus->InvalidateBestSize();
    m_frameStatus->Layout();
    Layout();
}

void CNewsPropSheet::ShowKeywordsPage() {
    GetBookCtrl()->SetSelection(GetBookCtrl()->FindPage(m_keywordsPage));
    if (IsShown()) m_keywordsPage->FocusFirstWord();
}

void CNewsPropSheet::ShowSourcesPage() {
    if (m_sourcesPage) GetBookCtrl()->SetSelection(GetBookCtrl()->FindPage(m_sourcesPage));
}

void CNewsPropSheet::RefreshConnectionStatus() {
    m_connectionPage->RefreshConnectionStatus();
    UpdateFailingCount();
}

void CNewsPropSheet::SetPollPeriodChangedHook(std::function<void()> hook) {
    m_optionsPage->SetPollPeriodChangedHook(std::move(hook));
}

bool CNewsPropSheet::Show(bool show) {
    const bool bHiding = !show && IsShown();
    if (show && m_labelFailing) UpdateFailingCount();
    const bool result = wxPropertySheetDialog::Show(show);
    if (m_sourcesPage) m_sourcesPage->SheetShown(show);
    // Typing goes into the first word field when the sheet opens on Keywords
    // (as at first start, when the set-up alert asks for keywords).
    if (show && GetBookCtrl()->GetCurrentPage() == m_keywordsPage) m_keywordsPage->FocusFirstWord();
    // The set-up alert may have held back the first scan until now.
    if (bHiding && !m_core.FirstScanStarted()) m_core.RequestScan();
    return result;
}

bool CNewsPropSheet::LeavePage(int index) {
    wxWindow* page = index >= 0 ? GetBookCtrl()->GetPage(index) : nullptr;
    if (page == m_keywordsPage) {
        m_keywordsPage->OnKillActive();
        return true;
    }
    if (page == m_optionsPage) return m_optionsPage->OnKillActive();
    if (page == m_connectionPage) return m_connectionPage->OnKillActive();
    // The News Sources page finishes its pending empty-source warning (also on Done).
    if (page == m_sourcesPage) m_sourcesPage->FinishPendingWarning();
    return true;
}

void CNewsPropSheet::OnPageChanging(wxBookCtrlEvent& event) {
    if (event.GetEventObject() != GetBookCtrl()) return;
    if (!LeavePage(event.GetOldSelection())) event.Veto();
}

void CNewsPropSheet::OnPageChanged(wxBookCtrlEvent& event) {
    if (event.GetEventObject() != GetBookCtrl()) return;
    wxWindow* page = GetBookCtrl()->GetCurrentPage();
    if (page == m_optionsPage) m_optionsPage->OnSetActive();
    if (page == m_connectionPage) m_connectionPage->OnSetActive();
}

void CNewsPropSheet::OnDone(wxCommandEvent&) {
    if (!LeavePage(GetBookCtrl()->GetSelection())) return;
    Hide();
}

void CNewsPropSheet::OnClose(wxCloseEvent& event) {
    if (!LeavePage(GetBookCtrl()->GetSelection()) && event.CanVeto()) {
        event.Veto();
        return;
    }
    Hide();
    Destroy();
}

int CNewsPropSheet::FindHelpControlAt(const wxPoint& screenPoint) {
    wxWindow* page = GetBookCtrl()->GetCurrentPage();
    if (page && page->GetScreenRect().Contains(screenPoint)) return FindHelpControl(this, screenPoint);
    if (m_frameStatus->GetScreenRect().Contains(screenPoint)) return IDC_SHEET_ACTIVE_COUNT;
    if (m_btnHelp->GetScreenRect().Contains(screenPoint)) return ID_HELP_COMMAND;
    if (m_btnDone->GetScreenRect().Contains(screenPoint)) return kDoneHelpId;
    return 0;
}

void CNewsPropSheet::ShowContextHelpAt(const wxPoint& screenPoint) {
    ShowHelpPopup(this, HelpTextForControl(FindHelpControlAt(screenPoint)));
}

void CNewsPropSheet::ShowHelpForPointerOrFocus() {
    // The control under the mouse; else (a key was pressed, the pointer
    // rests elsewhere) the one with the focus; else the overview.
    int id = FindHelpControlAt(wxGetMousePosition());
    if (!HelpTopicForControl(id)) {
        const wxWindow* focus = FindFocus();
        if (focus && HelpTopicForControl(focus->GetId())) id = focus->GetId();
    }
    ShowHelpPopup(this, HelpTextForControl(id));
}

void CNewsPropSheet::OnHelp(wxCommandEvent&) { ShowHelpForPointerOrFocus(); }

void CNewsPropSheet::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_F1) {
        ShowHelpForPointerOrFocus();
    } else if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
        wxCommandEvent done(wxEVT_BUTTON, IDC_SHEET_DONE);
        OnDone(done);  // Esc is Done: changes are stored as they are made
    } else {
        event.Skip();
    }
}
