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
constexpr int IDC_SHEET_SOURCE_STATUS = 2105;  // opens it from the sheet's status panel
constexpr int ID_STORY_SOURCE_STATUS = 2106;   // and from the story list's menu
// "Menu": the program's menu (the tray menu's commands) from a window, for
// desktops without a tray; on the story list and on the settings sheet.
constexpr int IDC_PROGRAM_MENU = 2107;

// The message that no web browser could be started, with the address to copy.
constexpr int IDD_UNOPENED_ADDRESS = 2120;
constexpr int IDC_UNOPENED_ADDRESS_TEXT = 2121;  // the address, selectable

// ---- Configuration sheet: its own row below the pages.
constexpr int IDC_SHEET_DONE = 1009;           // "Done": hides the sheet
// "Help": context help. Its command is the classic help command 57670, but
// a toolkit window id stops at 32767, so the button carries the toolkit's
// own help id (wxID_HELP) instead.
constexpr int ID_HELP_COMMAND = 57670;
constexpr int IDC_SHEET_HELP = 5009;
constexpr int IDC_SHEET_STATUS_FRAME = 1185;   // frame around the status panel
constexpr int IDC_SHEET_ACTIVE_LABEL = 1186;   // "Active Sources:"
constexpr int IDC_SHEET_SOURCES_ICON = 1187;   // green sign: some source is active
constexpr int IDC_SHEET_FAILING = 2120;        // ", 3 failing" beside the count, when pages fail
constexpr int IDC_SHEET_NO_SOURCES_ICON = 1188;  // red sign: no source is active
constexpr int IDC_SHEET_ACTIVE_COUNT = 1181;   // number of active sources
constexpr int IDI_SHEET = 102;                 // the sheet's icon
constexpr int IDB_SOURCES_ACTIVE = 165;
constexpr int IDB_NO_SOURCES = 166;

// ---- Keywords page (the Clear and Add ids are above).
constexpr int IDC_KEYWORD_LIST = 1004;         // the stored groups
constexpr int IDC_KEYWORD_WORD1 = 1005;        // word fields of slots 1 to 6:
constexpr int IDC_KEYWORD_WORD2 = 1011;        //   1005, 1011, 1012, 1013, 1014, 1015
constexpr int IDC_KEYWORD_WORD3 = 1012;
constexpr int IDC_KEYWORD_WORD4 = 1013;
constexpr int IDC_KEYWORD_WORD5 = 1014;
constexpr int IDC_KEYWORD_WORD6 = 1015;
constexpr int IDC_KEYWORD_TOGGLE1 = 1031;      // INCLUDE/EXCLUDE toggles of slots 1 to 6: 1031 to 1036
constexpr int IDC_KEYWORD_REMOVE = 1170;
constexpr int IDC_KEYWORD_FRAME = 1194;        // "Keyword Group"
constexpr int IDC_KEYWORD_INCLUDE_SIGN = 1203;
constexpr int IDC_KEYWORD_EXCLUDE_SIGN = 1204;
constexpr int IDC_KEYWORD_PREVIEW = 1230;      // recent stories the edited group would match
constexpr int IDB_INCLUDE = 217;
constexpr int IDB_EXCLUDE = 218;

// ---- Options page.
constexpr int IDC_OPTIONS_POLL_MINUTES = 1018;
constexpr int IDC_OPTIONS_STANDARD = 1021;
constexpr int IDC_OPTIONS_EXTENSIVE = 1022;
constexpr int IDC_OPTIONS_PLAY_SOUND = 1038;
constexpr int IDC_OPTIONS_SOUND_FILE = 1039;
constexpr int IDC_OPTIONS_BROWSE = 1040;
constexpr int IDC_OPTIONS_BREAKING_NEWS = 1042;
constexpr int IDC_OPTIONS_FLASH_TRAY = 1060;
constexpr int IDC_OPTIONS_AUTO_POPUP = 1068;
constexpr int IDC_OPTIONS_QUICKSCAN = 1072;
constexpr int IDC_OPTIONS_POLL_SPIN = 1105;
constexpr int IDC_OPTIONS_PLAY = 1132;
constexpr int IDC_OPTIONS_RESTORE_DEFAULTS = 1134;
constexpr int IDC_OPTIONS_DISPLAY_NEW = 1154;
constexpr int IDC_OPTIONS_DISPLAY_CURRENT = 1155;
constexpr int IDC_OPTIONS_DISPLAY_ASK = 1156;
constexpr int IDC_OPTIONS_SEARCHING_FRAME = 1192;
constexpr int IDC_OPTIONS_DELIVERY_FRAME = 1193;
constexpr int IDC_OPTIONS_NOTIFICATIONS = 1231;  // "Show desktop notifications"
constexpr int IDC_OPTIONS_AUTOSTART = 1232;      // "Start Skimbolt when I log in"
constexpr int IDC_OPTIONS_DISPLAY_NOTE = 1233;   // why the display choice is off on this desktop
constexpr int IDB_PLAY = 221;

