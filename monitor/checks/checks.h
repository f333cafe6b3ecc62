// The Monitor's check of each area, run by the verify cycle when the area comes due.
#pragma once
#include "area.h"

using AreaCheck = void (*)();
// The check of an area; null while the area has none (its countdown still runs).
AreaCheck CheckOf(AreaId area);

void CheckStartup();
void CheckFileTypes();
