/* Every resource id of both programs, by name. Shared by the C++ sources and the .rc files. */
#ifndef SENTROVIA_IDS_H
#define SENTROVIA_IDS_H

#include "strings.h"

/* Messages to the Monitor's main window from its companion library: the set of running processes
   changed; a watched place changed (wParam: its area; lParam 0, or the place's index plus one
   when that place could not be watched) */
#define WM_SENTROVIA_REALTIME 9024
#define WM_SENTROVIA_PLACE    9025

/* Icons: the idle icon (also the programs' own), the older idle icon, and the tray notes shown
   while areas are checked */
#define IDI_MONITOR           101
#define IDI_VERIFY_STARTUP    157
#define IDI_VERIFY_BROWSER    158
#define IDI_MONITOR_CLASSIC   159
#define IDI_VERIFY_SYSTEM     161

/* Sounds */
#define IDW_ALERT             170

/* Fixed pictures of the alerts (161, the system-file picture, is IDI_VERIFY_SYSTEM) */
#define IDI_ALERT_IE_HELPER   162
#define IDI_ALERT_SERVICE     164
#define IDI_ALERT_STARTUP     165
#define IDI_ALERT_TASK        166
#define IDI_ALERT_ACTIVEX     171
#define IDI_ALERT_DELAYED     200

/* Alert dialogs */
#define IDD_ALERT_NEW_PROGRAM     131
#define IDD_ALERT_TASK            138
#define IDD_ALERT_IE_HELPER       140
#define IDD_ALERT_FILE_TYPE       143
#define IDD_ALERT_SERVICE         171
#define IDD_ALERT_SYSTEM_FILE     189
#define IDD_ALERT_HIDDEN_FILE     191
#define IDD_ALERT_DELAYED_PROGRAM 192
#define IDD_ALERT_ACTIVEX         193
#define IDD_RESTART_COMMANDS      194

/* Windows Restart Commands (194): the commands, the legend, Delete; IDCANCEL closes */
#define IDC_RESTART_TEXT          1290
#define IDC_RESTART_LEGEND        1291
#define IDC_RESTART_DELETE        1292

/* Item alerts (131, 138, 140, 171, 191, 192, 193); the answers are IDYES and IDNO, or IDOK and
   IDCANCEL in the hidden-file alert */
#define IDC_ALERT_NAME            100
#define IDC_ALERT_ICON            117
#define IDC_ALERT_CHECK           1014
#define IDC_ALERT_PATH            1026
#define IDC_ALERT_VERSION         1029
#define IDC_ALERT_COMPANY         1030
#define IDC_ALERT_DESCRIPTION     1031
#define IDC_ALERT_COPYRIGHT       1032
#define IDC_ALERT_MESSAGE         1036
#define IDC_ALERT_INFO            1067
#define IDC_ALERT_VERSION_LABEL   1097
#define IDC_ALERT_PICTURE         1130
/* Service alert (171): 1143-1144 */
#define IDC_SERVICE_HEADING       1143
#define IDC_SERVICE_STATUS        1144

/* File-type alert (143): 1025-1028 texts, 1111-1121 the approved and the new command */
#define IDC_FILETYPE_HEADING      1025
#define IDC_FILETYPE_CURRENT_LABEL 1026
#define IDC_FILETYPE_NEW_LABEL    1027
#define IDC_FILETYPE_QUESTION     1028
#define IDC_FILETYPE_CURRENT_NAME 1111
#define IDC_FILETYPE_CURRENT_ICON 1112
#define IDC_FILETYPE_CURRENT_PATH 1113
#define IDC_FILETYPE_CURRENT_COMPANY 1114
#define IDC_FILETYPE_CURRENT_INFO 1115
#define IDC_FILETYPE_NEW_ICON     1116
#define IDC_FILETYPE_NEW_PATH     1117
#define IDC_FILETYPE_NEW_NAME     1118
#define IDC_FILETYPE_NEW_COMPANY  1119
#define IDC_FILETYPE_NEW_INFO     1120
#define IDC_FILETYPE_EXTENSION    1121

