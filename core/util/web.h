// Opening web addresses: through a running America Online client, the shell, or the default
// browser's program.
#pragma once
#include <cstddef>

// The client's "-u" command up to the address (ending with a double quote), when an America
// Online main window is open; 0 otherwise.
int AolClientCommand(char *command, size_t capacity);
// Whether a main window of the AOL client is open.
bool AolClientRunning();
// Runs the AOL client with the address; 0 when no client runs or it can't start.
int OpenWithAol(const char *address);
// The shell's "open" verb on a document or address; 1 when the shell accepted it.
int ShellOpen(const char *target);
// Runs the default browser's program with the address.
int RunDefaultBrowser(const char *address);
