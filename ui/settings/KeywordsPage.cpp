#include "ui/settings/KeywordsPage.h"

#include <algorithm>

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/listctrl.h>
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

constexpr int kWordIds[CKeywordPropDlg::WORD_SLOTS] = {IDC_KEYWORD_WORD1, IDC_KEYWORD_WORD2, IDC_KEYWORD_WORD3,
                                                      IDC_KEYWORD_WORD4, IDC_KEYWORD_WORD5, IDC_KEYWORD_WORD6};
constexpr int kPreviewDelayMs = 300;

std::string JoinWords(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& w : words) joined += (joined.empty() ? "" : ", ") + w;
    return joined;
}

std::string Utf8(const wxString& s) { return s.utf8_string(); }

}  // namespace

CKeywordPropDlg::CKeywordPropDlg(wxWindow* parent, CAppCore& core)
    : wxPanel(parent, wxID_ANY), m_core(core), m_previewTimer(this) {
    auto du = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    m_hbmInclude = LoadResourceBitmap(IDB_INCLUDE);
    m_hbmExclude = LoadResourceBitmap(IDB_EXCLUDE);

    auto* top = new wxBoxSizer(wxVERTICAL);
    auto explanation = [&](int pictureId, const wxBitmap& bitmap, const char* text) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        row->Add(new wxStaticBitmap(this, pictureId, bitmap, wxDefaultPosition, du(10, 10)), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, du(4, 0).x);
        row->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
        top->Add(row, 0, wxLEFT | wxRIGHT | wxTOP, du(7, 4).x);
    };
    explanation(IDC_KEYWORD_INCLUDE_SIGN, m_hbmInclude, "Deliver stories containing all of these INCLUDE words...");
    explanation(IDC_KEYWORD_EXCLUDE_SIGN, m_hbmExclude, "...unless they contain any of these EXCLUDE words.");
    top->Add(new wxStaticText(this, wxID_ANY, "Groups of 6 words or less are searched for as Keyword Groups"), 0,
             wxLEFT | wxRIGHT | wxTOP, du(7, 4).x);

    auto* box = new wxStaticBoxSizer(new wxStaticBox(this, IDC_KEYWORD_FRAME, "Keyword Group"), wxVERTICAL);
    wxStaticBox* frame = box->GetStaticBox();
    auto* grid = new wxFlexGridSizer(2, 6, du(2, 3).y, du(2, 3).x);
    for (int col = 1; col < 6; col += 2) grid->AddGrowableCol(col, 1);
    for (int slot = 0; slot < WORD_SLOTS; ++slot) {
        // Signs when the images are there, else "+" and a minus sign.
        m_btnToggles[slot] = m_hbmInclude.IsOk() && m_hbmExclude.IsOk()
                                 ? new wxBitmapButton(frame, IDC_KEYWORD_TOGGLE1 + slot, m_hbmInclude)
                                 : new wxButton(frame, IDC_KEYWORD_TOGGLE1 + slot, wxEmptyString,
                                                wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        m_editWords[slot] = new wxTextCtrl(frame, kWordIds[slot], wxEmptyString, wxDefaultPosition,
                                           wxSize(du(50, 12).x, -1), wxTE_PROCESS_ENTER);
        grid->Add(m_btnToggles[slot], 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(m_editWords[slot], 1, wxEXPAND);
        SetToggle(slot, false);
        m_btnToggles[slot]->Bind(wxEVT_BUTTON, &CKeywordPropDlg::OnToggle, this);
        m_editWords[slot]->Bind(wxEVT_TEXT, &CKeywordPropDlg::OnWordChanged, this);
        m_editWords[slot]->Bind(wxEVT_SET_FOCUS, &CKeywordPropDlg::OnWordFocus, this);
        // Enter in a word field stores the group, as the page's default button would.
        m_editWords[slot]->Bind(wxEVT_TEXT_ENTER, &CKeywordPropDlg::OnAdd, this);
    }
    box->Add(grid, 0, wxEXPAND | wxALL, du(4, 4).x);
    auto* actions = new wxBoxSizer(wxHORIZONTAL);
    m_labelPreview = new wxStaticText(frame, IDC_KEYWORD_PREVIEW, wxEmptyString, wxDefaultPosition,
                                      wxSize(du(150, 34).x, du(150, 34).y), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    actions->Add(m_labelPreview, 1, wxEXPAND | wxRIGHT, du(4, 0).x);
    auto* clear = new wxButton(frame, IDC_KEYWORD_CLEAR, "&Clear");
    m_btnAdd = new wxButton(frame, IDC_KEYWORD_ADD, "&Add");
    actions->Add(clear, 0, wxALIGN_BOTTOM | wxRIGHT, du(4, 0).x);
    actions->Add(m_btnAdd, 0, wxALIGN_BOTTOM);
    box->Add(actions, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, du(4, 4).x);
    MakeFrameLabelBold(frame);
    top->Add(box, 0, wxEXPAND | wxALL, du(7, 4).x);

    m_listGroups = new wxListCtrl(this, IDC_KEYWORD_LIST, wxDefaultPosition, du(230, 70),
                                  wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_THEME);
    top->Add(m_listGroups, 1, wxEXPAND | wxLEFT | wxRIGHT, du(7, 4).x);
    m_btnRemove = new wxButton(this, IDC_KEYWORD_REMOVE, "&Remove");
    m_btnRemove->Disable();
    top->Add(m_btnRemove, 0, wxALIGN_RIGHT | wxALL, du(7, 4).x);
    SetSizer(top);
    m_btnAdd->SetDefault();

    const int width = m_listGroups->GetSize().x;
    m_listGroups->AppendColumn("INCLUDE words", wxLIST_FORMAT_LEFT, width * 49 / 100);
    m_listGroups->AppendColumn("EXCLUDE words", wxLIST_FORMAT_LEFT, width * 49 / 100);

    Bind(wxEVT_BUTTON, &CKeywordPropDlg::OnAdd, this, IDC_KEYWORD_ADD);
    Bind(wxEVT_BUTTON, &CKeywordPropDlg::OnClear, this, IDC_KEYWORD_CLEAR);
    Bind(wxEVT_BUTTON, &CKeywordPropDlg::OnRemove, this, IDC_KEYWORD_REMOVE);
    m_listGroups->Bind(wxEVT_LIST_ITEM_SELECTED, &CKeywordPropDlg::OnListSelected, this);
    // The rows are drawn by the list's inner window, which gets the clicks.
    m_listGroups->Bind(wxEVT_LEFT_UP, &CKeywordPropDlg::OnListClick, this);
    for (wxWindow* child : m_listGroups->GetChildren()) child->Bind(wxEVT_LEFT_UP, &CKeywordPropDlg::OnListClick, this);
    Bind(wxEVT_TIMER, &CKeywordPropDlg::OnPreviewTimer, this);

    m_pPreview = core.Config().NewKeywordPreview([this](const KeywordPreviewResult& result) {
        CallAfter([this, result] { ShowPreview(result); });
    });

    FillList();
}

CKeywordPropDlg::~CKeywordPropDlg() {
    m_previewTimer.Stop();
    // The worker ends before the window does: no result arrives afterwards.
    m_pPreview.reset();
}

void CKeywordPropDlg::SetToggle(int slot, bool bExclude) {
    m_bExclude[slot] = bExclude;
    wxButton* button = m_btnToggles[slot];
    const wxBitmap& bitmap = bExclude ? m_hbmExclude : m_hbmInclude;
    if (m_hbmInclude.IsOk() && m_hbmExclude.IsOk()) {
        button->SetBitmapLabel(bitmap);
    } else {
        button->SetLabel(bExclude ? wxString::FromUTF8("\xe2\x88\x92") : wxString("+"));
    }
    button->SetToolTip(bExclude ? "EXCLUDE: stories with this word are left out (click for INCLUDE)"
                                : "INCLUDE: stories must contain this word (click for EXCLUDE)");
}

void CKeywordPropDlg::FillList() {
    m_listGroups->DeleteAllItems();
    m_groups = m_core.Config().Snapshot().keywordGroups;
    for (const std::string& group : m_groups) {
        std::vector<std::string> include, exclude;
        for (const KeywordWord& w : SplitKeywordText(group)) (w.bExclude ? exclude : include).push_back(w.word);
        const long row = m_listGroups->InsertItem(m_listGroups->GetItemCount(), wxString::FromUTF8(JoinWords(include)));
        m_listGroups->SetItem(row, 1, wxString::FromUTF8(JoinWords(exclude)));
    }
}

std::string CKeywordPropDlg::BuildEditorGroup() const {
    std::vector<KeywordWord> words;
    for (int slot = 0; slot < WORD_SLOTS; ++slot) words.push_back({Utf8(m_editWords[slot]->GetValue()), m_bExclude[slot]});
    return BuildKeywordText(words);
}

void CKeywordPropDlg::ClearEditor() {
    m_btnAdd->SetLabel("&Add");
    m_bChanged = 0;
    m_nEditItem = -1;
    for (int slot = 0; slot < WORD_SLOTS; ++slot) {
        m_editWords[slot]->ChangeValue(wxEmptyString);
        SetToggle(slot, false);
    }
    m_previewTimer.Stop();
    m_labelPreview->SetLabel(wxEmptyString);
}

void CKeywordPropDlg::RebuildFromList() { m_core.Config().SetKeywordGroups(m_groups); }

void CKeywordPropDlg::OnAdd(wxCommandEvent&) {
    m_bChanged = 0;
    m_btnRemove->Disable();
    const std::string group = BuildEditorGroup();
    if (group.empty()) {
        ClearEditor();
        return;
    }
    // A group longer than a line of config.txt would come back cut short.
    if (!KeywordGroupFitsRecord(group)) {
        wxMessageBox("This keyword group is too long to be stored. Use fewer or shorter words.", "Skimbolt",
                     wxOK | wxICON_EXCLAMATION, this);
        return;
    }
    if (m_nEditItem == -1) {
        // A refusal has been shown by the settings; the editor keeps its words.
        const SettingsVerdict added = m_core.Config().AddKeywordGroup(group);
        if (!added) {
            if (!added.message.empty())
                wxMessageBox(wxString::FromUTF8(added.message), "Skimbolt", wxOK | wxICON_EXCLAMATION, this);
            return;
        }
    } else {
        if (m_nEditItem < static_cast<int>(m_groups.size())) m_groups[m_nEditItem] = group;
        RebuildFromList();
    }
    // The list shows what is stored (a duplicate left by a change is dropped).
    FillList();
    ClearEditor();
}

void CKeywordPropDlg::OnClear(wxCommandEvent&) { ClearEditor(); }

void CKeywordPropDlg::OnRemove(wxCommandEvent&) {
    const long row = m_listGroups->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row >= 0 && row < static_cast<long>(m_groups.size())) {
        m_groups.erase(m_groups.begin() + row);
        RebuildFromList();
        FillList();
        ClearEditor();
    }
    m_btnRemove->Disable();
}

void CKeywordPropDlg::OnToggle(wxCommandEvent& event) {
    const int slot = event.GetId() - IDC_KEYWORD_TOGGLE1;
    if (slot < 0 || slot >= WORD_SLOTS) return;
    SetToggle(slot, !m_bExclude[slot]);
    m_editWords[slot]->SetFocus();
    RequestPreview();
}

void CKeywordPropDlg::OnWordChanged(wxCommandEvent&) {
    m_bChanged = 1;
    RequestPreview();
}

void CKeywordPropDlg::OnWordFocus(wxFocusEvent& event) {
    m_btnRemove->Disable();
    event.Skip();
}

void CKeywordPropDlg::OnListSelected(wxListEvent& event) {
    if (event.GetIndex() >= 0) FillEditorFromRow(event.GetIndex());
}

void CKeywordPropDlg::OnListClick(wxMouseEvent& event) {
    event.Skip();
    // A click on the row already selected sends no selection event: the
    // editor is filled from it again all the same, once the click is done.
    CallAfter([this] {
        const long row = m_listGroups->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        if (row >= 0) FillEditorFromRow(row);
    });
}

void CKeywordPropDlg::FillEditorFromRow(long row) {
    ClearEditor();
    m_btnAdd->SetLabel("A&pply");
    m_nEditItem = static_cast<int>(row);
    // INCLUDE words first, then EXCLUDE words, as the list's columns show them.
    std::vector<KeywordWord> words;
    if (row < static_cast<long>(m_groups.size())) words = SplitKeywordText(m_groups[row]);
    std::stable_partition(words.begin(), words.end(), [](const KeywordWord& w) { return !w.bExclude; });
    int slot = 0;
    for (const KeywordWord& w : words) {
        if (w.word.empty()) continue;
        if (slot >= WORD_SLOTS) break;
        m_editWords[slot]->ChangeValue(wxString::FromUTF8(w.word));
        SetToggle(slot++, w.bExclude);
    }
    m_btnRemove->Enable();
    m_bChanged = 0;
    RequestPreview();
}

void CKeywordPropDlg::FocusFirstWord() { m_editWords[0]->SetFocus(); }

void CKeywordPropDlg::OnKillActive() {
    bool bEmpty = true;
    for (wxTextCtrl* edit : m_editWords) bEmpty = bEmpty && edit->GetValue().empty();
    if (bEmpty) return;
    if (m_bChanged == 1 &&
        wxMessageBox("Apply changes to Keyword group?", "Accept Changes?", wxYES_NO | wxICON_QUESTION, this) == wxYES) {
        wxCommandEvent add(wxEVT_BUTTON, IDC_KEYWORD_ADD);
        OnAdd(add);
    }
    ClearEditor();
}

void CKeywordPropDlg::RequestPreview() {
    // Typing goes on undisturbed: the archive is looked at once it pauses.
    m_previewTimer.StartOnce(kPreviewDelayMs);
}

void CKeywordPropDlg::OnPreviewTimer(wxTimerEvent&) {
    const std::string group = BuildEditorGroup();
    if (group.empty()) {
        m_labelPreview->SetLabel(wxEmptyString);
        return;
    }
    std::string stored = group;
    std::replace(stored.begin(), stored.end(), ' ', '_');
    m_pPreview->Request(stored);
}

void CKeywordPropDlg::ShowPreview(const KeywordPreviewResult& result) {
    std::string stored = BuildEditorGroup();
    std::replace(stored.begin(), stored.end(), ' ', '_');
    if (stored.empty() || result.keywordText != stored) return;  // the editor has moved on
    wxString text;
    if (result.count == 0) {
        text = "No story of the last 48 hours matches.";
    } else {
        text = result.count == 1 ? wxString("1 story of the last 48 hours matches:")
                                 : wxString::Format("%d stories of the last 48 hours match:", result.count);
        for (const std::string& headline : result.headlines) text += wxString::FromUTF8("\n\xe2\x80\xa2 " + headline);
    }
    m_labelPreview->SetLabelText(text);
    m_labelPreview->SetToolTip(text);
}

wxString CKeywordPropDlg::PreviewText() const { return m_labelPreview->GetLabelText(); }
