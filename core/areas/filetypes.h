// File-type associations: which program opens each monitored extension, from three sources,
// with an approved copy of each to compare with and to write back.
#pragma once
#include <cstddef>
#include <string>

constexpr int kFileTypeKind = 400;

// Where an association is read from (the entry's extra number).
enum FileTypeSource : int {
    SOURCE_System = 1,    // HKLM\Software\Classes\.<ext> and its ProgID's open command
    SOURCE_Application,   // FileExts\.<ext> "Application" and HKCR\Applications\<app>
    SOURCE_ProgId,        // FileExts\.<ext> "ProgID" and HKCR\<ProgID>
};

constexpr size_t kMonitoredListLimit = 1024;  // characters of the monitored list read

// Makes sure the monitored list and the approved copy exist (re-recording every association
// when asked to by an 11-character marker); the number of associations recorded, or 0.
int CreateClassInfo();
// Empties the entry list and lists the associations of every monitored extension, sources 1-3
// in turn: title the class's description, path the open command, detail the class name,
// description the dotted extension, extra number the source. The number listed.
int EnumFileTypes();
// The association of a source; 1 when found, with the class name and open command (each cut to
// 259 characters), 0 with both empty.
int LookUpAssociation(const char *ext, int source, char *className, size_t classCapacity,
                      char *command, size_t commandCapacity);
// Makes the source's current association the approved one; 1.
int RecordAssociation(const char *ext, int source);
// Writes the source's approved association back.
void RestoreAssociation(const char *ext, int source);
// The approved command of a source, whole; empty when none.
std::string ApprovedCommand(const char *ext, int source);
// Adds an extension typed by the user (with or without its dot and blanks) to the monitored
// list: 0, kNothingToAdd for a text that names none, or the string id of the message to show
// (IDS_FILE_TYPES_LIMIT, IDS_FILE_TYPE_ALREADY_WATCHED).
constexpr int kNothingToAdd = -1;
int AddMonitoredType(const char *text);
// Stops watching an extension (given without its dot); 1.
int RemoveMonitoredType(const char *ext);
// 1 when an association of the monitored list has the class name.
int IsClassInUse(const char *className);
// The text the list page shows for an open command.
void CommandDisplay(const char *command, char *out, size_t capacity);
// The icon file and index the list page shows for an extension's association.
void FileTypeIcon(const char *ext, int source, char *file, size_t capacity, int *index);
// The text after a command's last backslash (arguments included); the whole command without one.
const char *CommandTail(const char *command);
