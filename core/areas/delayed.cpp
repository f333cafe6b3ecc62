#include "delayed.h"

#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "bounded.h"
#include "delay.h"
#include "entries.h"
#include "files.h"
#include "keys.h"
#include "language.h"
#include "messages.h"
#include "processes.h"
#include "registry.h"
#include "startup_actions.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr int kLastEveryUserCode = 7;
constexpr int kLastAdvancedCode = 249;
constexpr int kLastMachineCode = 10;
constexpr int kStartupFolderCode = 200;
constexpr char kApplet[] = "RunDLL32.exe";

std::string DelayKey(const char *name)
{
    return std::string(kProductKey) + (name[0] != '\0' ? "\\Delay\\" : "\\Delay") + name;
}

std::string ReadText(HKEY hive, const char *name, const char *program)
{
    char text[1025] = "";
    ReadRegString(hive, DelayKey(name).c_str(), program, text, sizeof text);
    return text;
}

void WriteText(HKEY hive, const char *name, const char *program, const std::string &text)
{
    WriteRegString(hive, DelayKey(name).c_str(), program, text.c_str());
}

// The launcher counts in steps of 10 seconds: a delay that is no number (read as 0), or below 10,
// starts at the first step; one between steps at the next.
int StepDelay(int seconds)
{
    if (seconds <= 10)
        return 10;
    return (seconds + 9) / 10 * 10;
}

std::vector<std::string> DelayedPrograms(HKEY hive)
{
    std::vector<std::string> programs;
    RegKey key;
    if (!key.Open(hive, DelayKey("").c_str(), KEY_READ))
        return programs;
    const DWORD count = ValueCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[1024];
        DWORD size = sizeof name;
        if (RegEnumValueA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS &&
            size > 0 && size <= kPathWidth)
            programs.push_back(name);
    }
    return programs;
}

int Tell(UINT id, UINT type)
{
    char text[1024];
    char caption[64];
    LoadText(id, text);
    ProgramCaption(caption, sizeof caption);
    return ShowMessage(nullptr, text, caption, type | MB_TOPMOST);
}

struct Delayed {
    HKEY hive;
    std::string program;
    std::string title;
    std::string detail;
    int code;
};

Delayed DelayedOf(int index)
{
    char detail[kDetailWidth + 1];
    EntryDetail(index, detail, sizeof detail);
    return {DelayedHive(EntryExtra(index)), EntryWholePath(index), EntryWholeTitle(index), detail,
            EntryKind(index)};
}

// Takes a program out of delayed start; putting it back first, so a failed restore loses
// nothing.
int Undelay(const Delayed &delayed, bool putBack)
{
    DelayRegistration registration;
    if (!ReadDelayRegistration(delayed.hive, delayed.program.c_str(), registration))
        return 0;
    const std::string command = DelayedCommand(delayed.program, registration);
    if (putBack) {
        const std::string title = registration.title.empty() ? delayed.title : registration.title;
        const std::string detail =
            delayed.code == kStartupFolderCode ? registration.shortcut : delayed.detail;
        // Approved with its location code, as a program of the user's own choosing.
        char kept[32];
        FormatBounded(kept, sizeof kept, "%d %d", REG_SZ, delayed.code);
        if (!RestoreRemovedEntry(title.c_str(), command.c_str(), detail.c_str(), delayed.code,
                                 kept))
            return 0;
    } else if (ApprovalNumber(AREA_Start, command.c_str()) == kDelayedMark) {
        // Neither delayed nor in its place: should it come back, it is a new program.
        Withdraw(AREA_Start, command.c_str());
    }
    RemoveDelayRegistration(delayed.hive, delayed.program.c_str());
    return 1;
}

std::set<std::string> &Handled()
{
    static std::set<std::string> handled;
    return handled;
}

} // namespace

