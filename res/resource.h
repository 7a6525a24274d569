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

// News Sources page (dialog 105).
constexpr int IDD_SOURCES_PAGE = 105;
constexpr int IDC_SOURCE_LIST = 1043;       // the sources, with check boxes (active)
constexpr int IDC_CATEGORY_GROUP = 1076;    // "Categories" group box
constexpr int IDC_CUSTOM_URL = 1057;        // "&Custom URL": opens dialog 109
constexpr int IDC_UPDATE_SOURCES = 1175;    // "&Update Sources"
constexpr int IDC_CATEGORY_SELECT_ALL = 1197;
constexpr int IDC_CATEGORY_CLEAR = 1198;
// The category check boxes, by category number 1 to 13.
constexpr int IDC_CATEGORY_BOXES[13] = {1044, 1063, 1051, 1055, 1046, 1049, 1052,
                                        1054, 1047, 1065, 1053, 1056, 1199};
// Warning: Empty News Source (dialog 207).
constexpr int IDD_EMPTY_SOURCE_WARNING = 207;
constexpr int IDC_EMPTY_SOURCE_ICON = 1207;
constexpr int IDC_EMPTY_SOURCE_NAME = 1202;  // the source's name, bold, centred
// Source update progress (dialog 115).
constexpr int IDD_UPDATE_PROGRESS = 115;
constexpr int IDC_UPDATE_STATUS = 1178;
constexpr int IDI_UPDATE_PROGRESS_ICON = 102;  // the application icon

// Custom URL dialog (dialog 109).
constexpr int IDD_CUSTOM_URL = 109;
constexpr int IDI_CUSTOM_URL = 109;
constexpr int IDB_CUSTOM_URL = 220;         // the picture's bitmap
constexpr int IDC_URL_PICTURE = 1206;
constexpr int IDC_URL_IMPORT = 1028;        // "Import": the browser's (or clipboard's) URL
constexpr int IDC_URL_ADDRESS = 1007;       // the address field
constexpr int IDC_URL_ADD = 1017;           // "Add" (default button)
constexpr int IDC_URL_LIST = 1008;          // the URLs, with check boxes (active)
constexpr int IDC_URL_DELETE = 1090;
constexpr int IDC_URL_OK = 1;
constexpr int IDC_URL_HELP = 5009;          // context help: wx's own help id (wxID_HELP), as 57670 is beyond wx's id range
constexpr int IDC_URL_CHECK_RESULT = 1301;  // what the last check found on the page
