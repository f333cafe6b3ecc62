/* String-table ids of Sentrovia.exe and SentroviaEx.exe */
#ifndef SENTROVIA_STRINGS_H
#define SENTROVIA_STRINGS_H

/* Program identity */
#define IDS_CLASS_NAME                       1
#define IDS_CAPTION                          2
#define IDS_SETTINGS_FILE                    4
#define IDS_EXPLORER_CLASS_NAME              9
#define IDS_HELP_CAPTION                     31
#define IDS_AUTOSTART_ALT_NAME               622
#define IDS_LANGUAGE_CODE                    634
#define IDS_EXPLORER_CAPTION                 833
#define IDS_INFO_VERB_MENU                   1183

/* Registry keys, values and window classes */
#define IDS_HTTP_OPEN_COMMAND_KEY            5
#define IDS_MOZILLA_WINDOW_CLASS             11
#define IDS_IEXPLORE_APP_PATH_KEY            12
#define IDS_IE_MAIN_KEY                      623
#define IDS_START_PAGE_VALUE                 624
#define IDS_SEARCH_PAGE_VALUE                675
#define IDS_DESKTOP_COMPONENT_KEY            1016
#define IDS_DEFAULT_URL_PREFIX               1061
#define IDS_DELAY_START_MARK                 1103

/* Common messages */
#define IDS_CONFIRM_EXIT                     17
#define IDS_SYSTEM_NOT_NORMAL                24
#define IDS_NO_VERSION_INFO                  56
#define IDS_NO_SELECTION                     57
#define IDS_NO_FILE_TYPE_SELECTED            60
#define IDS_UNKNOWN                          616
#define IDS_STOP_RUNNING_PROGRAM             707
#define IDS_EXPLORER_NOT_FOUND               795
#define IDS_DELETE_ON_REBOOT                 800
#define IDS_FILE_IN_USE                      923

/* Tray icon tips */
#define IDS_TIP_ON_PATROL                    820
#define IDS_TIP_STARTUP                      821
#define IDS_TIP_IE_HELPERS                   822
#define IDS_TIP_TASKS                        823
#define IDS_TIP_CHANGES                      824
#define IDS_TIP_COOKIES                      826
#define IDS_TIP_FILE_TYPES                   827
#define IDS_TIP_HOSTS_FILE                   828
#define IDS_TIP_BROWSER_PAGES                829

/* Tray menu */
#define IDS_MENU_STARTUP                     503
#define IDS_MENU_ACTIVE_TASKS                504
#define IDS_MENU_COOKIE_FILTERS              505
#define IDS_MENU_RESTART_COMMANDS            507
#define IDS_MENU_EXIT                        508
#define IDS_MENU_SERVICES                    509
#define IDS_MENU_FILE_TYPES                  510
#define IDS_MENU_SCHEDULED_TASKS             685
#define IDS_MENU_IE_HELPERS                  697
#define IDS_MENU_HIDDEN_FILES                1018
#define IDS_MENU_DELAYED_START               1020
#define IDS_MENU_ACTIVEX                     1067

