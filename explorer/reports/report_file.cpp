#include "report_file.h"

#include <windows.h>

#include <cstdarg>
#include <algorithm>
#include <cstdio>

#include "browser.h"
#include "files.h"
#include "messages.h"
#include "owned.h"
#include "platform.h"
#include "platform_text.h"
#include "version.h"
#include "web.h"

namespace {

void OpenWithShell(const char *path) { ShellOpen(path); }

ReportOpener g_opener = &OpenWithShell;

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

bool WriteWhole(HANDLE file, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

} // namespace

void ReportFile::Printf(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    if (length > 0) {
        const size_t start = text_.size();
        text_.resize(start + static_cast<size_t>(length) + 1);
        vsnprintf(&text_[start], static_cast<size_t>(length) + 1, format, again);
        text_.resize(start + static_cast<size_t>(length));
    }
    va_end(again);
}

int ReportFile::Commit()
{
    char temporary[MAX_PATH];
    const std::string folder = FolderOf(path_);
    if (folder.size() >= MAX_PATH - 14 ||
        GetTempFileNameA(folder.c_str(), "srp", 0, temporary) == 0)
        return 0;
    bool written = false;
    {
        // No sharing while it is written: nothing reads a report before it is whole.
        Handle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file && WriteWhole(file.get(), text_);
    }
    if (written && MoveFileExA(temporary, path_.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    DeleteFileA(temporary);
    return 0;
}

ReportOpener SetReportOpener(ReportOpener opener)
{
    ReportOpener previous = g_opener;
    g_opener = opener != nullptr ? opener : &OpenWithShell;
    return previous;
}

void OpenReport(const char *path) { g_opener(path); }

void OpenWrittenReport(const char *path, bool written)
{
    if (written || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        OpenReport(path);
}

std::string ReportTimeText(int hour, int minute, int second)
{
    char text[32];
    const int dial = hour % 12 == 0 ? 12 : hour % 12;
    snprintf(text, sizeof text, "%2d:%02d:%02d %s", dial, minute, second, hour >= 12 ? "PM" : "AM");
    return text;
}

std::string ReportDateText(int month, int day, int year)
{
    char text[32];
    snprintf(text, sizeof text, "%2d/%02d/%4d", month, day, year);
    return text;
}

std::string MsieText()
{
    char program[MAX_PATH];
    VersionRecord version;
    if (InternetExplorerPath(program, sizeof program) && FileExists(program)) {
        ReadVersionInfo(program, &version);
        return Joined({"MSIE: ", version.slot[VS_FileDescription], " (",
                       version.slot[VS_ProductVersion], ")"});
    }
    return "MSIE: Internet Explorer Not found.";
}

std::vector<HeaderLine> ReportHeader(bool full)
{
    char caption[128];
    char version[256];
    ProgramCaption(caption, sizeof caption);
    ProgramVersionText(version, sizeof version);
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    std::string saved = " ";
    saved += ReportTimeText(now.wHour, now.wMinute, now.wSecond);
    saved += ", on ";
    saved += ReportDateText(now.wMonth, now.wDay, now.wYear);
    std::vector<HeaderLine> lines = {
        {"Log created by", Joined({" ", caption, " version ", version})},
        {"Scan saved at", saved},
    };
    if (!full)
        return lines;
    char platform[512];
    PlatformText(platform, sizeof platform);
    lines.push_back({"Platform:", Joined({" ", platform})});
    const std::string msie = MsieText();
    lines.push_back({"MSIE:", msie.substr(5)});
    static const char *const kBootModes[] = {"Normal", "Safe", "Safe with Network"};
    const int boot = GetSystemMetrics(SM_CLEANBOOT);
    lines.push_back({"Boot mode:", Joined({" ", boot >= 0 && boot <= 2 ? kBootModes[boot]
                                                                    : "Unknown"})});
    return lines;
}

std::string HeaderText(const std::vector<HeaderLine> &lines, bool html)
{
    std::string text;
    for (const HeaderLine &line : lines) {
        if (html)
            text += "<b>" + HtmlText(line.label) + "</b>" + HtmlText(line.rest) + "<br>\r\n";
        else
            text += line.label + line.rest + "\r\n";
    }
    return text;
}

std::string Joined(std::initializer_list<std::string> parts)
{
    std::string text;
    for (const std::string &part : parts)
        text += part;
    return text;
}

std::string HtmlText(const std::string &text)
{
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': safe += "&amp;"; break;
        case '<': safe += "&lt;"; break;
        case '>': safe += "&gt;"; break;
        default: safe += c;
        }
    }
    return safe;
}

std::string FileNameOf(const std::string &path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
