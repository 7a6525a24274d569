// CStoryListCtrl: the story list's report view. It holds its rows itself
// (headline, state image, date text and description) and shows them as a
// virtual list, so that thousands of stories fill at once; the cell under
// the mouse shows the row's description as its tooltip.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include <wx/listctrl.h>

struct StoryRow {
    std::string headline;     // UTF-8
    std::string source;       // the source key: with the headline, identifies the story
    std::string description;  // "" when the story has none
    wxString date;            // the time found, as FormatFoundTime gives it
    int image = -1;           // state image: 0 new, 1 unread, 2 read, 3 bookmarked
};

class CStoryListCtrl : public wxListCtrl {
public:
    // The longest tooltip, in characters.
    static constexpr size_t MAX_TIP_CHARS = 79;

    CStoryListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // Replaces every row; no row is selected afterwards.
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
    // Selects and focuses one row, and only that one.
    void SelectOnly(long row);

    // The inner window that draws the rows and gets the mouse over them (the
    // column header is another, above it); it carries the tips.
    wxWindow* CellWindow() const;

    // A story's time found as the list shows it: local time, "12/3 12:07 AM".
    static wxString FormatFoundTime(std::time_t found);
    // The tooltip a row with this description shows (its first characters).
    static wxString TipText(const std::string& description);

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;

private:
    void OnCellMotion(wxMouseEvent& event);

    std::vector<StoryRow> m_rows;
    long m_nTipCell = 0;  // row * 1024 + column + 1 of the cell whose tip is set; 0 none
};