/* Monitor alerts */
#define IDS_NEW_STARTUP_PROGRAM              7
#define IDS_NEW_COOKIES                      16
#define IDS_WININIT_COMMANDS_ADDED           28
#define IDS_INFO                             301
#define IDS_VERSION_LABEL                    630
#define IDS_DISABLE                          633
#define IDS_ONLINE_INFO                      641
#define IDS_VERSION_COLON                    644
#define IDS_NEW_SCHEDULED_TASK               692
#define IDS_NEW_IE_HELPER                    701
#define IDS_ALERT_CAPTION                    718
#define IDS_YES                              719
#define IDS_NO                               720
#define IDS_FILE_TYPE_CHANGED                756
#define IDS_FILE_TYPE_CURRENT                757
#define IDS_FILE_TYPE_NEW                    758
#define IDS_FILE_TYPE_OK                     759
#define IDS_FILE_TYPE_ALERT_CAPTION          760
#define IDS_LOCATION_RUN                     765
#define IDS_LOCATION_RUNONCE                 766
#define IDS_LOCATION_WIN_INI                 767
#define IDS_LOCATION_STARTUP_FOLDER          768
#define IDS_NEW_SERVICE                      900
#define IDS_NEW_SERVICE_STATUS               901
#define IDS_DELETE                           925
#define IDS_FILE_CHANGE_CAPTION              1000
#define IDS_FILE_CHANGE_DETECTED             1001
#define IDS_FILE_CHANGE_ACCEPT_HINT          1002
#define IDS_FILE_CHANGE_REJECT_HINT          1003
#define IDS_VIEW_NEW_FILE                    1006
#define IDS_VIEW_PREVIOUS_FILE               1007
#define IDS_ACCEPT_CHANGE                    1008
#define IDS_REJECT_CHANGE                    1009
#define IDS_STOP_WATCHING_FILE               1010
#define IDS_REMOVE_KEY_LOCATION              1013
#define IDS_NOT_REMOVED_NO_RECORD            1901
#define IDS_NOT_REMOVED_TOO_LONG             1902
#define IDS_SAME_ANSWER_FOR_REST             1904
#define IDS_LIST_SHOWS_PART                  1905
#define IDS_NOT_CHANGED_NO_RECORD            1906
#define IDS_HIDDEN_ALERT_TITLE               1014
#define IDS_NEW_HIDDEN_FILE                  1015
#define IDS_DELAY_COMEBACK                   1022
#define IDS_DELAY_COMEBACK_CAPTION           1023
#define IDS_NEW_ACTIVEX                      1066

/* Startup programs */
#define IDS_CONFIRM_REMOVE_STARTUP           15
#define IDS_PAGE_STARTUP                     606
#define IDS_DISABLED_MARK                    626
#define IDS_STARTUP_LOCATION                 646
#define IDS_RESET                            677
#define IDS_LOCATION_IE_TOOLBAR              724
#define IDS_LOCATION_IE_BHO                  725
#define IDS_LOCATION_TASK_SCHEDULER          726
#define IDS_ADD_AUTOSTART_PROGRAM            902
#define IDS_PROGRAM_FILE_FILTER              903
#define IDS_REALLY_REMOVE                    906
#define IDS_PROTECTED_ENTRY                  907
#define IDS_MICROSOFT_SYSTEM_FILE            909
#define IDS_SHOW_ALL_STARTUP                 929

/* Delayed start */
#define IDS_PAGE_DELAYED_START               609
#define IDS_DELAY_PAGE_INTRO                 1100
#define IDS_DELAY_OPTIONS_CAPTION            1112
#define IDS_DELAY_TIME                       1119
#define IDS_DELAY_ALL_USERS_WARNING          1120
#define IDS_MINUTES_SHORT                    1121
#define IDS_SECONDS_SHORT                    1122
#define IDS_RESTORE_ALL_DELAYED              1125
#define IDS_DELAY_ADD_CAPTION                1126
#define IDS_DELAY_ADD_QUESTION               1127
#define IDS_DELAY_ADD_ALL_USERS              1128
#define IDS_DELAY_ADD_CURRENT_USER           1129
#define IDS_CANNOT_DELAY                     1130
#define IDS_DELAY_PAGE_HINT                  1133
#define IDS_RESTORE_DELAYED_QUESTION         1134
#define IDS_WINDOW_NORMAL                    1138
#define IDS_WINDOW_MINIMIZED                 1139
#define IDS_WINDOW_MAXIMIZED                 1140

/* List columns */
#define IDS_COLUMN_TITLE                     627
#define IDS_COLUMN_COMMAND                   628
#define IDS_COLUMN_STATUS                    648
#define IDS_COLUMN_DATE_MODIFIED             713
#define IDS_COLUMN_ACTION                    715

/* Active tasks */
#define IDS_TASKS_PAGE_INTRO                 221
#define IDS_TASKS_PAGE_HINT                  222
#define IDS_PAGE_ACTIVE_TASKS                607
#define IDS_RUNNING                          655
#define IDS_LOCAL_FILE_NOT_FOUND             730
#define IDS_READY                            831

