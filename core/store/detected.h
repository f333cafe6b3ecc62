// The register of the dates on which items were first seen, under Software\Orvanto\Detected.
#pragma once
#include <cstddef>

#include "datetexts.h"

// The area (a subkey name) that holds items of a kind code.
const char *DetectedArea(int kindCode);
// The stored date of an item key (or class identifier); its length, 0 when none.
int GetFirstSeen(const char *name, int kindCode, char *buffer, size_t capacity);
// Dates an item in an area the first time it is seen. A path is stored under its clean
// form and only when the file exists; the ActiveX area takes class identifiers as they are.
// 1 when a date was already stored.
int RecordFirstSeen(const char *item, const char *area);
// The first-seen date of a listed item (a command or path) with the area of its kind code; an
// item not dated yet is dated today first, as listing it is seeing it. The length written.
int ListedFirstSeen(const char *item, int kindCode, char *buffer, size_t capacity);

// Creates the register at the first start and dates every item present then; an area keyed by
// class identifiers is dated whenever its own "P" marker is missing.
void InitDetectedRegister();
// Removes the dates of an area's files that no longer exist; the number removed.
int PruneDetectedArea(const char *area);
// At each start the Explorer prunes the next of four areas in turn (option nCount).
void PruneNextDetectedArea();

// A file's facts with the first-seen date of the item (kind code) it belongs to; 1 when the
// file's facts could be read.
int FileFacts(const char *file, int kindCode, FileFactsRecord *facts);
