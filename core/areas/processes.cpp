#include "processes.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "owned.h"
#include "history.h"
#include "messages.h"
#include "platform.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

using EnumProcessesFn = BOOL(WINAPI *)(DWORD *, DWORD, DWORD *);
using EnumProcessModulesFn = BOOL(WINAPI *)(HANDLE, HMODULE *, DWORD, DWORD *);
using GetModuleFileNameExFn = DWORD(WINAPI *)(HANDLE, HMODULE, LPSTR, DWORD);
using SnapshotFn = HANDLE(WINAPI *)(DWORD, DWORD);
using Process32Fn = BOOL(WINAPI *)(HANDLE, PROCESSENTRY32 *);

// The NT family through the process-status library. A 64-bit process never hosts 16-bit tasks
// (there is no virtual DOS machine on 64-bit Windows), so no task walk is made.
int WalkNt(ProcessVisitor visitor, void *context)
{
    Library psapi("PSAPI.DLL");
    auto enumProcesses = psapi.Get<EnumProcessesFn>("EnumProcesses");
    auto enumModules = psapi.Get<EnumProcessModulesFn>("EnumProcessModules");
    auto moduleName = psapi.Get<GetModuleFileNameExFn>("GetModuleFileNameExA");
    if (!enumProcesses || !enumModules || !moduleName)
        return 0;

    std::vector<DWORD> ids(256);
    DWORD bytes = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!enumProcesses(ids.data(), size, &bytes))
            return 0;
        if (bytes < size)
            break;
        ids.resize(ids.size() * 2);
    }
    ids.resize(bytes / sizeof(DWORD));

    for (DWORD id : ids) {
        char name[MAX_PATH] = "";
        Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        HMODULE first = nullptr;
        DWORD needed = 0;
        if (process.valid() && enumModules(process.get(), &first, sizeof first, &needed)) {
            DWORD length = moduleName(process.get(), first, name, sizeof name);
            name[length < sizeof name ? length : 0] = '\0';
        }
        if (!visitor(id, 0, name, context))
            break;
    }
    return 1;
}

int WalkToolHelp(ProcessVisitor visitor, void *context)
{
    Library kernel("KERNEL32.DLL");
    auto snapshot = kernel.Get<SnapshotFn>("CreateToolhelp32Snapshot");
    auto first = kernel.Get<Process32Fn>("Process32First");
    auto next = kernel.Get<Process32Fn>("Process32Next");
    if (!snapshot || !first || !next)
        return 0;
    Handle processes(snapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes.valid())
        return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(processes.get(), &entry); more; more = next(processes.get(), &entry))
        if (!visitor(entry.th32ProcessID, 0, entry.szExeFile, context))
            break;
    return 1;
}

int AddProgram(DWORD processId, WORD, const char *moduleName, void *)
{
    if (moduleName[0] == '\0')
        return 1;
    char program[MAX_PATH];
    CleanPath(moduleName, program, sizeof program);
    if (program[0] == '\0')
        return 1;
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        char listed[MAX_PATH];
        EntryPath(i, listed, sizeof listed);
        if (lstrcmpiA(listed, program) == 0)
            return 1;
    }
    VersionRecord version;
    ReadVersionInfo(program, &version);
    AddEntry(version.slot[VS_FileDescription], program, "", "", kRunningProgramKind,
             static_cast<int32_t>(processId));
    return 1;
}

struct Search {
    char program[MAX_PATH];
    DWORD found;
};

int MatchProgram(DWORD processId, WORD, const char *moduleName, void *context)
{
    auto *search = static_cast<Search *>(context);
    if (moduleName[0] == '\0')
        return 1;
    char running[MAX_PATH];
    LongPathForm(moduleName, running, sizeof running);
    const char *bare = running + AfterLastBackslash(running);
    if (lstrcmpiA(running, search->program) == 0 || lstrcmpiA(bare, search->program) == 0) {
        search->found = processId;
        return 0;
    }
    return 1;
}

// String 707 with the program's name in it.
int AskToStop(const char *name)
{
    char message[1024];
    LoadText(IDS_STOP_RUNNING_PROGRAM, message);
    char text[1536];
    InsertAtMark(message, name, text, sizeof text);
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    // The core knows no main window of either program.
    return ShowMessage(nullptr, text, caption, MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
}

} // namespace

int WalkProcesses(ProcessVisitor visitor, void *context)
{
    switch (PlatformId()) {
    case VER_PLATFORM_WIN32_NT:
        return WalkNt(visitor, context);
    case VER_PLATFORM_WIN32_WINDOWS:
        return WalkToolHelp(visitor, context);
    default:
        return 0;
    }
}

int EnumerateRunningPrograms()
{
    ClearEntryList();
    WalkProcesses(AddProgram, nullptr);
    return EntryCount();
}

int CountProcesses()
{
    int count = 0;
    WalkProcesses(
        [](DWORD, WORD, const char *, void *context) {
            ++*static_cast<int *>(context);
            return 1;
        },
        &count);
    return count;
}

DWORD FindProcessForFile(const char *command)
{
    Search search{};
    char parameters[1024];
    SplitCommand(command, search.program, sizeof search.program, parameters, sizeof parameters);
    if (search.program[0] == '\0')
        return 0;
    WalkProcesses(MatchProgram, &search);
    return search.found;
}

int EndProcess(DWORD processId)
{
    Handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process.valid())
        return 0;
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    return TerminateProcess(process.get(), exitCode);
}

DWORD OfferToStopProgram(const char *path, const char *title, int ask)
{
    if (path == nullptr)
        return 0;
    if (title == nullptr)
        title = "";
    DWORD id = FindProcessForFile(path);
    if (id == 0)
        return 0;
    if (ask && AskToStop(title[0] != '\0' ? title : path) != IDYES)
        return id;
    {
        Handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        if (!process.valid())
            return 0;
        DWORD exitCode = 0;
        GetExitCodeProcess(process.get(), &exitCode);
        TerminateProcess(process.get(), exitCode);
        // Termination completes asynchronously; give it a moment before the taskbar repaints.
        // The exit code can't tell (the one read, and now set, is STILL_ACTIVE): ask the handle.
        for (int check = 0; check < 5; ++check) {
            if (WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT)
                break;
            Sleep(10);
        }
    }
    WriteHistoryRecord(title, path, "", kRunningProgramKind, kActionTaskKill);
    RepaintTaskbar();
    return id;
}

void RepaintTaskbar()
{
    if (HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr))
        RedrawWindow(taskbar, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int ListRunningProgramsForDating() { return EnumerateRunningPrograms(); }
