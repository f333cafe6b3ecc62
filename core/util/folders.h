// The programs' own folders and files.
#pragma once
#include <cstddef>

// The Sentrovia folder in the user's application-data folder, created with its vault subfolder
// when missing; the program folder when that cannot be had.
int DataFolder(char *buffer, size_t capacity);
// The settings file in the data folder.
int SettingsFilePath(char *buffer, size_t capacity);
// The Start Menu folder, ending with a backslash.
int StartMenuFolder(char *buffer, size_t capacity);
// The user's note file for a program: in the program folder when it exists there, else in the
// data folder.
int NoteFilePath(const char *command, char *buffer, size_t capacity);
