// The listing report: everything the Explorer's pages list, section by section, in one file the
// user can read, keep or send.
#pragma once
#include <string>

// The report's text for a Format value: 0 an HTML page, 1 tab-separated lines; any other value
// has the tab-separated frame with the HTML lines for each entry (what older versions wrote).
// Every section is listed anew, so the entry list is empty afterwards.
std::string ListingReportText(int format);

// Writes the report for the Format option over any older one in the current folder
// ("SentroviaLog.html" for 0, "SentroviaLog.txt" otherwise) and opens it. 1 when written; when
// the file can't be put in place nothing is opened and an older report stays as it was.
int WriteListingReport();
