// One way for every check to ask the user about an item.
#pragma once
#include "alerts.h"
#include "area.h"

struct Question {
    AreaId area;                               // its standing answer and its sound
    const AlertContext *item;                  // what the alert shows
    int (*show)(const AlertContext &item);     // the alert; its answer, 0 when not shown
    bool sound;                                // play the area's sound before the alert
    // Carries out the answer (0 when nobody answered); context is the caller's.
    void (*apply)(int answer, const void *context);
    const void *context;
};

// Marks an alert open, takes the area's standing answer or plays its sound and shows the alert,
// applies the answer and marks the alert closed. The answer; 0 with nothing shown or applied once
// the Monitor is leaving.
int Ask(const Question &question);
// An area's Hide option as an answer: 0 ask, IDYES approve, IDNO reject.
int StandingAnswer(AreaId area);
// The area's tray note while its alert is open (none for an area without one).
void NoteAlertInTray(AreaId area);
// What an alert shows of an item: its path or command, its title and its kind code.
AlertContext ItemAlertOf(const char *path, const char *title, int kindCode);