HKEY DelayedHive(int extra) { return extra == 1 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

bool ReadDelayRegistration(HKEY hive, const char *program, DelayRegistration &registration)
{
    char code[64];
    if (program == nullptr || program[0] == '\0' ||
        !RegValueExists(hive, DelayKey("").c_str(), program))
        return false;
    ReadRegString(hive, DelayKey("").c_str(), program, code, sizeof code);
    registration.code = LeadingNumber(code);
    registration.seconds = LeadingNumber(ReadText(hive, "Time", program).c_str());
    registration.windowState = LeadingNumber(ReadText(hive, "OpenAs", program).c_str());
    if (registration.windowState < 0 || registration.windowState > 2)
        registration.windowState = 0;
    registration.title = ReadText(hive, "Title", program);
    registration.parameters = ReadText(hive, "Parameters", program);
    registration.shortcut = ReadText(hive, "Shortcuts", program);
    registration.applet = ReadText(hive, "Applet", program);
    registration.command = ReadText(hive, "Command", program);
    return true;
}

int EnumDelayedEntries()
{
    ClearEntryList();
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const std::string &program : DelayedPrograms(hive)) {
            DelayRegistration registration;
            if (!ReadDelayRegistration(hive, program.c_str(), registration))
                continue;
            static VersionRecord version;
            ReadVersionInfo(program.c_str(), &version);
            std::string title = registration.title;
            if (title.empty()) {
                title = version.slot[VS_ProductName][0] != '\0' ? version.slot[VS_ProductName]
                                                                 : FileNameOf(program.c_str());
                if (title.find("Microsoft\xAE Windows\xAE") != std::string::npos)
                    title = version.slot[VS_FileDescription];
            }
            const std::string detail =
                registration.code == kStartupFolderCode ? registration.shortcut : title;
            AddEntry(title.c_str(), program.c_str(), detail.c_str(),
                     version.slot[VS_FileDescription], registration.code,
                     hive == HKEY_CURRENT_USER ? 1 : 0);
        }
    }
    return EntryCount();
}

