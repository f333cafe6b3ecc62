// Message boxes. Every box goes through ShowMessage, which tests can answer from a script.
#pragma once
#include <windows.h>

// A box with the language id of the string table; answers the button pressed.
int ShowMessage(HWND owner, const char *text, const char *caption, UINT type);

// Test seam: the responder sees each box instead of the user and answers it.
using MessageResponder = int (*)(const char *text, const char *caption, UINT type);
MessageResponder SetMessageResponder(MessageResponder responder);

// The running program's caption: "Sentrovia" for the Monitor, the Explorer's own for it.
int ProgramCaption(char *buffer, size_t capacity);

// Shows a file's version facts under a string-table message; with id 0 only copies its
// FileDescription into description and answers 0. Yes/No for the new-startup question (7).
int ShowProgramInfo(const char *file, UINT messageId, char *description, size_t capacity);
// The last system error, with the system's text for it.
int ShowSystemError();
// Opens a text file in Notepad; tells the error when it is missing or can't be opened.
int OpenInNotepad(const char *file);
// The same for the HOSTS file, with its own text when there is none.
int OpenHostsInNotepad(const char *hostsFile);
// A string-table text under the help caption, owned by the main window.
int ShowNotice(HWND owner, UINT messageId);
