// Windows services: the Services key's listing, their run state through the local service
// control manager, their start type and descriptions, and the area's baseline.
#pragma once
#include <windows.h>

#include <cstddef>

#include "owned.h"

constexpr int kServiceExeKind = 700, kServiceHostKind = 701;

using ServiceHandle = Owned<SC_HANDLE, &CloseServiceHandle>;

// Empties the entry list and fills it with the services (titles only by key name when namesOnly);
// returns 0.
int EnumerateServices(bool namesOnly);
// state << 16 | (type & 0xFFFF) of the service with this title; 0 when there is no answer (a
// stopped service among them).
int GetServiceStatusWord(const char *title);
// The status word, with its state's text; 0 with "Stopped" when the word is under 0x10000.
int GetServiceStatusText(const char *title, char *text, size_t capacity);
// The controls the running service accepts; 0 when there is no answer.
int GetServiceControlsAccepted(const char *title);
// 1 when the service accepted the control.
int ControlServiceByTitle(const char *title, DWORD control);
// The display name the service control manager knows for a key name; 1 when known.
int LookupServiceDisplayName(const char *keyName, char *name, size_t capacity);
// Writes the Start value of the service with this title; 1 when found and written.
int SetServiceStartType(const char *title, int start);
// The Description of the first service whose program (or svchost library) is this clean path;
// its length, 0 with "" when none.
int FindServiceDescription(const char *file, char *description, size_t capacity);
// The Start value (low byte) of the service with this title; -1 when none.
int GetServiceStartType(const char *title);
// Approves every listed service unless the area's "P" marker is there (the row's takeBaseline).
void TakeServicesSnapshot();

// The history action that records a start type before it is changed (2, 3, 4); 0 for others.
int FormerStartAction(int start);
// Changes made by the user on one service, each recorded in the history first; a change whose
// record cannot be written is not made, and the user is told. 1 when made.
int StopServiceRecorded(const char *title, const char *path, int kind);
// Records the former start type and the new one (2 Automatic, 3 Manual, 4 Disabled), then sets it.
int SetServiceStartRecorded(const char *title, const char *path, int kind, int start);