DelayMove MoveToDelayedStart(int index)
{
    const std::string title = EntryWholeTitle(index);
    const std::string command = EntryWholePath(index);
    char detail[kDetailWidth + 1];
    EntryDetail(index, detail, sizeof detail);
    const int code = EntryKind(index);
    const bool applet = EntryExtra(index) == 1;
    if (code > kLastAdvancedCode) {
        Tell(IDS_CANNOT_DELAY, MB_OK | MB_ICONINFORMATION);
        return DelayMove::Refused;
    }
    if (FindNoCase(command.c_str(), "sentrovia.exe") != nullptr) {
        Tell(IDS_CANNOT_DELAY, MB_OK | MB_ICONINFORMATION);
        return DelayMove::RefusedStop;
    }
    // The command as its location holds it: quotes, a shortcut's arguments. One run through
    // RUNDLL32 is split as listed, the library first.
    const std::string stored = StoredStartupCommand(title.c_str(), command.c_str(), detail, code);
    char program[MAX_PATH], parameters[kPathWidth + 1];
    if (!SplitCommand(applet ? command.c_str() : stored.c_str(), program, sizeof program,
                      parameters, sizeof parameters) ||
        program[0] == '\0')
        return DelayMove::Failed;
    const bool everyUser = code >= 1 && code <= kLastEveryUserCode;
    if (everyUser && Tell(IDS_DELAY_ALL_USERS_WARNING, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return DelayMove::Declined;
    const HKEY hive = everyUser ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    char number[16];
    FormatBounded(number, sizeof number, "%d", code);
    // The registration comes first: a program taken out of its place is never lost.
    WriteText(hive, "", program, number);
    WriteText(hive, "Title", program, title);
    WriteText(hive, "Time", program, std::to_string(kDefaultDelay));
    if (parameters[0] != '\0')
        WriteText(hive, "Parameters", program, parameters);
    WriteText(hive, "Shortcuts", program, detail);
    // The command whole, so the restore gives back exactly what stood there.
    WriteText(hive, "Command", program, stored);
    if (applet)
        WriteText(hive, "Applet", program, kApplet);
    if (!RemoveStartupEntry(title.c_str(), command.c_str(), detail, code)) {
        RemoveDelayRegistration(hive, program);
        return DelayMove::Failed;
    }
    Approve(AREA_Start, command.c_str(), kDelayedMark);
    return DelayMove::Moved;
}

std::string DelayedCommand(const std::string &program, const DelayRegistration &registration)
{
    const std::string &parameters = registration.parameters;
    std::string command = program;
    if (!parameters.empty())
        command += (parameters[0] == ' ' || parameters[0] == ',' ? "" : " ") + parameters;
    if (!registration.applet.empty())
        command = registration.applet + " " + command;
    // The command as it stood, as long as it still says what the registration says.
    const std::string &stood = registration.command;
    if (stood.empty())
        return command;
    if (!registration.applet.empty())
        return EqualsNoCase(stood.c_str(), command.c_str()) ? stood : command;
    char named[MAX_PATH], rest[kPathWidth + 1];
    return SplitCommand(stood.c_str(), named, sizeof named, rest, sizeof rest) &&
                   EqualsNoCase(named, program.c_str()) && parameters == rest
               ? stood
               : command;
}

int RestoreDelayedEntry(int index, bool putBack)
{
    if (index < 0 || index >= EntryCount())
        return 0;
    return Undelay(DelayedOf(index), putBack);
}

int RestoreAllDelayed()
{
    std::vector<Delayed> all;
    for (int i = 0, count = EnumDelayedEntries(); i < count; ++i)
        all.push_back(DelayedOf(i));
    ClearEntryList();
    int restored = 0;
    for (const Delayed &delayed : all)
        restored += Undelay(delayed, true);
    return restored;
}

int WriteDelayOptions(HKEY hive, const char *program, int seconds, int windowState,
                      const char *parameters, const char *title)
{
    if (!RegValueExists(hive, DelayKey("").c_str(), program))
        return 0;
    WriteText(hive, "Time", program, std::to_string(seconds < 0 ? 0 : seconds));
    WriteText(hive, "OpenAs", program,
              std::to_string(windowState >= 0 && windowState <= 2 ? windowState : 0));
    WriteText(hive, "Parameters", program, parameters != nullptr ? parameters : "");
    WriteText(hive, "Title", program, title != nullptr ? title : "");
    return 1;
}

int AddDelayedProgram(const char *file, bool everyUser)
{
    if (file == nullptr || file[0] == '\0')
        return 0;
    const HKEY hive = everyUser ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    WriteText(hive, "", file, everyUser ? "1" : "11");
    WriteText(hive, "Time", file, std::to_string(kDefaultDelay));
    return 1;
}

int LaunchProgram(const char *program, const char *parameters, int windowState)
{
    const int show = windowState == 1   ? SW_SHOWMINIMIZED
                     : windowState == 2 ? SW_SHOWMAXIMIZED
                                        : SW_SHOWNORMAL;
    const char *arguments = parameters != nullptr && parameters[0] != '\0' ? parameters : nullptr;
    if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", program, arguments, nullptr,
                                                show)) > 32)
        return 0;
    return WinExec(program, static_cast<UINT>(show)) > 31 ? 0 : 1;
}

int LaunchDueDelayed(int step)
{
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const std::string &program : DelayedPrograms(hive)) {
            const std::string key = (hive == HKEY_CURRENT_USER ? "U:" : "M:") + program;
            DelayRegistration registration;
            if (Handled().count(key) != 0 ||
                !ReadDelayRegistration(hive, program.c_str(), registration) ||
                StepDelay(registration.seconds) != step)
                continue;
            // Counted whatever comes of it: a program that can't start is not tried again.
            Handled().insert(key);
            char clean[MAX_PATH];
            CleanPath(program.c_str(), clean, sizeof clean);
            if (FindProcessForFile(clean) != 0)
                continue;
            if (!registration.applet.empty())
                LaunchProgram(registration.applet.c_str(),
                              (std::string(clean) + registration.parameters).c_str(),
                              registration.windowState);
            else
                LaunchProgram(clean, registration.parameters.c_str(), registration.windowState);
        }
    }
    return static_cast<int>(Handled().size());
}

void ResetDelayedLauncher() { Handled().clear(); }
