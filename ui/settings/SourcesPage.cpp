#include "ui/settings/SourcesPage.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statbox.h>

#include "app/AppCore.h"
#include "app/SourceUpdate.h"
#include "res/resource.h"
#include "ui/base/Resources.h"
#include "ui/settings/CustomUrlDialog.h"
#include "ui/settings/EmptySourceWarning.h"
#include "ui/settings/UpdateProgressWindow.h"

namespace {
constexpr int kUpdateButtonTimer = 1;
constexpr int kUpdateButtonPeriodMs = 1000;
}  // namespace

const char* const CSourcesPropPage::m_szDefaultCategory[4] = {"Headlines", "World", "National", "Sports"};

CSourcesPropPage::CSourcesPropPage(wxWindow* parent, CAppCore& core,
                                   std::function<void(int)> activeSourceCountChanged)
    : wxPanel(parent, IDD_SOURCES_PAGE), m_core(core), m_fnCountChanged(std::move(activeSourceCountChanged)),
      m_timer(this, kUpdateButtonTimer) {
    SetName("News Sources");
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int cx, int cy) { return wxDLG_UNIT(this, wxSize(cx, cy)); };

    m_listSources = new wxListCtrl(this, IDC_SOURCE_LIST, at(7, 7), size(126, 152),
                                   wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN);
    m_listSources->EnableCheckBoxes(true);
    m_listSources->AppendColumn("Available News Sources", wxLIST_FORMAT_LEFT,
                                m_listSources->GetClientSize().GetWidth() * 89 / 100);
    new wxButton(this, IDC_CUSTOM_URL, "&Custom URL", at(7, 164), size(61, 14));
    m_btnUpdate = new wxButton(this, IDC_UPDATE_SOURCES, "&Update Sources", at(72, 164), size(61, 14));

    new wxStaticBox(this, IDC_CATEGORY_GROUP, "Categories", at(139, 3), size(106, 179));
    for (int i = 0; i < static_cast<int>(m_boxes.size()); ++i) {
        m_boxes[static_cast<std::size_t>(i)] =
            new wxCheckBox(this, IDC_CATEGORY_BOXES[i], i < 4 ? m_szDefaultCategory[i] : "", at(146, 15 + 11 * i),
                           size(94, 10));
        // A box without a name shows only for a source that has that category.
        if (i >= 4) m_boxes[static_cast<std::size_t>(i)]->Hide();
        Bind(wxEVT_CHECKBOX, &CSourcesPropPage::OnCategoryClicked, this, IDC_CATEGORY_BOXES[i]);
    }
    new wxButton(this, IDC_CATEGORY_SELECT_ALL, "Select All", at(146, 162), size(45, 14));
    new wxButton(this, IDC_CATEGORY_CLEAR, "Clear", at(194, 162), size(45, 14));
    SetInitialSize(size(252, 186));

    Bind(wxEVT_LIST_ITEM_SELECTED, &CSourcesPropPage::OnRowSelected, this, IDC_SOURCE_LIST);
    Bind(wxEVT_LIST_ITEM_CHECKED, &CSourcesPropPage::OnRowChecked, this, IDC_SOURCE_LIST);
    Bind(wxEVT_LIST_ITEM_UNCHECKED, &CSourcesPropPage::OnRowChecked, this, IDC_SOURCE_LIST);
    Bind(wxEVT_BUTTON, &CSourcesPropPage::OnSelectAll, this, IDC_CATEGORY_SELECT_ALL);
    Bind(wxEVT_BUTTON, &CSourcesPropPage::OnClear, this, IDC_CATEGORY_CLEAR);
    Bind(wxEVT_BUTTON, &CSourcesPropPage::OnCustomUrl, this, IDC_CUSTOM_URL);
    Bind(wxEVT_BUTTON, &CSourcesPropPage::OnUpdateSources, this, IDC_UPDATE_SOURCES);
    Bind(wxEVT_TIMER, &CSourcesPropPage::OnTimer, this, kUpdateButtonTimer);
    // Leaving the page settles a pending warning, whoever holds the page.
    if (auto* book = dynamic_cast<wxBookCtrlBase*>(parent)) {
        m_pBook = book;
        book->Bind(wxEVT_BOOKCTRL_PAGE_CHANGED, &CSourcesPropPage::OnBookPageChanged, this);
    }

    FillList();
    SelectRow(0);
    ShowCategories(0);
    m_btnUpdate->Enable(!m_core.IsScanning());
}

CSourcesPropPage::~CSourcesPropPage() {
    m_timer.Stop();
    if (m_pBook) m_pBook->Unbind(wxEVT_BOOKCTRL_PAGE_CHANGED, &CSourcesPropPage::OnBookPageChanged, this);
}

