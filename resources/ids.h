/* Every resource id of both programs, by name. Shared by the C++ sources and the .rc files. */
#ifndef SENTROVIA_IDS_H
#define SENTROVIA_IDS_H

#include "strings.h"

/* Product version, as the version resources carry it */
#define SENTROVIA_VERSION_BINARY 15,9,2008,0
#define SENTROVIA_VERSION_TEXT "15.9.2008.0"

#endif
