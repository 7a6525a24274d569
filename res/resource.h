// Numeric ids of the program's dialogs and controls. Windows are found with
// FindWindow(id) and event tables bind their handlers by these numbers, so the
// values are fixed; add new ids here, grouped by the window that owns them.
#pragma once

// Keywords page: the group editor's buttons.
constexpr int IDC_KEYWORD_CLEAR = 1037;  // "Clear": empty the editor
constexpr int IDC_KEYWORD_ADD = 1169;    // "Add" / "Apply": store the editor's group

// ---- Tray icon (id 200) and its menu, tray animations, splash, setup alert.
constexpr int IDI_SKIMBOLT = 102;             // the application icon
constexpr int IDR_TRAY_MENU = 200;            // tray icon id, its menu and its first tip
constexpr int ID_TRAY_DISABLE = 32771;        // "&Disable" / "&Enable"
constexpr int ID_TRAY_OPEN = 32772;           // "&Open": the property sheet
constexpr int ID_TRAY_EXIT = 32773;           // "E&xit"
constexpr int ID_TRAY_ABOUT = 32774;          // "&About Skimbolt"
constexpr int ID_TRAY_SCAN_NOW = 32775;       // "&Scan Now" / "&Stop Scanning"
constexpr int ID_TRAY_VIEW_STORIES = 32776;   // "&View Stories"
constexpr int IDB_TRAY_DISABLED = 160;        // animation strips of the tray states
constexpr int IDB_TRAY_NORMAL = 161;
constexpr int IDB_TRAY_NEW_STORIES = 162;
constexpr int IDB_TRAY_SCANNING = 163;
constexpr int IDB_SPLASH = 167;               // the splash picture
constexpr int IDD_SETUP_ALERT = 111;
constexpr int IDI_SETUP_ALERT = 203;
constexpr int IDC_SETUP_LINE1 = 1098;         // first missing item
constexpr int IDC_SETUP_LINE2 = 1099;         // second missing item
constexpr int IDC_SETUP_HOW = 1100;           // "How?", disabled

// Main window (hidden dialog 103).
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SKIMBOLT_DIALOG = 103;
constexpr int IDM_ABOUTBOX = 16;           // system-menu item "&About Skimbolt..."
constexpr int IDC_MAIN_HELP = 1016;        // the hidden window's "Help" button

// About box 100.
constexpr int IDC_ABOUT_WEB_ADDRESS = 1135;  // the maker's web address; opens it

// Source status window.
constexpr int IDD_SOURCE_STATUS = 2100;
constexpr int IDC_STATUS_PAGES = 2101;     // every scanned page, failing ones first
constexpr int IDC_STATUS_PROBLEMS = 2102;  // problems met with files this run
constexpr int IDC_STATUS_REFRESH = 2103;
constexpr int IDC_STATUS_SUMMARY = 2104;