std::string CSourcesPropPage::RowName(long row) const {
    if (row < 0 || row >= m_listSources->GetItemCount()) return std::string();
    return m_listSources->GetItemText(row).utf8_string();
}

long CSourcesPropPage::FindRow(const std::string& name) const {
    for (long row = 0; row < m_listSources->GetItemCount(); ++row)
        if (RowName(row) == name) return row;
    return -1;
}

long CSourcesPropPage::SelectedRow() const {
    return m_listSources->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void CSourcesPropPage::SelectRow(long row) {
    if (row < 0 || row >= m_listSources->GetItemCount()) return;
    m_listSources->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_listSources->EnsureVisible(row);
}

void CSourcesPropPage::SetRowCheckQuietly(long row, bool bChecked) {
    if (row < 0 || row >= static_cast<long>(m_rowChecked.size())) return;
    if ((m_rowChecked[static_cast<std::size_t>(row)] != 0) == bChecked) return;
    m_bIgnoreItemChange = 1;
    m_listSources->CheckItem(row, bChecked);
}

void CSourcesPropPage::FillList() {
    m_bFilling = true;
    m_listSources->DeleteAllItems();
    m_rowChecked.clear();
    for (const CatalogueSource& source : m_core.Config().Sources()) {
        const long row = m_listSources->InsertItem(m_listSources->GetItemCount(), wxString::FromUTF8(source.name));
        m_rowChecked.push_back(source.bActive ? 1 : 0);
        if (source.bActive) m_listSources->CheckItem(row, true);
    }
    m_bFilling = false;
    // A pending warning follows its source to its new row.
    m_nEmptySourceItem = m_strEmptySource.empty() ? -1 : FindRow(m_strEmptySource);
    if (m_nEmptySourceItem == -1) m_strEmptySource.clear();
    UpdateCount(true);
}

void CSourcesPropPage::UpdateCount(bool bWithCustomUrls) {
    const int count = m_core.Config().ActivePageCount(bWithCustomUrls);
    if (m_fnCountChanged) m_fnCountChanged(count);
}

int CSourcesPropPage::ShowCategories(long row) {
    const bool bChecked = row >= 0 && row < static_cast<long>(m_rowChecked.size()) &&
                          m_rowChecked[static_cast<std::size_t>(row)] != 0;
    const std::optional<CatalogueSource> source = m_core.Config().Source(RowName(row));
    if (!source) return 0;
    for (int id = 1; id <= static_cast<int>(m_boxes.size()); ++id) {
        wxCheckBox* box = m_boxes[static_cast<std::size_t>(id - 1)];
        if (const CatalogueCategory* category = source->Category(id)) {
            box->SetLabel(wxControl::EscapeMnemonics(wxString::FromUTF8(category->name)));
            box->SetValue(category->bSelected);
            box->Enable(bChecked);
            box->Show();
        } else if (id > 4) {
            box->Hide();
        } else {
            box->SetLabel(m_szDefaultCategory[id - 1]);
            box->SetValue(false);
            box->Disable();
            box->Show();
        }
    }
    return source->SelectedCount();
}

void CSourcesPropPage::OnRowSelected(wxListEvent& event) {
    const long row = event.GetIndex();
    EmptySourceWarning(false, row);
    ShowCategories(row);
}

void CSourcesPropPage::OnRowChecked(wxListEvent& event) {
    if (m_bFilling) return;
    OnRowCheckChanged(event.GetIndex(), event.GetEventType() == wxEVT_LIST_ITEM_CHECKED);
}

void CSourcesPropPage::OnRowCheckChanged(long row, bool bChecked) {
    if (row < 0 || row >= static_cast<long>(m_rowChecked.size())) return;
    EmptySourceWarning(false, row);
    char& state = m_rowChecked[static_cast<std::size_t>(row)];
    if ((state != 0) == bChecked) return;
    state = bChecked ? 1 : 0;
    SelectRow(row);
    const std::string name = RowName(row);
    const bool bFound = m_core.Config().SetSourceActive(name, bChecked);
    m_nEmptySourceItem = bChecked ? row : -1;
    UpdateCount(false);
    if (m_bIgnoreItemChange == 1) {
        m_bIgnoreItemChange = 0;
    } else if (ShowCategories(row) == 0 && bChecked && bFound) {
        m_strEmptySource = name;
    }
}

void CSourcesPropPage::OnCategoryClicked(wxCommandEvent&) {
    const long row = SelectedRow();
    if (row < 0) return;
    std::vector<int> selectedIds;
    for (int id = 1; id <= static_cast<int>(m_boxes.size()); ++id)
        if (m_boxes[static_cast<std::size_t>(id - 1)]->GetValue()) selectedIds.push_back(id);
    if (const std::optional<CatalogueSource> source = m_core.Config().SelectCategories(RowName(row), selectedIds)) {
        const int selected = source->SelectedCount();
        if (selected > 0) {
            m_strEmptySource.clear();
            m_nEmptySourceItem = -1;
        }
        if (selected == 0) SetRowCheckQuietly(row, false);
        if (selected == 1) SetRowCheckQuietly(row, true);
    }
    UpdateCount(false);
}

void CSourcesPropPage::SetAllCategories(int value) {
    const long row = SelectedRow();
    if (row < 0) return;
    const std::optional<CatalogueSource> before = m_core.Config().Source(RowName(row));
    const std::optional<CatalogueSource> source = m_core.Config().SelectAllCategories(RowName(row), value != 0);
    if (!before || !source) return;
    for (int id = 1; id <= static_cast<int>(m_boxes.size()); ++id) {
        wxCheckBox* box = m_boxes[static_cast<std::size_t>(id - 1)];
        if (source->Category(id)) {
            box->SetValue(value != 0);
            if (value) box->Enable();
        } else {
            box->SetValue(false);
        }
    }
    // A row that shows another state than wanted follows, as a click on it would.
    if (before->bActive == (value != 0) || (m_rowChecked[static_cast<std::size_t>(row)] != 0) == (value != 0))
        UpdateCount(false);
    else
        SetRowCheckQuietly(row, value != 0);
}

void CSourcesPropPage::OnSelectAll(wxCommandEvent&) { SetAllCategories(1); }

void CSourcesPropPage::OnClear(wxCommandEvent&) { SetAllCategories(0); }

void CSourcesPropPage::EmptySourceWarning(bool bFinal, long rowMovingTo) {
    if (m_nEmptySourceItem == -1 || m_strEmptySource.empty()) return;
    if (!bFinal && rowMovingTo == m_nEmptySourceItem) return;
    const std::string name = m_strEmptySource;
    {
        CEmptySourceWarningDlg warning(this, name);
        warning.ShowModal();
    }
    m_strEmptySource.clear();
    m_core.Config().SetSourceActive(name, false);
    m_nEmptySourceItem = -1;
    const long row = FindRow(name);
    if (row >= 0 && m_rowChecked[static_cast<std::size_t>(row)] != 0) m_listSources->CheckItem(row, false);
    if (!bFinal && rowMovingTo >= 0) {
        SelectRow(rowMovingTo);
        ShowCategories(rowMovingTo);
    }
    UpdateCount(false);
}

void CSourcesPropPage::FinishPendingWarning() { EmptySourceWarning(true, -1); }

void CSourcesPropPage::OnCustomUrl(wxCommandEvent&) {
    {
        CUrlPropPage dialog(this, m_core);
        dialog.ShowModal();
    }
    UpdateCount(true);
}

void CSourcesPropPage::OnUpdateSources(wxCommandEvent&) {
    m_timer.Stop();
    m_btnUpdate->Disable();
    std::unique_ptr<CSourceUpdate> update =
        m_core.Config().NewSourceUpdate(StarterCatalogueFile());
    {
        CUpdateProgressDlg progress(this, *update);
        progress.ShowModal();
    }
    FillList();
    m_core.Config().SourceUpdateFinished();
    m_btnUpdate->Enable(!m_core.IsScanning());
    SheetShown(wxGetTopLevelParent(this)->IsShown());
    SelectRow(0);
    ShowCategories(0);
}

void CSourcesPropPage::OnTimer(wxTimerEvent&) { m_btnUpdate->Enable(!m_core.IsScanning()); }

void CSourcesPropPage::SheetShown(bool bShown) {
    // The button follows the scanning state only while someone can see it:
    // a hidden sheet wakes nobody up.
    if (bShown && (!m_pBook || static_cast<wxBookCtrlBase*>(m_pBook)->GetCurrentPage() == this)) {
        m_btnUpdate->Enable(!m_core.IsScanning());
        if (!m_timer.IsRunning()) m_timer.Start(kUpdateButtonPeriodMs);
    } else {
        m_timer.Stop();
    }
}

void CSourcesPropPage::OnBookPageChanged(wxBookCtrlEvent& event) {
    event.Skip();
    auto* book = static_cast<wxBookCtrlBase*>(m_pBook);
    if (event.GetEventObject() == book) SheetShown(wxGetTopLevelParent(this)->IsShown());
    const int old = event.GetOldSelection();
    if (event.GetEventObject() == book && old != wxNOT_FOUND && book->GetPage(static_cast<size_t>(old)) == this)
        FinishPendingWarning();
}
