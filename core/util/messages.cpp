#include "messages.h"

#include <shellapi.h>

#include "bounded.h"
#include "files.h"
#include "platform.h"
#include "strings.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr UINT kNewStartupQuestion = IDS_NEW_STARTUP_PROGRAM;
MessageResponder g_responder = nullptr;

// "%d  %s": the error code and the system's text for it, under the given caption.
int ShowErrorCode(DWORD code, const char *caption, UINT type)
{
    char system[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   system, sizeof system, nullptr);
    char text[600];
    FormatBounded(text, sizeof text, "%lu  %s", code, system);
    return ShowMessage(nullptr, text, caption, type);
}

int ShowLastErrorUnderCaption(DWORD code)
{
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    return ShowErrorCode(code, caption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

} // namespace

MessageResponder SetMessageResponder(MessageResponder responder)
{
    MessageResponder previous = g_responder;
    g_responder = responder;
    return previous;
}

int ShowMessage(HWND owner, const char *text, const char *caption, UINT type)
{
    if (g_responder != nullptr)
        return g_responder(text ? text : "", caption ? caption : "", type);
    return MessageBoxExA(owner, text, caption, type, static_cast<WORD>(LanguageId()));
}

int ProgramCaption(char *buffer, size_t capacity)
{
    return LoadText(CurrentProgram() == ProgramKind::Monitor ? IDS_CAPTION : IDS_EXPLORER_CAPTION,
                    buffer, capacity);
}

int ShowProgramInfo(const char *file, UINT messageId, char *description, size_t capacity)
{
    VersionRecord version;
    ReadVersionInfo(file, &version);
    if (messageId == 0) {
        CopyBounded(description, capacity < 1024 ? capacity : 1024,
                    version.slot[VS_FileDescription]);
        return 0;
    }
    char message[256];
    LoadText(messageId, message);
    char text[2048];
    if (version.slot[VS_FileDescription][0] != '\0') {
        FormatBounded(text, sizeof text, "%s\n\n%s\n\n%s   \n%s   \n\n\n%s   %s   \n%s   ", message,
                      file, version.slot[VS_FileDescription], version.slot[VS_LegalCopyright],
                      version.slot[VS_ProductName], version.slot[VS_ProductVersion],
                      version.slot[VS_CompanyName]);
    } else {
        char none[512];
        LoadText(IDS_NO_VERSION_INFO, none);
        FormatBounded(text, sizeof text, "%s  \n%s  \n\n%s     ", message, file, none);
    }
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    UINT type = messageId == kNewStartupQuestion ? MB_YESNO | MB_ICONWARNING
                                                 : MB_OK | MB_ICONINFORMATION;
    return ShowMessage(nullptr, text, caption, type | MB_TOPMOST);
}

int ShowSystemError()
{
    return ShowErrorCode(GetLastError(), "System Error", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

int OpenInNotepad(const char *file)
{
    if (!FileExists(file)) {
        ShowLastErrorUnderCaption(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // Quoted, so a path with blanks is one file to Notepad rather than several.
    char quoted[MAX_PATH + 3];
    if (!FormatBounded(quoted, sizeof quoted, "\"%s\"", file)) {
        ShowLastErrorUnderCaption(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    SetLastError(0);
    HINSTANCE started = ShellExecuteA(nullptr, "open", "notepad.exe", quoted, nullptr,
                                      SW_SHOWNORMAL);
    // The shell answers a value above 32 on success; below, the value is the error.
    if (reinterpret_cast<INT_PTR>(started) <= 32) {
        DWORD code = GetLastError();
        ShowLastErrorUnderCaption(code ? code : static_cast<DWORD>(
                                                    reinterpret_cast<INT_PTR>(started)));
        return 0;
    }
    return 1;
}

int OpenHostsInNotepad(const char *hostsFile)
{
    if (!FileExists(hostsFile)) {
        char text[256];
        char caption[64];
        LoadText(IDS_HOSTS_NOT_FOUND, text);
        ProgramCaption(caption, sizeof caption);
        ShowMessage(nullptr, text, caption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        return 0;
    }
    return OpenInNotepad(hostsFile);
}

int ShowNotice(HWND owner, UINT messageId)
{
    char text[1024];
    char caption[64];
    LoadText(messageId, text);
    LoadText(IDS_HELP_CAPTION, caption);
    return ShowMessage(owner, text, caption, MB_OK | MB_ICONQUESTION | MB_TOPMOST);
}
