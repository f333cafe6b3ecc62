/* Every resource id of both programs, by name. Shared by the C++ sources and the .rc files. */
#ifndef SENTROVIA_IDS_H
#define SENTROVIA_IDS_H

#include "strings.h"

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

/* Product version, as the version resources carry it */
#define SENTROVIA_VERSION_BINARY 15,9,2008,0
#define SENTROVIA_VERSION_TEXT "15.9.2008.0"

#endif
