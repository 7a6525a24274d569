#include "ui/stories/StoryListView.h"

#include <algorithm>
#include <clocale>
#include <langinfo.h>
#include <locale.h>

#include "app/StoryTypes.h"

namespace {

// The user's time locale, read once from the environment; the program's own
// locale stays "C", so that numbers in files read the same everywhere.
locale_t UserTimeLocale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    }();
    return locale;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The locale's time format without its seconds.
std::string TimeFormatWithoutSeconds(std::string format) {
    ReplaceAll(format, "%r", "%I:%M %p");
    ReplaceAll(format, "%T", "%H:%M");
    ReplaceAll(format, ":%S", "");
    ReplaceAll(format, ".%S", "");
    return format;
}

int CompareText(const std::string& a, const std::string& b) {
    return wxString::FromUTF8(a).CmpNoCase(wxString::FromUTF8(b));
}

}  // namespace

CStoryListCtrl::CStoryListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN) {
    for (wxWindow* child : GetChildren()) child->Bind(wxEVT_MOTION, &CStoryListCtrl::OnCellMotion, this);
    Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) {
        const int column = event.GetColumn();
        if (column < 0 || column >= COLUMN_COUNT) return;
        // A new column sorts newest or A to Z first; the same one turns round.
        SortBy(column, column == m_nSortColumn ? !m_bSortAscending : column != COL_FOUND);
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter([this] { FitHeadlineColumn(); });
    });
    Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
        event.Skip();
        if (event.GetColumn() != COL_HEADLINE) CallAfter([this] { FitHeadlineColumn(); });
    });
}

void CStoryListCtrl::SetRows(std::vector<StoryRow> rows) {
    DeleteAllRows();
    m_rows = std::move(rows);
    SortRows();
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

void CStoryListCtrl::SortBy(int column, bool bAscending) {
    std::vector<std::pair<std::string, std::string>> selected;
    for (long row : SelectedRows()) selected.emplace_back(Row(row).source, Row(row).headline);
    m_nSortColumn = column;
    m_bSortAscending = bAscending;
    SortRows();
    for (long row : SelectedRows()) SetItemState(row, 0, wxLIST_STATE_SELECTED);
    long firstSelected = -1;
    for (const auto& [source, headline] : selected) {
        const long row = FindRow(source, headline);
        if (row < 0) continue;
        SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        if (firstSelected < 0) firstSelected = row;
    }
    if (firstSelected >= 0) EnsureVisible(firstSelected);
    m_nTipCell = 0;
    Refresh();
}

void CStoryListCtrl::SortRows() {
    const int column = m_nSortColumn;
    const bool bAscending = m_bSortAscending;
    std::stable_sort(m_rows.begin(), m_rows.end(), [column, bAscending](const StoryRow& a, const StoryRow& b) {
        int order = 0;
        switch (column) {
            case COL_HEADLINE: order = CompareText(a.headline, b.headline); break;
            case COL_SOURCE: order = CompareText(a.sourceName, b.sourceName); break;
            case COL_KEYWORDS: order = CompareText(a.keywords, b.keywords); break;
            default: order = a.found < b.found ? -1 : a.found > b.found ? 1 : 0; break;
        }
        return bAscending ? order < 0 : order > 0;
    });
    if (column < GetColumnCount()) ShowSortIndicator(column, bAscending);
}

void CStoryListCtrl::FitHeadlineColumn() {
    if (GetColumnCount() < COLUMN_COUNT) return;
    int others = 0;
    for (int column = COL_HEADLINE + 1; column < COLUMN_COUNT; ++column) others += GetColumnWidth(column);
    const int width = GetClientSize().x - others;
    if (width > 40 && width != GetColumnWidth(COL_HEADLINE)) SetColumnWidth(COL_HEADLINE, width);
}

wxString CStoryListCtrl::FormatFoundTime(std::time_t found) {
    std::tm local{};
    localtime_r(&found, &local);
    const locale_t locale = UserTimeLocale();
    const std::string format =
        std::string(nl_langinfo_l(D_FMT, locale)) + " " + TimeFormatWithoutSeconds(nl_langinfo_l(T_FMT, locale));
    char text[128];
    const size_t length = strftime_l(text, sizeof text, format.c_str(), &local, locale);
    return wxString::FromUTF8(text, length);
}

wxString CStoryListCtrl::TipText(const std::string& description) {
    wxString text = wxString::FromUTF8(description);
    const bool bCut = text.length() > MAX_TIP_CHARS;
    if (bCut) {
        text.Truncate(MAX_TIP_CHARS);
        // End at a word's end where one is near.
        const size_t blank = text.find_last_of(' ');
        if (blank != wxString::npos && blank > MAX_TIP_CHARS - 40) text.Truncate(blank);
        text.Trim();
        text += wxString::FromUTF8("\u2026");
    }
    // Lines break at the last blank before the line length; a longer word
    // stays whole on a line of its own.
    wxString wrapped;
    size_t lineStart = 0, lastBlank = wxString::npos;
    for (size_t i = 0; i < text.length(); ++i) {
        if (text[i] == ' ') lastBlank = i;
        if (i - lineStart >= TIP_LINE_CHARS && lastBlank != wxString::npos && lastBlank > lineStart) {
            wrapped += text.Mid(lineStart, lastBlank - lineStart) + "\n";
            lineStart = lastBlank + 1;
            lastBlank = wxString::npos;
        }
    }
    wrapped += text.Mid(lineStart);
    return wrapped;
}

wxString CStoryListCtrl::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= GetRowCount()) return {};
    const StoryRow& row = m_rows[static_cast<size_t>(item)];
    switch (column) {
        case COL_HEADLINE: return wxString::FromUTF8(ShownHeadline(row.headline));
        case COL_SOURCE: return wxString::FromUTF8(row.sourceName);
        case COL_KEYWORDS: return wxString::FromUTF8(row.keywords);
        default: return row.date;
    }
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
