// The vendor's online look-up of a program.
#pragma once
#include <cstddef>

// Kind codes the Monitor's command line passes for a program file and for a library.
constexpr int kLookupProgram = 460;
constexpr int kLookupLibrary = 470;
// An alert's look-up sends its item's kind code raised by this, so the answer page knows it
// was asked from an alert.
constexpr int kLookupFromAlert = 1000;

// The look-up address of a program (by path, or by title when there is no path). The detailed
// form also sends the program's names, dates, size and full path.
int LookupAddress(int kindCode, const char *path, const char *title, bool detailed, char *out,
                  size_t capacity);
// Opens the look-up in the user's browser; the detailed form when LumenFormat is set.
int OnlineLookup(int kindCode, const char *path, const char *title);
// Opens the look-up of an entry of the shared entry list.
void OnlineLookupOfEntry(int entry);
