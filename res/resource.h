// Resource identifiers of dravix.exe, shared by the resource script and the code.
#pragma once

#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_EXIT 147
#define IDD_INTRO 152
#define IDD_CAPTURE 160
#define IDD_NEW_CATEGORY 172
#define IDD_OPTIONS_GENERAL 190   // the pages of the options dialog ("选项")
#define IDD_OPTIONS_CHORDS 191
#define IDD_OPTIONS_PASTE 192
#define IDD_OPTIONS_PRIVACY 193

#define IDR_MAINFRAME 128      // application icon, toolbar bitmap and toolbar
#define IDB_HEADER_CONTENT 132
#define IDB_HEADER_NUMBER 133
#define IDB_HEADER_TIME 134
#define IDB_TREE_NODES 135     // the tree's pictures in one strip: root, history, slots, category
#define IDI_SLOT 137           // a slot clip (the hotkeys picture)
#define IDB_LIST_KINDS 139     // the list's pictures of a row's kind in one strip: text, picture, file list
#define IDI_TRAY_FRAME1 142
#define IDI_TRAY_FRAME2 143
#define IDI_TRAY_FRAME3 144
#define IDI_TRAY_FRAME4 145
#define IDR_TRAY_MENU 146
#define IDR_MAIN_MENU 153
#define IDC_CAPTURE_CURSOR 161
#define IDC_CAPTURE_SIZE_NWSE 162
#define IDC_CAPTURE_SIZE_NESW 163
#define IDC_CAPTURE_MOVE 164
#define IDC_CAPTURE_SIZE_WE 165
#define IDC_CAPTURE_SIZE_NS 166
#define IDI_TRAY_PAUSED 169

#define IDS_ABOUTBOX 101
#define IDS_PANE_PREVIEW 102
#define IDS_PANE_CLASS 103

#define IDC_CLIP_LIST 1000
#define IDC_CATEGORY_TREE 1001
#define IDC_PREVIEW 1002
#define IDC_SEARCH 1003
#define IDC_EXIT_TO_TRAY 1004
#define IDC_EXIT_PROGRAM 1005
#define IDC_INTRO_NOT_AGAIN 1013
#define IDC_INTRO_TEXT 1014
#define IDC_CATEGORY_NAME 1014

// The options dialog's controls (ui/OptionsGeneralPage.cpp and the other pages name them too).
#define IDC_OPT_START_WITH_WINDOWS 1100
#define IDC_OPT_ALWAYS_ON_TOP 1101
#define IDC_OPT_PAUSED 1102
#define IDC_OPT_RESTORE_CLIPBOARD 1103
#define IDC_OPT_RESTORE_LAST_RUN 1104
#define IDC_OPT_MAKE_ROOM 1105
#define IDC_OPT_QUEUE_ON_COPY 1106
#define IDC_OPT_EXPORT 1107
#define IDC_OPT_IMPORT 1108
#define IDC_OPT_CHORD_DEFAULTS 1109
#define IDC_OPT_CHORD_KEY 1110     // + the action's place (options::allChordActions), 1110-1116
#define IDC_OPT_CHORD_OFF 1120     // the same, 1120-1126
#define IDC_OPT_NO_CHORD_LIST 1130
#define IDC_OPT_NO_CHORD_NAME 1131
#define IDC_OPT_NO_CHORD_ADD 1132
#define IDC_OPT_NO_CHORD_PICK 1133
#define IDC_OPT_NO_CHORD_REMOVE 1134
#define IDC_OPT_PASTE_LIST 1140
#define IDC_OPT_PASTE_MATCH 1141
#define IDC_OPT_PASTE_KEYS 1142
#define IDC_OPT_PASTE_ADD 1143
#define IDC_OPT_PASTE_CHANGE 1144
#define IDC_OPT_PASTE_REMOVE 1145
#define IDC_OPT_EXCLUDED_LIST 1150
#define IDC_OPT_EXCLUDED_PATH 1151
#define IDC_OPT_EXCLUDED_ADD 1152
#define IDC_OPT_EXCLUDED_PICK 1153
#define IDC_OPT_EXCLUDED_REMOVE 1154
#define IDC_OPT_KEPT_RUNS 1160
#define IDC_OPT_KEPT_RUNS_SPIN 1161
#define IDC_OPT_KEPT_MEGABYTES 1162
#define IDC_OPT_KEPT_MEGABYTES_SPIN 1163

// "在多台电脑间同步": the 同步 page, its controls, the tray's command.
#define IDD_OPTIONS_SYNC 1499
#define IDC_SYNC_ENABLED 1450
#define IDC_SYNC_FOLDER 1451
#define IDC_SYNC_BROWSE 1452
#define IDC_SYNC_PASSPHRASE 1453
#define IDC_SYNC_REPEATED 1454
#define IDC_SYNC_MACHINE 1455
#define IDC_SYNC_PICTURES 1456
#define IDC_SYNC_TO_CLIPBOARD 1457
#define IDC_SYNC_PASSPHRASE_KEPT 1458
#define IDC_SYNC_FOLDER_SIZE 1459

#define ID_TRAY_SHOW 32771
#define ID_TRAY_EXIT 32772
#define ID_TRAY_ABOUT 32773
#define ID_TRAY_PAUSE 32775
#define ID_TRAY_AUTORUN 32777
#define ID_TRAY_TOPMOST 32778
#define ID_TRAY_RESUME 32779
#define ID_CAPTURE 32783
#define ID_FILE_OPEN 32790
#define ID_FILE_SAVE 32791
#define ID_DELETE_CLIPS 32792
#define ID_FILE_SAVE_AS 32795
#define ID_TRAY_CAPTURE 32796
#define ID_FILE_EXIT 32797
#define ID_HELP_CONTENTS 32798
#define ID_HOMEPAGE 32800
#define ID_FILE_OPEN_LAST_RUN 32801
#define ID_FILE_EXCLUDED_PROGRAMS 32807
#define ID_OPTIONS 32808  // "选项(&O)…", in the 工具 menu and the tray menu

// Private at rest: the password dialog of archives (ui/PasswordDlg.cpp), the 隐私 page's switches,
// the wipe and the protected Save As.
#define IDD_PASSWORD 1300
#define IDC_PASSWORD 1301
#define IDC_PASSWORD_AGAIN 1302
#define IDC_PASSWORD_AGAIN_LABEL 1303
#define IDC_OPT_SEAL_STORE 1304
#define IDC_OPT_SKIP_SECRETS 1305
#define ID_FILE_WIPE 32920
#define ID_TRAY_WIPE 32921
#define ID_FILE_SAVE_PROTECTED 32922
// Paste as ("粘贴为"): the list menu's items, the first id plus the transform's number
// (store::Transform); CClipListCtrl::kMenuPasteAs is the same number.
#define ID_PASTE_AS_FIRST 32970
#define ID_PASTE_AS_LAST 32999

// The toolbar resource type of the framework: version, button size, count, command ids.
#define RT_TOOLBAR_DATA 241

// Find anything: the filter button and the earlier-runs checkbox beside the search box, and the
// filter menu's items (app::searchbox::filterMenuIdCount() of them, up to 32969).
#define IDC_SEARCH_FILTERS 1350
#define IDC_SEARCH_EARLIER 1351
#define ID_SEARCH_MENU_FIRST 32940
