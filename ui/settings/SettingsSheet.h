// CNewsPropSheet: the program's one configuration window, a modeless sheet
// with the Keywords, News Sources, Options and Connection pages and a row of
// its own below them: Help, a status panel with the number of active
// sources, and Done. Pages store every change at once, so Done only hides
// the sheet. Closing it with the caption's close button destroys it; the
// owner then makes a new one when it is wanted again.
#pragma once

#include <functional>

#include <wx/propdlg.h>

class CAppCore;
class CKeywordPropDlg;
class COptionsDlg;
class CSourcesPropPage;
class CTimingPropPage;
class wxBookCtrlEvent;
class wxButton;
class wxPanel;
class wxStaticBitmap;
class wxStaticText;
class wxTextCtrl;

class CNewsPropSheet : public wxPropertySheetDialog {
public:
    // Created hidden; the Keywords page is the active one.
    CNewsPropSheet(wxWindow* parent, CAppCore& core, const wxString& caption);

    // The number of pages that will be scanned: a red sign and a bold 0
    // when there are none, else the green sign.
    void SetActiveSourceCount(int count);
    // Counts the scanned pages whose last read failed: the status panel
    // says how many ("5, 3 failing") and shows the red sign while any do.
    void UpdateFailingCount();
    void ShowKeywordsPage();
    void ShowSourcesPage();
    // The Connection page asks the connected-state probe again, and the
    // status panel counts the failing pages again.
    void RefreshConnectionStatus();
    // Called when the Options page stored a new poll period.
    void SetPollPeriodChangedHook(std::function<void()> hook);

    // Hiding the sheet before the first scan pass of the run has begun
    // starts that pass.
    bool Show(bool show = true) override;

    // The help pop-up for the control at a point of the screen, looked up
    // as the Help command does it at the mouse pointer.
    void ShowContextHelpAt(const wxPoint& screenPoint);
    int FindHelpControlAt(const wxPoint& screenPoint);

    CKeywordPropDlg* KeywordsPage() const { return m_keywordsPage; }
    COptionsDlg* OptionsPage() const { return m_optionsPage; }
    CTimingPropPage* ConnectionPage() const { return m_connectionPage; }
    CSourcesPropPage* SourcesPage() const { return m_sourcesPage; }

private:
    void ShowStatusSign();
    // The leave step of the page at that index; false when the page refuses
    // to be left (a field it could not store).
    bool LeavePage(int index);
    void OnPageChanging(wxBookCtrlEvent& event);
    void OnPageChanged(wxBookCtrlEvent& event);
    void OnDone(wxCommandEvent& event);
    void ShowHelpForPointerOrFocus();
    void OnHelp(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    CAppCore& m_core;
    CTimingPropPage* m_connectionPage = nullptr;
    CKeywordPropDlg* m_keywordsPage = nullptr;
    CSourcesPropPage* m_sourcesPage = nullptr;
    COptionsDlg* m_optionsPage = nullptr;
    wxButton* m_btnDone = nullptr;
    wxButton* m_btnHelp = nullptr;
    wxPanel* m_frameStatus = nullptr;
    wxStaticBitmap* m_iconNoSources = nullptr;
    wxStaticBitmap* m_iconSources = nullptr;
    wxTextCtrl* m_editCount = nullptr;
    wxStaticText* m_labelFailing = nullptr;
    int m_bSourcesShown = 1;
    int m_nEarlyCount = 0;
    int m_nActiveCount = 0;
    int m_nFailing = 0;
};