/* System-file alert (189): 1014, 1025-1028 texts, 1130 picture, 1170-1176 */
#define IDC_SYSFILE_STOP_WATCHING 1014
#define IDC_SYSFILE_HEADING       1025
#define IDC_SYSFILE_ACCEPT_HINT   1026
#define IDC_SYSFILE_REJECT_HINT   1027
#define IDC_SYSFILE_COMMENT       1028
#define IDC_SYSFILE_VIEW_NEW      1170
#define IDC_SYSFILE_VIEW_PREVIOUS 1171
#define IDC_SYSFILE_ACCEPT        1172
#define IDC_SYSFILE_REJECT        1173
#define IDC_SYSFILE_FRAME         1174
#define IDC_SYSFILE_NAME          1175
#define IDC_SYSFILE_LOCATION      1176

/* ---------------------------------------------------------------- Explorer */
/* Pages: the page ids are also the main window's commands, StartTab's values and help ids */
#define IDM_PAGE_STARTUP          6026
#define IDM_PAGE_COOKIES          6028
#define IDM_PAGE_ACTIVE_TASKS     6029
#define IDM_PAGE_OPTIONS          6033
#define IDM_PAGE_SERVICES         6038
#define IDM_PAGE_SCHEDULED_TASKS  6039
#define IDM_PAGE_IE_HELPERS       6040
#define IDM_PAGE_FILE_TYPES       6042
#define IDM_PAGE_HIDDEN_FILES     6052
#define IDM_PAGE_DELAYED_START    6055
#define IDM_PAGE_ACTIVEX          6056
/* Other commands of the Explorer's main window */
#define IDM_EXPLORER_EXIT         6030
#define IDM_TOGGLE_AUTOSTART      6031
#define IDM_RESTART_COMMANDS      6034
#define IDM_COOKIE_LIST           6045
#define IDM_MONITOR_LIST          6046
#define IDM_BLACKLIST             6047
#define IDM_EXIT_REQUEST          6048
#define IDC_SHEET_STATUS          6050
/* The help page that explains a program coming back after every answer */
#define IDM_HELP_ME               6051

/* Page templates (114, the Options page, comes from the options page's own resources) */
#define IDD_PAGE_STARTUP          102
#define IDD_PAGE_COOKIES          108
#define IDD_PAGE_ACTIVE_TASKS     110
#define IDD_PAGE_OPTIONS_FRAME    114
#define IDD_PAGE_SERVICES         132
#define IDD_PAGE_SCHEDULED_TASKS  137
#define IDD_PAGE_IE_HELPERS       139
#define IDD_PAGE_FILE_TYPES       142
#define IDD_PAGE_HIDDEN_FILES     195
#define IDD_PAGE_DELAYED_START    197
#define IDD_PAGE_ACTIVEX          201

/* Add File Type Extension (145): the label, the extension's field, OK and Cancel */
#define IDD_ADD_FILE_TYPE         145
#define IDC_ADD_FILE_TYPE_LABEL   1270
#define IDC_ADD_FILE_TYPE_FIELD   1271

/* List page controls (the same on every page) */
#define IDC_PAGE_ENABLE           10
#define IDC_PAGE_DISABLE          11
#define IDC_PAGE_LIST             1000
#define IDC_PAGE_INTRO            1001
#define IDC_PAGE_HINT             1002
#define IDC_PAGE_REMOVE           1003
#define IDC_PAGE_CLOSE            1004
#define IDC_PAGE_REFRESH          1006
#define IDC_PAGE_KILL             1007
#define IDC_PAGE_INFO             1008
#define IDC_PAGE_CHECK            1014
#define IDC_PAGE_CHECK2           1015
#define IDC_PAGE_ADD              1064
#define IDC_PAGE_HELP             1077
#define IDC_PAGE_PATROL           1112
#define IDC_PAGE_HELP_LABEL       1134
#define IDC_PAGE_PATROL_LABEL     1135
#define IDC_PAGE_DELETE           1184
#define IDC_PAGE_VIEW             1129
/* A page's own controls between its list and its buttons */
#define IDC_PAGE_BAND_FIRST       1300
#define IDC_PAGE_BAND_LAST        1319
/* The Cookies page's own controls */
#define IDC_COOKIE_FIELD_LABEL    1300
#define IDC_COOKIE_FIELD          1301
#define IDC_COOKIE_BROWSER_IE     1302
#define IDC_COOKIE_BROWSER_MOZILLA 1303
#define IDC_COOKIE_ALWAYS         1304
#define IDC_COOKIE_FOLDER_TEXT    1305
#define IDC_COOKIE_FOLDER         1306

