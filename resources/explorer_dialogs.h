/* Dialog and control ids of the Explorer's dialogs (history viewer, patrol time, standing
   answers, protection) and of its Options page. Each id is guarded: ids.h may name the same
   number first. */
#ifndef SENTROVIA_EXPLORER_DIALOGS_H
#define SENTROVIA_EXPLORER_DIALOGS_H

#include "ids.h"

/* Templates */
#ifndef IDD_OPTIONS_PAGE
#define IDD_OPTIONS_PAGE          114
#endif
#ifndef IDD_HISTORY
#define IDD_HISTORY               141
#endif
#ifndef IDD_PATROL_TIME
#define IDD_PATROL_TIME           160
#endif
#ifndef IDD_PROTECTION
#define IDD_PROTECTION            194
#endif
#ifndef IDD_STANDING_ANSWERS
#define IDD_STANDING_ANSWERS      213
#endif

/* History viewer (141): the list, the explanation and two buttons; Close is IDOK */
#ifndef IDC_HISTORY_LIST
#define IDC_HISTORY_LIST          1000
#endif
#ifndef IDC_HISTORY_INTRO
#define IDC_HISTORY_INTRO         1102
#endif
#ifndef IDC_HISTORY_RESTORE
#define IDC_HISTORY_RESTORE       1104
#endif
#ifndef IDC_HISTORY_CLEAR
#define IDC_HISTORY_CLEAR         1106
#endif
#ifndef IDC_HISTORY_OLDER_NOTE
#define IDC_HISTORY_OLDER_NOTE    1108
#endif

/* Patrol time (160): 1050-1055 */
#ifndef IDC_PATROL_PROMPT
#define IDC_PATROL_PROMPT         1050
#endif
#ifndef IDC_PATROL_FIELD
#define IDC_PATROL_FIELD          1051
#endif
#ifndef IDC_PATROL_UNIT
#define IDC_PATROL_UNIT           1052
#endif
#ifndef IDC_PATROL_SLIDER
#define IDC_PATROL_SLIDER         1053
#endif
#ifndef IDC_PATROL_ZERO_HINT
#define IDC_PATROL_ZERO_HINT      1054
#endif
#ifndef IDC_PATROL_REALTIME
#define IDC_PATROL_REALTIME       1055
#endif

/* Standing answers (213): per row a check box and an allow and a deny button; 1243-1245 texts */
#ifndef IDC_HIDE_ALLOW_STARTUP
#define IDC_HIDE_ALLOW_STARTUP    1214
#define IDC_HIDE_DENY_STARTUP     1215
#define IDC_HIDE_ALLOW_IE         1216
#define IDC_HIDE_DENY_IE          1217
#define IDC_HIDE_ALLOW_TASKS      1218
#define IDC_HIDE_DENY_TASKS       1219
#define IDC_HIDE_ALLOW_SERVICES   1220
#define IDC_HIDE_DENY_SERVICES    1221
#define IDC_HIDE_ALLOW_ACTIVEX    1222
#define IDC_HIDE_DENY_ACTIVEX     1223
#define IDC_HIDE_ALLOW_HIDDEN     1224
#define IDC_HIDE_DENY_HIDDEN      1225
#define IDC_HIDE_ALLOW_SYSFILES   1226
#define IDC_HIDE_DENY_SYSFILES    1227
#define IDC_HIDE_ALLOW_HOMEPAGE   1228
#define IDC_HIDE_DENY_HOMEPAGE    1229
#define IDC_HIDE_ALLOW_FILETYPE   1231
#define IDC_HIDE_DENY_FILETYPE    1232
#define IDC_HIDE_STARTUP          1234
#define IDC_HIDE_IE               1235
#define IDC_HIDE_TASKS            1236
#define IDC_HIDE_SERVICES         1237
#define IDC_HIDE_ACTIVEX          1238
#define IDC_HIDE_HIDDEN           1239
#define IDC_HIDE_FILETYPE         1240
#define IDC_HIDE_SYSFILES         1241
#define IDC_HIDE_HOMEPAGE         1242
#define IDC_HIDE_INTRO            1243
#define IDC_HIDE_ALLOW_HEADING    1244
#define IDC_HIDE_DENY_HEADING     1245
#endif

/* Protection (194): 1250-1253; the one button is IDOK */
#ifndef IDC_PROTECT_TEXT
#define IDC_PROTECT_TEXT          1250
#define IDC_PROTECT_PATH          1251
#define IDC_PROTECT_TITLE         1252
#define IDC_PROTECT_CONSENT       1253
#endif

/* Options page (114) */
#ifndef IDC_OPTIONS_AUTOSTART
#define IDC_OPTIONS_AUTOSTART     1017
#define IDC_OPTIONS_SOUNDS        1020
#define IDC_OPTIONS_HISTORY       1024
#define IDC_OPTIONS_HIDE_TRAY     1025
#define IDC_OPTIONS_LOCK_TYPES    1026
#define IDC_OPTIONS_CONFIRM_EXIT  1027
#define IDC_OPTIONS_OLD_TRAY      1201
#define IDC_OPTIONS_DETAILED      1202
#define IDC_OPTIONS_LISTING       1108
#define IDC_OPTIONS_VIEW_HISTORY  1104
#define IDC_OPTIONS_VIEW_HOSTS    1105
#define IDC_OPTIONS_EXPORT        1106
#define IDC_OPTIONS_RESTORE_DELAYED 1107
#define IDC_OPTIONS_HIJACK_LOG    1109
#define IDC_OPTIONS_SPREADSHEET   1110
#define IDC_OPTIONS_STANDING      1236
#define IDC_OPTIONS_PATROL_HOME   1136
#define IDC_OPTIONS_PATROL_HOSTS  1137
#define IDC_OPTIONS_PATROL_RESTART 1138
#define IDC_OPTIONS_LABEL_RESTART 1139
#define IDC_OPTIONS_LABEL_HOME    1140
#define IDC_OPTIONS_LABEL_HOSTS   1141
#define IDC_OPTIONS_INTRO         1260
#define IDC_OPTIONS_CAPTION       1261
#define IDC_OPTIONS_PATROL_FRAME  1262
#define IDC_OPTIONS_TOOLS_FRAME   1263
#endif

/* Commands of the Monitor's main window that the Options page sends */
#ifndef IDM_MONITOR_TRAY_ICON
#define IDM_MONITOR_TRAY_ICON     6053
#endif

#endif /* SENTROVIA_EXPLORER_DIALOGS_H */
