// The Explorer's small dialogs: the patrol time of an area, the standing answers to the alerts,
// and the protection question asked before an advanced startup entry is removed.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "options.h"

// Puts a dialog in the middle of the screen horizontally and at one third of the free height.
void CentreOnScreen(HWND dialog);

// Sorts a list view whose rows carry their key's index as item data: by the keys, ignoring case
// by the system's rules; equal keys keep their indices' order.
void SortRowsByKeys(HWND list, const std::vector<std::string> &keys, bool descending);

// ---- Patrol time (template 160) ----

// An area whose real-time flag the dialog's check box holds; kNoRealtime for one without.
constexpr OptionId kNoRealtime = OPT_COUNT;

// The patrol-time dialog titled by titleId, starting at minutes. OK stores the check box into the
// realtime option (record and registry) and answers the number in the field (0 when it holds
// none); Cancel or the close box leave the option as it was and answer -1.
int ShowPatrolTimeDialog(HWND owner, UINT titleId, int minutes, OptionId realtime);
// Stores a patrol-time answer into the period option; -1 (cancelled) stores nothing. 1 when stored.
int StorePatrolTime(OptionId period, int answer);
// The real-time option of an area's period option; kNoRealtime when the area has none.
OptionId RealtimeOptionOf(OptionId period);

// ---- Standing answers (template 213) ----

// The value a row's check box gives its option: 0 or below becomes 1, anything else 0.
int ToggledStandingAnswer(int value);
// The standing-answer dialog over the Hide... options of the settings record. IDOK keeps the
// changes (the caller saves them); IDCANCEL puts every row back as it was.
int ShowStandingAnswerDialog(HWND owner);

// ---- Protection (template 194) ----

// The line under the path: the title, or string 909 with the title when the file's
// LegalCopyright names Microsoft. 1 when it fitted.
int ProtectedEntryLine(const char *title, const char *path, char *out, size_t capacity);
// Asks whether an advanced startup entry may be removed: IDYES only when OK is pressed with the
// consent box ticked; IDNO otherwise (also for Escape and the close box).
int AskProtectedRemoval(HWND owner, const char *title, const char *path);
// Makes the protection dialog the question asked before an advanced entry is removed.
void UseProtectionDialog();
