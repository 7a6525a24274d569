// CStoryListCtrl: the story list's report view. It holds its rows itself
// (state image, headline, source, keywords, time found and description) and
// shows them as a virtual list, so that thousands of stories fill at once.
// A click on a column's header sorts by that column (again: the other way);
// the headline column takes the width the others leave; the cell under the
// mouse shows the row's description as its tooltip.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include <wx/listctrl.h>

struct StoryRow {
    std::string headline;     // UTF-8
    std::string source;       // the source key: with the headline, identifies the story
    std::string sourceName;   // the source as shown
    std::string keywords;     // the matched keyword group as the user typed it
    std::string description;  // "" when the story has none
    std::time_t found = 0;
    wxString date;            // the time found, as FormatFoundTime gives it
    int image = -1;           // state image: 0 new, 1 unread, 2 read, 3 bookmarked
};

class CStoryListCtrl : public wxListCtrl {
public:
    enum Column { COL_HEADLINE = 0, COL_SOURCE, COL_KEYWORDS, COL_FOUND, COLUMN_COUNT };
    // The longest tooltip, in characters, and its line length.
    static constexpr size_t MAX_TIP_CHARS = 1000;
    static constexpr size_t TIP_LINE_CHARS = 72;

    CStoryListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // Replaces every row, in the order of the column sorted by; no row is
    // selected afterwards.
    void SetRows(std::vector<StoryRow> rows);
    void DeleteRow(long row);
    void DeleteAllRows();
    long GetRowCount() const { return static_cast<long>(m_rows.size()); }
    const StoryRow& Row(long row) const { return m_rows.at(static_cast<size_t>(row)); }
    void SetRowImage(long row, int image);
    // The selected rows, top to bottom.
    std::vector<long> SelectedRows() const;
    // The first row of the story with that source key and headline, or -1.
    long FindRow(const std::string& source, const std::string& headline) const;
    // Selects and focuses one row, and only that one, and scrolls it into view.
    void SelectOnly(long row);

    // Sorts the rows by a column, keeping the selected stories selected, and
    // shows the header's sort arrow. Rows that compare equal keep their order.
    // At first the rows are sorted newest first.
    void SortBy(int column, bool bAscending);
    int SortColumn() const { return m_nSortColumn; }
    bool SortAscending() const { return m_bSortAscending; }
    // The headline column takes the width the other columns leave.
    void FitHeadlineColumn();

    // The inner window that draws the rows and gets the mouse over them (the
    // column header is another, above it); it carries the tips.
    wxWindow* CellWindow() const;

    // A story's time found as the list shows it: local time, in the date and
    // time formats of the user's locale (LC_TIME), without seconds.
    static wxString FormatFoundTime(std::time_t found);
    // The tooltip a row with this description shows: the whole description
    // in lines of about TIP_LINE_CHARS, cut with "…" past MAX_TIP_CHARS.
    static wxString TipText(const std::string& description);

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;

private:
    void OnCellMotion(wxMouseEvent& event);
    void SortRows();

    std::vector<StoryRow> m_rows;
    long m_nTipCell = 0;  // row * 1024 + column + 1 of the cell whose tip is set; 0 none
    int m_nSortColumn = COL_FOUND;
    bool m_bSortAscending = false;
};