// ---- Connection page.
constexpr int IDC_CONNECTION_STATUS = 1041;
constexpr int IDC_PROXY_SERVER = 1091;
constexpr int IDC_PROXY_PORT = 1092;
constexpr int IDC_PROXY_USER = 1093;
constexpr int IDC_PROXY_PASSWORD = 1094;
constexpr int IDC_USE_PROXY = 1095;
constexpr int IDC_PROXY_SERVER_LABEL = 1111;
constexpr int IDC_PROXY_PORT_LABEL = 1112;
constexpr int IDC_PROXY_USER_LABEL = 1113;
constexpr int IDC_PROXY_PASSWORD_LABEL = 1114;
constexpr int IDC_CONNECTION_STATUS_FRAME = 1195;
constexpr int IDC_PROXY_FRAME = 1196;
constexpr int IDC_CONNECTION_PICTURE = 1205;
constexpr int IDB_CONNECTION = 219;

// Story list window (dialog 110), its images and its popup menu.
constexpr int IDD_STORY_LIST = 110;
constexpr int IDI_STORY_LIST = 110;         // the window's small icon
constexpr int IDB_STORY_STATES = 164;       // strip of the four state images
constexpr int IDC_STORY_LIST = 1058;
constexpr int IDC_STORY_DELETE = 1006;
constexpr int IDC_STORY_DELETE_ALL = 1059;
constexpr int IDC_STORY_VIEW = 1061;
constexpr int IDC_STORY_BOOKMARK = 1167;
constexpr int IDC_STORY_DONE = 1;
constexpr int IDC_STORY_ICON_NEW = 1149;
constexpr int IDC_STORY_ICON_UNREAD = 1150;
constexpr int IDC_STORY_ICON_READ = 1151;
constexpr int IDC_STORY_ICON_BOOKMARKED = 1148;
constexpr int IDC_STORY_LABEL_NEW = 1142;
constexpr int IDC_STORY_LABEL_UNREAD = 1143;
constexpr int IDC_STORY_LABEL_BOOKMARKED = 1147;
constexpr int IDC_STORY_LABEL_READ = 1146;
constexpr int IDC_STORY_COUNT_NEW = 1141;
constexpr int IDC_STORY_COUNT_UNREAD = 1140;
constexpr int IDC_STORY_COUNT_BOOKMARKED = 1145;
constexpr int IDC_STORY_COUNT_READ = 1144;
constexpr int IDC_STORY_FRAME = 1152;
constexpr int IDC_STORY_HELP = 5009;        // wx's own help id (wxID_HELP), as 57670 is beyond wx's id range
constexpr int IDR_STORY_MENU = 110;
constexpr int ID_STORY_PROPERTIES = 32777;
constexpr int ID_STORY_VIEW = 32778;
constexpr int ID_STORY_DELETE = 32779;
constexpr int ID_STORY_MARK_NEW = 32780;
constexpr int ID_STORY_MARK_UNREAD = 32781;
constexpr int ID_STORY_MARK_READ = 32782;
constexpr int ID_STORY_BOOKMARK = 32783;

// Display-choice dialog (dialog 113): where a story is shown.
constexpr int IDD_DISPLAY_CHOICE = 113;
constexpr int IDC_DISPLAY_PICTURE = 1209;
constexpr int IDC_DISPLAY_NEW = 1158;
constexpr int IDC_DISPLAY_CURRENT = 1159;
constexpr int IDC_DISPLAY_CANCEL = 2;
constexpr int IDC_DISPLAY_ALWAYS = 1157;

// Story properties dialog (dialog 114).
constexpr int IDD_STORY_PROP = 114;
constexpr int IDC_PROP_ICON = 1168;
constexpr int IDC_PROP_HEADLINE = 1161;
constexpr int IDC_PROP_SOURCE = 1162;
constexpr int IDC_PROP_URL = 1171;
constexpr int IDC_PROP_KEYWORDS = 1163;
constexpr int IDC_PROP_DESCRIPTION = 1165;
constexpr int IDC_PROP_FOUND = 1172;        // the time found (an addition of ours)
constexpr int IDC_PROP_VIEW = 1166;
constexpr int IDC_PROP_OK = 1;

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
