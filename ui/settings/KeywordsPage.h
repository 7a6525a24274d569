// CKeywordPropDlg: the Keywords page of the configuration sheet. It lists
// the stored keyword groups and edits one group of up to six words, each
// marked INCLUDE or EXCLUDE; every add, change or removal is written to the
// settings at once. While a group is edited it shows which stories of the
// last 48 hours the group would have matched.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/timer.h>

class CAppCore;
class CKeywordPreview;
struct KeywordPreviewResult;
class wxButton;
class wxListCtrl;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;

class CKeywordPropDlg : public wxPanel {
public:
    static constexpr int WORD_SLOTS = 6;

    CKeywordPropDlg(wxWindow* parent, CAppCore& core);
    ~CKeywordPropDlg() override;

    // Leaving the page: typed but unconfirmed words are offered for storing
    // ("Apply changes to Keyword group?"), then the editor is emptied.
    void OnKillActive();
    // Whether the slot's word (0 to 5) is an EXCLUDE word.
    bool IsExclude(int slot) const { return m_bExclude[slot]; }
    // Puts the keyboard focus into the first word field.
    void FocusFirstWord();
    // The preview line as shown (for tests).
    wxString PreviewText() const;

private:
    void FillList();
    // The stored form of the editor's group (blanks not yet turned into '_').
    std::string BuildEditorGroup() const;
    void ClearEditor();
    void SetToggle(int slot, bool bExclude);
    void RebuildFromList();
    void RequestPreview();
    void ShowPreview(const KeywordPreviewResult& result);

    void OnAdd(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnToggle(wxCommandEvent& event);
    void OnWordChanged(wxCommandEvent& event);
    void OnWordFocus(wxFocusEvent& event);
    void OnListSelected(wxListEvent& event);
    void OnListClick(wxMouseEvent& event);
    void FillEditorFromRow(long row);
    void OnPreviewTimer(wxTimerEvent& event);

    CAppCore& m_core;
    wxListCtrl* m_listGroups = nullptr;
    std::array<wxTextCtrl*, WORD_SLOTS> m_editWords{};
    std::array<wxButton*, WORD_SLOTS> m_btnToggles{};
    std::array<bool, WORD_SLOTS> m_bExclude{};
    wxButton* m_btnAdd = nullptr;
    wxButton* m_btnRemove = nullptr;
    wxStaticText* m_labelPreview = nullptr;
    wxBitmap m_hbmInclude;
    wxBitmap m_hbmExclude;
    int m_bChanged = 0;
    int m_nEditItem = -1;
    std::vector<std::string> m_groups;  // the stored text of each row
    wxTimer m_previewTimer;
    std::unique_ptr<CKeywordPreview> m_pPreview;
};
