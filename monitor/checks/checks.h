// The Monitor's check of each area, run by the verify cycle when the area comes due.
#pragma once
#include "area.h"

using AreaCheck = void (*)();
// The check of an area; null while the area has none (its countdown still runs).
AreaCheck CheckOf(AreaId area);
// What an area does on every call of its half, due or not, before its countdown rule; null: none.
AreaCheck EachPassOf(AreaId area);
// The area's settings checked at the start of every verify, whichever half runs; null: none.
AreaCheck EveryVerifyOf(AreaId area);

void CheckStartup();
void CheckIEHelpers();
void CheckActiveX();
void CheckHiddenFiles();
void CheckCookieFilter();
// Every second-half call, before the new-cookie check comes due or not.
void SwapFilteredCookies();
void CheckNewCookies();
void CheckServices();
void CheckTasks();
void CheckFileTypes();
void CheckSystemFiles();
void CheckStartPages();
void CheckRestartCommands();
void CheckBrowserSettings();
// Options another program changed are taken in before the file types come due or not.
void TakeChangedOptions();
