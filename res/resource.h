// Numeric ids of the program's dialogs and controls. Windows are found with
// FindWindow(id) and event tables bind their handlers by these numbers, so the
// values are fixed; add new ids here, grouped by the window that owns them.
#pragma once

// Keywords page: the group editor's buttons.
constexpr int IDC_KEYWORD_CLEAR = 1037;  // "Clear": empty the editor
constexpr int IDC_KEYWORD_ADD = 1169;    // "Add" / "Apply": store the editor's group

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
constexpr int IDC_PROP_VIEW = 1166;
constexpr int IDC_PROP_OK = 1;
