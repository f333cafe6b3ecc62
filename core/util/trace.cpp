#include "trace.h"

#include <windows.h>

#include "bounded.h"
#include "platform.h"

namespace {

constexpr int kLastLine = 9000;  // the count runs to 9000, so at most 9001 lines a run
constexpr int kSuppressed = 9999;
constexpr int kMaxMarks = 16;

int g_count = kSuppressed;
DWORD g_lastTick = 0;
char g_lastText[512] = "";
bool g_verifyStarted = false;

bool TraceFile(char *path, size_t capacity)
{
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    const char *name =
        CurrentProgram() == ProgramKind::Monitor ? "send2ov.txt" : "sendex2ov.txt";
    return FormatBounded(path, capacity, "%s\\%s", folder, name);
}

void WriteLine(DWORD tick, const char *value)
{
    char path[MAX_PATH];
    if (!TraceFile(path, sizeof path))
        return;
    char key[32];
    FormatBounded(key, sizeof key, "%lu.%d", tick, g_count);
    WritePrivateProfileStringA("Trace", key, value, path);
    // The system may keep the write cached until the process ends; a trace is read while the
    // program runs, or after it ended abruptly, so each line goes to the file at once.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
}

} // namespace

void StartTrace(bool enabled, int firstLine)
{
    g_count = enabled ? firstLine : kSuppressed;
    g_lastText[0] = '\0';
    g_lastTick = GetTickCount();
    g_verifyStarted = false;
}

void Trace(const char *area, const char *text)
{
    if (g_count > kLastLine)
        return;
    CopyBounded(g_lastText, text ? text : "");
    g_lastTick = GetTickCount();
    ++g_count;
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    char value[1024];
    FormatBounded(value, sizeof value, "%02d-%02d  %02d:%02d:%02d %s: %s", now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, area ? area : "", g_lastText);
    WriteLine(g_lastTick, value);
}

void TraceTiming()
{
    if (g_count > kLastLine)
        return;
    DWORD tick = GetTickCount();
    int elapsed = static_cast<int>((tick - g_lastTick) / 2);
    if (g_verifyStarted) {
        elapsed = 1;
        g_verifyStarted = false;
    }
    ++g_count;
    char marks[kMaxMarks + 2] = "";
    if (elapsed >= 1000) {
        int count = elapsed / 1000 < kMaxMarks ? elapsed / 1000 : kMaxMarks;
        marks[0] = '\t';
        for (int i = 1; i <= count; ++i)
            marks[i] = '*';
        marks[count + 1] = '\0';
    }
    char value[1024];
    FormatBounded(value, sizeof value, "**:**:** NanoCycles: %s = %d %s", g_lastText, elapsed,
                  marks);
    WriteLine(tick, value);
}

void MarkVerifyStart() { g_verifyStarted = true; }