/* Services */
#define IDS_PAGE_SERVICES                    636
#define IDS_SERVICES_PAGE_INTRO              638
#define IDS_SERVICES_PAGE_HINT               639
#define IDS_STOP                             650
#define IDS_SERVICE_STOPPED                  652
#define IDS_SERVICE_PENDING_START            653
#define IDS_SERVICE_PENDING_STOP             654
#define IDS_SERVICE_PENDING_CONTINUE         656
#define IDS_SERVICE_PENDING_PAUSE            657
#define IDS_SERVICE_PAUSED                   658
#define IDS_APPLY                            662
#define IDS_START_AUTOMATIC                  664
#define IDS_START_MANUAL                     665
#define IDS_START_DISABLED                   666
#define IDS_STARTUP_TYPE_LABEL               667
#define IDS_STATUS_LABEL                     668
#define IDS_HIDE_MICROSOFT_SERVICES          721

/* Scheduled tasks */
#define IDS_SCHEDULE_PAGE_INTRO              678
#define IDS_SCHEDULE_PAGE_HINT               679
#define IDS_PAGE_SCHEDULED_TASKS             680
#define IDS_NEVER                            686
#define IDS_CONFIRM_REMOVE_TASK              687
#define IDS_TASK_STATUS_READY                688
#define IDS_TASK_STATUS_RUNNING              689
#define IDS_TASK_STATUS_NOT_SCHEDULED        690

/* IE helpers and ActiveX */
#define IDS_PAGE_IE_HELPERS                  694
#define IDS_IE_PAGE_INTRO                    695
#define IDS_IE_PAGE_HINT                     696
#define IDS_CONFIRM_REMOVE_IE_HELPER         698
#define IDS_LOCATION                         716
#define IDS_ACTIVEX_PAGE_INTRO               1152
#define IDS_ACTIVEX_LIST_ALL                 1154
#define IDS_PAGE_ACTIVEX                     1155
#define IDS_ACTIVEX_ENABLED                  1156
#define IDS_CLSID                            1158
#define IDS_CONFIRM_DISABLE_ACTIVEX          1159
#define IDS_HIDE_MICROSOFT_ACTIVEX           1161

/* File types */
#define IDS_PAGE_FILE_TYPES                  739
#define IDS_FILE_TYPES_PAGE_INTRO            740
#define IDS_FILE_TYPES_PAGE_HINT             741
#define IDS_NO_ASSOCIATED_FILE               742
#define IDS_EXECUTABLE                       746
#define IDS_DEFAULT_FILE_TYPES               750
#define IDS_FILE_TYPE_EXTENSION              755
#define IDS_FILE_TYPE_ALREADY_WATCHED        762
#define IDS_FILE_TYPES_LIMIT                 763

/* Cookies */
#define IDS_PAGE_COOKIES                     608
#define IDS_COOKIES_WITH_NUTS                722
#define IDS_REMOVE_UNCHECKED_COOKIES         728
#define IDS_TOO_MANY_NUTS                    729
#define IDS_REMOVE_CHECKED_COOKIES           738
#define IDS_COOKIES_PAGE_INTRO               771
#define IDS_COOKIES_PAGE_ADD_HINT            772
#define IDS_COOKIES_PAGE_REMOVE_HINT         773
#define IDS_TRUE                             779
#define IDS_FALSE                            780
#define IDS_SELECT_COOKIE_FOLDER             799
#define IDS_COOKIE_FOLDER_NOT_FOUND          968

/* System files and browser settings */
#define IDS_RESTART_COMMANDS_CAPTION         30
#define IDS_NO_RESTART_COMMANDS              59
#define IDS_START_PAGE_CHANGED               625
#define IDS_SEARCH_PAGE_CHANGED              676
#define IDS_RESTART_COMMANDS_LEGEND          702
#define IDS_HOSTS_NOT_FOUND                  736
#define IDS_DESKTOP_PAGE_CHANGED             1017
#define IDS_AUTO_UPDATE_SETTINGS             1050
#define IDS_AUTO_UPDATE_OFF                  1051
#define IDS_AUTO_UPDATE_NOTIFY               1052
#define IDS_AUTO_UPDATE_DOWNLOAD             1053
#define IDS_AUTO_UPDATE_AUTOMATIC            1054
#define IDS_AUTO_UPDATE_CHANGED              1055
#define IDS_URL_PREFIX_CAPTION               1060
#define IDS_URL_PREFIX_CHANGED               1065

/* Hidden files */
#define IDS_HIDDEN_PAGE_INTRO                910
#define IDS_HIDDEN_PAGE_HINT                 911
#define IDS_CONFIRM_DELETE_HIDDEN            926
#define IDS_PAGE_HIDDEN_FILES                973

