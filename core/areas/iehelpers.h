// Browser helper objects, toolbars and extensions.
#pragma once

// "regsvr32 /s" with the helper's file, in a window of its own; 1 when it was started.
int RegisterHelperAgain(const char *path);
