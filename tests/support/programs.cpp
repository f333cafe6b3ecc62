#include "programs.h"

#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "scratch.h"

namespace {

HANDLE Start(const std::string &program, const std::string &arguments, DWORD *id)
{
    std::string line = "\"" + program + "\" " + arguments;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << program << " did not start: " << GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    *id = process.dwProcessId;
    return process.hProcess;
}

// The scratch folder with the copies of both programs and the companion.
const ScratchFolder &ProgramCopies()
{
    // Not named after the product: the programs treat paths that name it as their own.
    static ScratchFolder folder("bin");
    static bool copied = false;
    if (!copied) {
        copied = true;
        for (const char *program : {"Sentrovia.exe", "SentroviaEx.exe", "quellmark.dll"})
            EXPECT_TRUE(CopyFileA(BuildFile(program).c_str(), folder.File(program).c_str(), FALSE))
                << program;
    }
    return folder;
}

} // namespace

std::string ProgramFile(const char *name)
{
    const std::string copy = ProgramCopies().File(name);
    if (GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(CopyFileA(BuildFile(name).c_str(), copy.c_str(), FALSE)) << name;
    }
    return copy;
}

std::string ProgramOutput(const char *name) { return ProgramCopies().File(name); }


RunningProgram::RunningProgram(const std::string &program, const std::string &arguments)
    : process_(Start(program, arguments, &id_))
{
}

RunningProgram::~RunningProgram()
{
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool RunningProgram::WaitForEnd(DWORD milliseconds, DWORD *exitCode) const
{
    if (process_ == nullptr || WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        GetExitCodeProcess(process_, exitCode);
    return true;
}

DWORD RunToEnd(const std::string &program, const std::string &arguments)
{
    RunningProgram run(program, arguments);
    DWORD exitCode = 0xdeadbeef;
    if (!run.WaitForEnd(30000, &exitCode))
        ADD_FAILURE() << program << " still running";
    return exitCode;
}

HWND WaitForWindow(const char *className, const char *title, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        if (HWND window = FindWindowA(className, title))
            return window;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

bool WaitForNoWindow(const char *className, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (FindWindowA(className, nullptr) != nullptr) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(50);
    }
    return true;
}

void EndRunningPrograms()
{
    const struct {
        const char *windowClass;
        const char *file;
    } programs[] = {{"SentroviaEx", "SentroviaEx.exe"}, {"Sentrovia", "Sentrovia.exe"}};
    for (const auto &program : programs) {
        if (FindWindowA(program.windowClass, nullptr) != nullptr)
            RunToEnd(ProgramFile(program.file), "-Q");
        WaitForNoWindow(program.windowClass, 5000);
    }
}
