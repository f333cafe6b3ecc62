// Comparable forms of program paths taken from command lines. The Windows folder and the
// ProgramFilesDir value are handed in by the caller, so these stay free of system calls.
#pragma once
#include <cstddef>

// Used when the ProgramFilesDir value can't be read (also when a null folder is passed).
constexpr const char *kDefaultProgramFilesDir = "C:\\Program Files";

// The clean path of a command, the form in which programs are compared:
// - a command containing "SystemRoot" (any case) becomes windowsFolder followed by the command
//   without its first 11 characters (meant for "\SystemRoot\..."); else one containing
//   "%PROGRAMFILES%" (any case) becomes programFilesDir followed by the command without its
//   first 14 characters;
// - the text is upper-cased and ends after the first "." whose second following character is
//   X or L (".EXE", ".DLL", ".XLS"; not ".OCX" or ".SYS") and the three characters after it;
// - it starts at the character before the last colon in it (the drive letter), so quotes and
//   device prefixes such as "\??\" drop off; with no colon it starts at the beginning.
// The folder cases rest on ContainsNoCase, so a command above 772 characters is never expanded.
// Answers 1 when the result fitted, 0 when it was cut or command is null (out empty).
int CleanPathOf(const char *command, const char *windowsFolder, const char *programFilesDir,
                char *out, size_t capacity);

// Splits a command into its program path and parameters. The program is found as in
// CleanPathOf without the %PROGRAMFILES% case, where a P also ends it, as the second character
// after the dot (".CPL") or as the first (".PIF"), and where an extension counts only where it
// ends a file name: followed by the end, a blank, a quote, a comma or a slash (a folder named
// "me.PC" or "a.Pdir" does not end it). The caller puts the program into its long
// form. The parameters are the command's own text, case and leading spaces kept, from where the
// program ended (for a SystemRoot command, the matching place in the command); empty when
// nothing follows. A closing quote after the program stays in the parameters. Answers 1 when
// both fitted.
int SplitCommandOf(const char *command, const char *windowsFolder, char *programOut,
                   size_t programCapacity, char *parametersOut, size_t parametersCapacity);