/* The Delayed Start page's button and menu items */
#define IDC_PAGE_DELAY_OPTIONS    1340
#define IDM_PAGE_LAUNCH           1341
#define IDM_PAGE_RESTORE_DELAYED  1342

/* Program Delay Startup Options (185): title, parameters, delay, window state */
#define IDD_DELAY_OPTIONS         185
#define IDC_DELAY_TITLE_LABEL     1330
#define IDC_DELAY_TITLE           1331
#define IDC_DELAY_PARAMETERS_LABEL 1332
#define IDC_DELAY_PARAMETERS      1333
#define IDC_DELAY_TIME_LABEL      1334
#define IDC_DELAY_MINUTES         1335
#define IDC_DELAY_MINUTES_SPIN    1336
#define IDC_DELAY_MINUTES_LABEL   1337
#define IDC_DELAY_SECONDS         1338
#define IDC_DELAY_SECONDS_LABEL   1339
#define IDC_DELAY_WINDOW_LABEL    1343
#define IDC_DELAY_WINDOW          1344

/* Program information (121) */
#define IDD_INFO                  121
#define IDC_INFO_ICON             117
#define IDC_INFO_PRODUCT          100
#define IDC_INFO_PATH             1026
#define IDC_INFO_COMPANY          1030
#define IDC_INFO_COMPANY_LABEL    1037
#define IDC_INFO_VERSION          1029
#define IDC_INFO_VERSION_LABEL    1034
#define IDC_INFO_DESCRIPTION      1031
#define IDC_INFO_COPYRIGHT        1032
#define IDC_INFO_COPYRIGHT_LABEL  1025
#define IDC_INFO_LOCATION         1039
#define IDC_INFO_STATE            1010
#define IDC_INFO_CREATED          1011
#define IDC_INFO_WRITTEN          1013
#define IDC_INFO_SIZE             1181
#define IDC_INFO_DETECTED         1014
#define IDC_INFO_CREATED_LABEL    1040
#define IDC_INFO_WRITTEN_LABEL    1041
#define IDC_INFO_SIZE_LABEL       1042
#define IDC_INFO_DETECTED_LABEL   1043
#define IDC_INFO_NOTE             1033
#define IDC_INFO_START_TYPE       1090
#define IDC_INFO_START_TYPE_LABEL 1091
#define IDC_INFO_STATUS_LABEL     1092
#define IDC_INFO_STOP             3
#define IDC_INFO_RUN              4
#define IDC_INFO_EXPAND           5
#define IDC_INFO_APPLY            12
#define IDC_INFO_LOOKUP           1067
#define IDC_INFO_NOTE_BUTTON      1069
#define IDC_INFO_NEXT             1082
#define IDC_INFO_PREVIOUS         1083

/* The cookie viewer (184): its list, a line of text and the two removals */
#define IDD_COOKIE_VIEWER         184
#define IDC_COOKIE_LIST           1000
#define IDC_COOKIE_VIEWER_INTRO   1001
#define IDC_COOKIE_REMOVE_UNCHECKED 1320
#define IDC_COOKIE_REMOVE_CHECKED 1321

/* List page context menu (1008, 1003, 10, 11, 1006, 1007, 1064 and 1077 as the buttons) */
#define IDM_PAGE_LISTING          9
#define IDM_PAGE_ONLINE_INFO      1067
#define IDM_PAGE_DELETE_ON_REBOOT 1144
#define IDM_PAGE_VIEW_NOTE        1164
#define IDM_PAGE_VIEW_NOTEPAD     1180
#define IDM_PAGE_MOVE_TO_DELAYED  1195
#define IDM_PAGE_EXPLORE_FOLDER   1201
#define IDM_PAGE_PROPERTIES       1202

