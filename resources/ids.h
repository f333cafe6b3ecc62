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

/* Product version, as the version resources carry it */
#define SENTROVIA_VERSION_BINARY 15,9,2008,0
#define SENTROVIA_VERSION_TEXT "15.9.2008.0"

#endif
