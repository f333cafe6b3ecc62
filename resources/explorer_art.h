/* Resource ids of the Explorer's artwork: the pages' tab icons and the bitmaps of the pages'
   help and patrol-time buttons. The pictures are drawn by tools/make-artwork into art/. */
#pragma once
#ifndef SENTROVIA_EXPLORER_ART_H
#define SENTROVIA_EXPLORER_ART_H

/* Tab icons (16, 32 and 48 pixel frames; the tab shows the 16 pixel one) */
#ifndef IDI_TAB_STARTUP
#define IDI_TAB_STARTUP        174  /* Startup Programs: the power sign on a round teal button */
#endif
#ifndef IDI_TAB_SERVICES
#define IDI_TAB_SERVICES       173  /* Services: a teal gear */
#endif
#ifndef IDI_TAB_ACTIVE_TASKS
#define IDI_TAB_ACTIVE_TASKS   176  /* Active Tasks: a program window with a green run arrow */
#endif
#ifndef IDI_TAB_FILE_TYPES
#define IDI_TAB_FILE_TYPES     179  /* File Types: a page with a blue label tag */
#endif
#ifndef IDI_TAB_IE_HELPERS
#define IDI_TAB_IE_HELPERS     180  /* IE Helpers: the blue globe */
#endif
#ifndef IDI_TAB_OPTIONS
#define IDI_TAB_OPTIONS        181  /* Options: three sliders */
#endif
#ifndef IDI_TAB_TASKS
#define IDI_TAB_TASKS          182  /* Scheduled Tasks: a calendar page */
#endif
#ifndef IDI_TAB_COOKIES
#define IDI_TAB_COOKIES        183  /* Cookies: a bitten chocolate-chip cookie */
#endif
#ifndef IDI_TAB_HIDDEN
#define IDI_TAB_HIDDEN         198  /* Hidden Files: a dashed page and a crossed-out eye */
#endif
#ifndef IDI_TAB_ACTIVEX
#define IDI_TAB_ACTIVEX        212  /* ActiveX controls: a green puzzle piece */
#endif

/* The Delayed Start page shows the delayed-program alert's picture (IDI_ALERT_DELAYED) */
#ifndef IDI_TAB_DELAYED
#define IDI_TAB_DELAYED        200  /* Delayed Start: the hourglass shield, alert_delayed.ico */
#endif

/* Button bitmaps: 20x20, 24 bits, drawn on the dialog face colour #f0f0f0 */
#ifndef IDB_HELP_NORMAL
#define IDB_HELP_NORMAL        300  /* help button */
#endif
#ifndef IDB_HELP_HOVER
#define IDB_HELP_HOVER         301  /* help button under the mouse */
#endif
#ifndef IDB_HELP_PRESSED
#define IDB_HELP_PRESSED       302  /* help button pressed */
#endif
#ifndef IDB_PATROL_ON
#define IDB_PATROL_ON          303  /* patrol time on */
#endif
#ifndef IDB_PATROL_OFF
#define IDB_PATROL_OFF         304  /* patrol time off */
#endif
#ifndef IDB_PATROL_REALTIME
#define IDB_PATROL_REALTIME    305  /* the area is watched in real time */
#endif

#endif