/* Explorer texts that have no number of their own elsewhere: 2000-2099 */
#define IDS_STARTUP_PAGE_INTRO    2000
#define IDS_STARTUP_PAGE_HINT     2001
#define IDS_COLUMN_COMPANY        2002
#define IDS_COLUMN_TYPE           2003
#define IDS_COLUMN_FIRST_DETECTED 2004
#define IDS_COLUMN_MODULE         2005
#define IDS_COLUMN_DESCRIPTION    2006
#define IDS_ENABLE                2007
#define IDS_REMOVE                2008
#define IDS_ADD                   2009
#define IDS_REFRESH               2010
#define IDS_EXPLORE_FOLDER        2011
#define IDS_PROGRAM_PROPERTIES    2012
#define IDS_VIEW_NOTE             2013
#define IDS_MOVE_TO_DELAYED       2014
#define IDS_DELETE_ON_REBOOT_ITEM 2015
#define IDS_SENTROVIA_LOG         2016
#define IDS_COLUMN_NAME           2017
#define IDS_COLUMN_PROGRAM        2018
#define IDS_COLUMN_STARTUP        2019
#define IDS_COLUMN_NEXT_RUN_TIME  2020
#define IDS_COLUMN_LAST_RUN_TIME  2021
#define IDS_COLUMN_CLASS          2022
#define IDS_COLUMN_EXTENSION      2023
#define IDS_SOURCE_SYSTEM         2024
#define IDS_SOURCE_EXPLORER       2025
#define IDS_ADD_FILE_TYPE_CAPTION 2026
#define IDS_COLUMN_PATH           2027
#define IDS_COLUMN_LAST_WRITTEN   2028
#define IDS_UNHIDE                2029
#define IDS_VIEW_IN_NOTEPAD       2030
#define IDS_HIDDEN_SYSTEM         2031
#define IDS_VIEW_COOKIES          2032
#define IDS_ALWAYS_VIEW_COOKIES   2033
#define IDS_BROWSER_IE            2034
#define IDS_BROWSER_MOZILLA       2035
#define IDS_REMOVE_UNCHECKED      2036
#define IDS_REMOVE_CHECKED        2037
#define IDS_COOKIE_VIEWER_CAPTION 2038
#define IDS_COOKIE_VIEWER_INTRO   2039
#define IDS_COLUMN_COOKIE         2040
#define IDS_COLUMN_VALUE          2041
#define IDS_COLUMN_EXPIRES        2042
#define IDS_COLUMN_SECURE         2043
#define IDS_COOKIE_FOLDER_BUTTON  2044
#define IDS_VIEW_ITEM             2045
#define IDS_NEW_FILTER_LABEL      2046
#define IDS_COOKIE_FOLDER_LABEL   2047
#define IDS_DELAY_OPTIONS_BUTTON  2048
#define IDS_LAUNCH_PROGRAM        2049
#define IDS_DELAY_OPTIONS_ITEM    2050
#define IDS_RESTORE_TO_STARTUP    2051
#define IDS_DELAY_TITLE_LABEL     2052
#define IDS_DELAY_PARAMETERS_LABEL 2053
#define IDS_DELAY_WINDOW_LABEL    2054
/* The listing report: 2070-2089 */
#define IDS_REPORT_LOG_TITLE      2070
#define IDS_NO_DESCRIPTION_AVAILABLE 2071
#define IDS_LOOKUP_ONLINE_LINK    2072
/* The settings export and the spreadsheet report: 2060-2069 */
#define IDS_SETTINGS_SAVED        2060

/* Product version, as the version resources carry it */
#define SENTROVIA_VERSION_BINARY 15,9,2008,0
#define SENTROVIA_VERSION_TEXT "15.9.2008.0"

#endif
