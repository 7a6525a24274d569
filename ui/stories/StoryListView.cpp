#include "ui/stories/StoryListView.h"

#include <algorithm>

CStoryListCtrl::CStoryListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxLC_VIRTUAL | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN) {
    for (wxWindow* child : GetChildren()) child->Bind(wxEVT_MOTION, &CStoryListCtrl::OnCellMotion, this);
}

void CStoryListCtrl::SetRows(std::vector<StoryRow> rows) {
    DeleteAllRows();
    m_rows = std::move(rows);
    SetItemCount(GetRowCount());
    Refresh();
}

void CStoryListCtrl::DeleteRow(long row) {
    if (row < 0 || row >= GetRowCount()) return;
    DeleteItem(row);
    m_rows.erase(m_rows.begin() + row);
    m_nTipCell = 0;
}

void CStoryListCtrl::DeleteAllRows() {
    DeleteAllItems();
    m_rows.clear();
    m_nTipCell = 0;
}

void CStoryListCtrl::SetRowImage(long row, int image) {
    if (row < 0 || row >= GetRowCount()) return;
    m_rows[static_cast<size_t>(row)].image = image;
    RefreshItem(row);
}

std::vector<long> CStoryListCtrl::SelectedRows() const {
    std::vector<long> rows;
    for (long i = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i != -1;
         i = GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(i);
    return rows;
}

long CStoryListCtrl::FindRow(const std::string& source, const std::string& headline) const {
    auto it = std::find_if(m_rows.begin(), m_rows.end(),
                           [&](const StoryRow& r) { return r.headline == headline && r.source == source; });
    return it == m_rows.end() ? -1 : static_cast<long>(it - m_rows.begin());
}

void CStoryListCtrl::SelectOnly(long row) {
    for (long selected : SelectedRows()) SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    if (row < 0 || row >= GetRowCount()) return;
    SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    EnsureVisible(row);
}

wxString CStoryListCtrl::FormatFoundTime(std::time_t found) {
    std::tm local{};
    localtime_r(&found, &local);
    int hour = local.tm_hour;
    const char letter = hour >= 12 ? 'P' : 'A';
    if (hour >= 12) hour -= 12;
    if (hour == 0) hour = 12;
    return wxString::Format("%d/%d %d:%.2d %cM", local.tm_mon + 1, local.tm_mday, hour, local.tm_min, letter);
}

wxString CStoryListCtrl::TipText(const std::string& description) {
    return wxString::FromUTF8(description).Left(MAX_TIP_CHARS);
}

wxString CStoryListCtrl::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= GetRowCount()) return {};
    const StoryRow& row = m_rows[static_cast<size_t>(item)];
    return column == 0 ? wxString::FromUTF8(row.headline) : row.date;
}

int CStoryListCtrl::OnGetItemImage(long item) const {
    return item >= 0 && item < GetRowCount() ? m_rows[static_cast<size_t>(item)].image : -1;
}

wxWindow* CStoryListCtrl::CellWindow() const {
    wxWindow* cells = this->GetChildren().empty() ? nullptr : GetChildren().front();
    for (wxWindow* child : GetChildren())
        if (child->GetPosition().y > cells->GetPosition().y) cells = child;
    return cells ? cells : const_cast<CStoryListCtrl*>(this);
}

void CStoryListCtrl::OnCellMotion(wxMouseEvent& event) {
    event.Skip();
    wxWindow* cells = CellWindow();
    if (event.GetEventObject() != cells || !InReportView()) return;
    int flags = 0;
    long column = 0;
    const long row = HitTest(event.GetPosition(), flags, &column);
    const bool onCell = row >= 0 && row < GetRowCount() && (flags & wxLIST_HITTEST_ONITEM);
    const long cell = onCell ? row * 1024 + std::max(column, 0L) + 1 : 0;
    if (cell == m_nTipCell) return;
    m_nTipCell = cell;
    const wxString tip = onCell ? TipText(Row(row).description) : wxString();
    if (tip.empty()) cells->UnsetToolTip();
    else cells->SetToolTip(tip);
}
