// Approved snapshots: one string value per approved item under Software\Orvanto\Sentrovia\<area>
// (HKEY_CURRENT_USER), holding a number; missing or "0" is not approved. The key's default value
// "P" marks an area whose baseline has been taken, so no item may be named "".
#pragma once
#include "area.h"
#include "registry.h"

// The number stored for an item; 0 when it is missing, empty or the name is empty.
int ApprovalNumber(AreaId area, const char *name);
// Stores the number (or a mark such as "1") for an item; 0 for an empty name.
int Approve(AreaId area, const char *name, int number);
int ApproveMark(AreaId area, const char *name, const char *mark);
// Forgets an item's approval; 0 for an empty name (the marker is never touched).
int Withdraw(AreaId area, const char *name);
// Empties the area's snapshot (the key stays).
void EmptySnapshot(AreaId area);
// The "P" marker of a marked area's baseline.
bool HasBaselineMarker(AreaId area);
void SetBaselineMarker(AreaId area);
// The snapshot key's path under HKEY_CURRENT_USER; 0 for an area without one.
int SnapshotKeyPath(AreaId area, char *out, size_t capacity);

// The approvals of one area for a whole pass, from one read of its snapshot: each answers as
// ApprovalNumber does, and a pass that approves or withdraws reads the snapshot again.
class ApprovalTable {
public:
    explicit ApprovalTable(AreaId area);
    int Number(const char *name);
    // Whether the item has a non-empty value, whatever text it holds (a date, a mark).
    bool Holds(const char *name);

private:
    RegValueTable values_;
};
