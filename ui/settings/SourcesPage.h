// CSourcesPropPage: the property sheet's News Sources page. It lists the
// news source catalogue with a check box per source (active or not) and the
// categories of the selected source, opens the Custom URL dialog, runs the
// source update, and writes every change to the catalogue at once. It
// reports the number of pages that will be scanned to its owner, and warns
// when a source is made active without any category.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/timer.h>

class CAppCore;
class wxBookCtrlEvent;
class wxButton;
class wxCheckBox;

class CSourcesPropPage : public wxPanel {
public:
    CSourcesPropPage(wxWindow* parent, CAppCore& core, std::function<void(int)> activeSourceCountChanged);
    ~CSourcesPropPage() override;

    // Shows the pending empty-source warning, if any, and switches that
    // source off: what happens when the page is left or the sheet's Done
    // is pressed.
    void FinishPendingWarning();
    // The one-second timer that keeps Update Sources in step with scanning
    // runs only while the sheet is shown with this page in front.
    void SheetShown(bool bShown);
    bool TimerRunning() const { return m_timer.IsRunning(); }

private:
    void FillList();
    // Selected categories of the active sources, plus the active custom
    // URLs when bWithCustomUrls, handed to the owner.
    void UpdateCount(bool bWithCustomUrls);
    // Shows the categories of row's source; the number selected.
    int ShowCategories(long row);
    void EmptySourceWarning(bool bFinal, long rowMovingTo);

    long SelectedRow() const;
    void SelectRow(long row);
    std::string RowName(long row) const;
    long FindRow(const std::string& name) const;
    // Checks or unchecks a row as the page itself, when it differs.
    void SetRowCheckQuietly(long row, bool bChecked);

    void OnRowSelected(wxListEvent& event);
    void OnRowChecked(wxListEvent& event);
    void OnRowCheckChanged(long row, bool bChecked);
    void OnCategoryClicked(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);
    void SetAllCategories(int value);
    void OnCustomUrl(wxCommandEvent& event);
    void OnUpdateSources(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnBookPageChanged(wxBookCtrlEvent& event);

    CAppCore& m_core;
    std::function<void(int)> m_fnCountChanged;
    wxListCtrl* m_listSources = nullptr;
    std::array<wxCheckBox*, 13> m_boxes{};
    wxButton* m_btnUpdate = nullptr;
    wxTimer m_timer;
    wxWindow* m_pBook = nullptr;  // the notebook holding the page, when there is one

    int m_bIgnoreItemChange = 0;
    std::string m_strEmptySource;
    long m_nEmptySourceItem = -1;
    static const char* const m_szDefaultCategory[4];
    // The check state of each row as the page last saw it.
    std::vector<char> m_rowChecked;
    bool m_bFilling = false;  // FillList checks rows: not a change of the user
};
