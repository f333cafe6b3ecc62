// The frame every item alert shares (the picture, the program's facts, the place on screen, the
// online-information button); each template's file gives its form.
#pragma once
#include <windows.h>

#include <cstddef>

#include "alerts.h"
#include "fonts.h"
#include "owned.h"
#include "strings.h"

constexpr int kNoAlertRecord = -1;

// What sets one item-alert template apart.
struct ItemAlertForm {
    int templateId;
    UINT caption;
    UINT noText;
    // Called as the alert opens; null: nothing to note.
    void (*opened)(const AlertContext &item);
    // The name shown in large type, from the program's product name.
    void (*name)(const AlertContext &item, const char *productName, char *out, size_t capacity);
    // Fills the message field.
    void (*message)(HWND dialog, const AlertContext &item);
    // The answer a command gives; 0 leaves the alert open.
    int (*answer)(int command, const AlertContext &item);
    // The history action written as the alert opens (with the name shown, the program file, its
    // description and the item's kind code); kNoAlertRecord: none.
    int openRecord = kNoAlertRecord;
    // The record names the program by its product name rather than by the name shown.
    bool recordsProductName = false;
    // The kind code the record carries; 0: the item's.
    int recordKind = 0;
    UINT versionLabel = IDS_VERSION_LABEL;
};

// Shows the form as a modal alert owned by the Monitor's window; its answer, 0 when it could
// not be shown.
int ShowItemAlert(const ItemAlertForm &form, const AlertContext &item);
void SetAlertItemFont(HWND dialog, int item, AlertFont font);
// Every alert: put where it last stood (or centred) and above every other window.
void PlaceAlertOnTop(HWND dialog, const AlertPositionNames &place);
// Takes the alert out of the topmost order, so a browser or viewer it opened can come in front;
// the alert stays open.
void LetOpenedWindowInFront(HWND dialog);
// A program file's first icon, held by owned; the shared plain program icon for a file that is
// no program or has none; null when the file is not there.
HICON ProgramIcon(const char *file, IconOwner &owned);
