// The alert dialogs the verify cycle opens for new and changed items, and what they decide.
#pragma once
#include <windows.h>

#include <cstddef>

#include "placement.h"

constexpr size_t kAlertText = 260;

// What the verify cycle tells an alert about its item; the alert reads it while it is open.
struct AlertContext {
    char itemPath[kAlertText];    // the path or command as listed
    char itemTitle[kAlertText];   // entry title, task, service, file name or extension
    char secondPath[kAlertText];  // the new command (file-type alert)
    char location[kAlertText];    // the watched file's location (system-file alert)
    int kindCode;
};

enum AlertAnswer : int { ANSWER_Approve = 6, ANSWER_Reject = 7, ANSWER_Disable = 11 };

// The new-program alert notices a program that keeps coming back after being answered.
struct AlertRepeat {
    int counter;
    char lastPath[kAlertText];
};
AlertRepeat &TheAlertRepeat();
void ResetAlertCounters();
// At the new-program alert's opening: the same path again (any case) counts once more.
void NoteAlertedPath(const char *itemPath);
// From this count on, either answer opens the help page and disables the entry.
constexpr int kRepeatLimit = 2;

// Modal alerts owned by the Monitor's main window; the caller plays the sound first. Each answers
// an AlertAnswer, or 0 when the dialog could not be shown.
int ShowNewProgramAlert(const AlertContext &item);
int ShowDelayedProgramAlert(const AlertContext &item);
int ShowIEHelperAlert(const AlertContext &item);
int ShowActiveXAlert(const AlertContext &item);
int ShowNewServiceAlert(const AlertContext &item);
int ShowNewTaskAlert(const AlertContext &item);
// The title is the file's product name or its name, the path the file.
int ShowHiddenFileAlert(const AlertContext &item);
// The item path is the approved command, the second path the new one, the title the extension.
int ShowFileTypeAlert(const AlertContext &item);
// The title is the watched file's name, the location its path; 1 when the user took the file or
// put the saved copy back, 0 when the alert closed without either.
int ShowSystemFileAlert(const AlertContext &item);
// The Windows Restart Commands viewer; quiet only tells whether wininit.ini holds commands.
// 1 when it does.
int ShowRestartCommands(bool quiet);

// The string id of the sentence that says where a new startup entry runs from.
UINT LocationSentenceId(int kindCode);
// The new-program message: string 7 with that sentence in place of its "%s". Answers 1 when the
// sentence went in, 0 when the text (an override without "%s") stands as loaded.
int NewProgramMessage(int kindCode, char *out, size_t capacity);
// The name the new-program alert shows: the product name, or the Winlogon or shell hook it
// came in through.
int NewProgramName(int kindCode, const char *productName, char *out, size_t capacity);
// The answer a command of the new-program alert gives; 0 for a command that leaves it open.
int NewProgramAnswer(int command, int kindCode, int repeatCounter);
// The same for the alerts that only approve or reject (delayed program, IE helper, ActiveX,
// scheduled task, file type): Yes and the cancel command (Escape, the close box) approve, as in
// the new-program alert; No rejects.
int YesNoAnswer(int command);
// The hidden-file alert's: OK, Escape and the close box keep the file; Delete rejects it.
int HiddenFileAnswer(int command);
// The new-service alert's: Yes approves; No, Escape and the close box reject.
int NewServiceAnswer(int command);
// The text of a service's start type (2 Automatic, 3 Manual, 4 Disabled, else Unknown).
UINT StartTypeTextId(int start);

// Where an alert is put on screen, and the values it keeps its place in (product key, HKCU).
struct AlertPositionNames {
    const char *x;
    const char *y;
    const char *width;
    const char *height;
};
extern const AlertPositionNames kItemAlertPosition;
extern const AlertPositionNames kSystemFilePosition;

