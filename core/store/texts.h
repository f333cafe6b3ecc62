// Visible texts: the program's string table, overridden per installation by LString values.
#pragma once
#include <windows.h>

// Reads the table's language code and keeps its language id for every message box.
void InitLanguage();
int LanguageId();
// Sets the language id directly (the table's code decides it at start).
void SetLanguageId(int id);

// The text of a string id; its length, 0 (and an empty buffer) when there is none.
int LoadText(UINT id, char *buffer, size_t capacity);
template <size_t N> int LoadText(UINT id, char (&buffer)[N]) { return LoadText(id, buffer, N); }
// Sets a dialog item's text from a string id; leaves the item alone when the text is empty.
void SetItemText(HWND dialog, int item, UINT id);
// Sets a window's caption from a string id; leaves it alone when the text is empty.
void SetCaptionText(HWND window, UINT id);
