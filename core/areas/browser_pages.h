// The browser's start and search pages and the desktop's web page: each against the page the
// user approved, kept as a value of the product key.
#pragma once
#include <string>

#include <windows.h>

struct PageChange {
    UINT question;         // the text that asks about it, with the new and the approved page
    std::string now;       // the page as it is
    std::string approved;  // the page as approved
};

// Compares every watched page with its approved one (one trailing "/" and letter case aside); a
// page with none approved is approved as it is. For each change decide answers IDYES to take
// the new page or IDNO to write the approved one back.
void CheckBrowserPages(int (*decide)(const PageChange &change, void *context), void *context);