/* Patrol time */
#define IDS_PATROL_PROMPT                    782
#define IDS_PATROL_MINUTES                   783
#define IDS_PATROL_STARTUP                   784
#define IDS_PATROL_IE_HELPERS                785
#define IDS_PATROL_TASKS                     786
#define IDS_PATROL_FILE_TYPES                788
#define IDS_PATROL_BROWSER_PAGES             791
#define IDS_PATROL_HOSTS_FILE                792
#define IDS_PATROL_ZERO_DISABLES             802
#define IDS_MONITOR_REALTIME                 905
#define IDS_PATROL_HIDDEN_FILES              924
#define IDS_PATROL_SERVICES                  957
#define IDS_PATROL_ACTIVEX                   1157

/* Page buttons */
#define IDS_CLOSE                            304
#define IDS_HELP                             793
#define IDS_MONITOR                          794

/* Program information */
#define IDS_KILL_TASK                        306
#define IDS_COMPANY_LABEL                    643
#define IDS_COPYRIGHT_LABEL                  645
#define IDS_NOTE_EXPLANATION                 647
#define IDS_RUN                              832
#define IDS_UNDOCUMENTED_SYSTEM_FILE         908
#define IDS_DATE_CREATED                     915
#define IDS_LAST_SAVED                       917
#define IDS_EXPAND_INFO                      918
#define IDS_SHRINK_WINDOW                    919
#define IDS_FILE_SIZE                        920
#define IDS_DETECTED_BY                      921
#define IDS_CREATE_NOTE                      969
#define IDS_SAVE_NOTE                        970

/* Options */
#define IDS_OPTIONS_PAGE_INTRO               251
#define IDS_OPTIONS_PAGE_CAPTION             253
#define IDS_LISTING_REPORT                   310
#define IDS_OPTION_AUTOSTART                 353
#define IDS_OPTION_SOUNDS                    354
#define IDS_PATROL_RESTART_COMMANDS          355
#define IDS_OPTIONS                          610
#define IDS_PATROL_HOME_PAGES                635
#define IDS_OPTION_HISTORY                   709
#define IDS_VIEW_HISTORY                     727
#define IDS_VIEW_HOSTS_FILE                  734
#define IDS_PATROL_SYSTEM_FILES              735
#define IDS_OPTION_CONFIRM_EXIT              749
#define IDS_EXPORT_SETTINGS                  853
#define IDS_SETTINGS_EXPORTED                854
#define IDS_TRAY_ICON_HIDDEN                 927
#define IDS_OPTION_LOCK_FILE_TYPES           928
#define IDS_OPTION_HIDE_TRAY_ICON            974
#define IDS_HIJACK_LOG                       1137
#define IDS_SPREADSHEET_REPORT               1145
#define IDS_OPTION_OLD_TRAY_ICON             1148
#define IDS_OPTION_DETAILED_LOOKUP           1150
#define IDS_DETAILED_LOOKUP_NOTICE           1151

/* Standing answers */
#define IDS_HIDE_ALERTS_CAPTION              1170
#define IDS_HIDE_ALERTS_INTRO                1171
#define IDS_ALWAYS_ALLOW                     1172
#define IDS_DENY_ALL                         1173
#define IDS_HIDE_STARTUP                     1174
#define IDS_HIDE_IE_HELPERS                  1175
#define IDS_HIDE_TASKS                       1176
#define IDS_HIDE_SERVICES                    1177
#define IDS_HIDE_ACTIVEX                     1178
#define IDS_HIDE_HIDDEN                      1179
#define IDS_HIDE_SYSTEM_FILES                1181
#define IDS_HIDE_HOME_PAGES                  1182

/* History */
#define IDS_HISTORY_INTRO                    710
#define IDS_HISTORY_OLDER_LEFT_OUT           1903
#define IDS_CLEAR_FILE                       711
#define IDS_HISTORY_CAPTION                  712
#define IDS_RESTORE                          717

/* Reports */
#define IDS_RUNNING_PROCESSES                818

/* Monitored system files: the comments of the default list */
#define IDS_HOSTS_COMMENT                    2040
#define IDS_AUTOEXEC_COMMENT                 2041
#define IDS_CONFIG_SYS_COMMENT               2042

#endif /* SENTROVIA_STRINGS_H */
