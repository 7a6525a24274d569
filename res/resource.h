// Numeric ids of the program's dialogs and controls. Windows are found with
// FindWindow(id) and event tables bind their handlers by these numbers, so the
// values are fixed; add new ids here, grouped by the window that owns them.
#pragma once

// Keywords page: the group editor's buttons.
constexpr int IDC_KEYWORD_CLEAR = 1037;  // "Clear": empty the editor
constexpr int IDC_KEYWORD_ADD = 1169;    // "Add" / "Apply": store the editor's group
