#include "history.h"

#include <wininet.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "owned.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "texts.h"
#include "vault.h"

namespace {

constexpr char kHistoryFileName[] = "history.txt";
// The other program holds the file only for one write: wait for it rather than drop the record.
constexpr int kOpenAttempts = 100;
constexpr DWORD kOpenPause = 10;
// The upload runs on the caller's thread: a server that is down or slow must not hold it long.
constexpr DWORD kUploadTimeout = 3000;
constexpr size_t kServerWidth = 511;
constexpr size_t kInstallationCodeWidth = 31;
constexpr DWORD kAnswerLimit = 32;

using InternetHandle = Owned<HINTERNET, &InternetCloseHandle>;

// Append-only access puts every write at the end; sharing only reading keeps a second writer out
// until this one closes, and the viewer may still read. Reading is for the file's last byte.
HANDLE OpenForAppend(const char *path)
{
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileA(path, FILE_READ_DATA | FILE_APPEND_DATA | SYNCHRONIZE,
                                  FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            attempt + 1 >= kOpenAttempts)
            return INVALID_HANDLE_VALUE;
        Sleep(kOpenPause);
    }
}

// The collecting server's address prefix and the installation code; 0 when no server is set.
int ServerSettings(char *server, size_t serverCapacity, char *code, size_t codeCapacity)
{
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        char address[kServerWidth + 1];
        if (ReadRegString(root, kProductKey, "svserver", address, sizeof address) <= 0)
            continue;
        char installation[1025];
        ReadRegString(root, kProductKey, "svid", installation, sizeof installation);
        installation[kInstallationCodeWidth] = '\0';
        CopyBounded(code, codeCapacity, installation);
        return CopyBounded(server, serverCapacity, address);
    }
    return 0;
}

void SetTimeouts(HINTERNET handle)
{
    DWORD timeout = kUploadTimeout;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

// Requests the address and answers 1 when the answer's first byte is "1". The request is opened
// step by step rather than by InternetOpenUrl so that the timeouts can be set on the request
// itself: Wine's WinINet does not carry a session's receive timeout down to an opened address.
int AskServer(const char *url)
{
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1];
    char object[kServerWidth + 1];
    char query[kServerWidth + 1];
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = sizeof object;
    parts.lpszExtraInfo = query;
    parts.dwExtraInfoLength = sizeof query;
    if (!InternetCrackUrlA(url, 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return 0;
    AppendBounded(object, query);

    InternetHandle session(
        InternetOpenA("History", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return 0;
    SetTimeouts(session.get());
    InternetHandle server(InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
    if (!server)
        return 0;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_PRAGMA_NOCACHE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    InternetHandle request(
        HttpOpenRequestA(server.get(), "GET", object, nullptr, nullptr, nullptr, flags, 0));
    if (!request)
        return 0;
    SetTimeouts(request.get());
    if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
        return 0;
    char answer[kAnswerLimit];
    DWORD total = 0;
    while (total < kAnswerLimit) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), answer + total, kAnswerLimit - total, &got) ||
            got == 0)
            break;
        total += got;
    }
    return total > 0 && answer[0] == '1';
}

// True when the file is empty or its last byte ends a line.
bool EndsWithLineEnd(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart == 0)
        return true;
    LARGE_INTEGER last{};
    last.QuadPart = size.QuadPart - 1;
    char byte = 0;
    DWORD got = 0;
    return !SetFilePointerEx(file, last, nullptr, FILE_BEGIN) ||
           !ReadFile(file, &byte, 1, &got, nullptr) || got != 1 || byte == '\n';
}

// The loaded records as the file holds them, beside the entry list's display copies: a restore
// works from these, never from texts the list cut or unquoted.
struct LoadedRecord {
    int action;
    int kind;
    std::string title;
    std::string path;
    std::string detail;
    std::string kept;
};
std::vector<LoadedRecord> g_loaded;
bool g_olderLeftOut = false;

int AddRecord(const HistoryRecord &record, void *)
{
    if (!AddEntry(record.title, record.path, record.detail, record.date, record.kind,
                  record.action))
        return 0;
    g_loaded.push_back(
        {record.action, record.kind, record.title, record.path, record.detail, record.kept});
    return 1;
}

} // namespace

int HistoryFilePath(char *out, size_t capacity)
{
    char folder[MAX_PATH + 1];
    if (!ProgramFolder(folder, sizeof folder) ||
        !FormatBounded(out, capacity, "%s\\%s", folder, kHistoryFileName)) {
        CopyBounded(out, capacity, "");
        return 0;
    }
    return 1;
}

int HistoryDateText(const SYSTEMTIME &time, char *out, size_t capacity)
{
    if (time.wYear == 0 && time.wMonth == 0 && time.wDay == 0)
        return LoadText(IDS_NEVER, out, capacity) > 0;
    return HistoryDateOf(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, out,
                         capacity);
}

int HistoryRecordDate(char *out, size_t capacity)
{
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    return HistoryDateText(now, out, capacity);
}

int WriteHistoryRecord(const char *title, const char *path, const char *detail, int32_t kindCode,
                       int actionCode, const char *kept)
{
    if (Option(OPT_History) <= 0)
        return kHistoryOff;
    char date[64];
    HistoryRecordDate(date, sizeof date);
    // Room for a line end the file's last line lacks, so the record is never glued to it.
    char line[kHistoryRecordBuffer + 2];
    line[0] = '\r';
    line[1] = '\n';
    size_t length = BuildHistoryLine(date, actionCode, kindCode, title, path, detail, line + 2,
                                     kHistoryRecordBuffer, kept);

    char file[MAX_PATH + 16];
    if (!HistoryFilePath(file, sizeof file)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return kHistoryFailed;
    }
    {
        Handle history(OpenForAppend(file));
        if (!history)
            return kHistoryFailed;
        const char *start = line + 2;
        if (!EndsWithLineEnd(history.get())) {
            start = line;
            length += 2;
        }
        // One write per record: the other program's records never land inside this one.
        DWORD written = 0;
        if (!WriteFile(history.get(), start, static_cast<DWORD>(length), &written, nullptr))
            return kHistoryFailed;
        if (written != length) {
            SetLastError(ERROR_DISK_FULL);
            return kHistoryFailed;
        }
    }

    char action[kHistoryNameWidth + 1];
    char type[kHistoryNameWidth + 1];
    CopyBounded(action, ActionNameOf(actionCode));
    CopyBounded(type, TypeNameOfKind(kindCode));
    UploadHistoryRecord(action, type, title ? title : "", path ? path : "");
    return kHistoryWritten;
}

int UploadHistoryRecord(const char *actionName, const char *typeName, const char *title,
                        const char *path)
{
    char url[kServerWidth + 1];
    char code[kInstallationCodeWidth + 1];
    if (!ServerSettings(url, sizeof url, code, sizeof code))
        return 0;
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    char time[64];
    HistoryDateText(now, time, sizeof time);
    // The user's name is not sent: svid already tells the installations apart.
    const HistoryUpload values{"", code, time, actionName, typeName, title, path};
    size_t used = strlen(url);
    BuildHistoryQuery(values, url + used, sizeof url - used);

    return AskServer(url);
}

int LoadHistory()
{
    ClearEntryList();
    g_loaded.clear();
    g_olderLeftOut = false;
    char file[MAX_PATH + 16];
    if (!HistoryFilePath(file, sizeof file))
        return 0;
    // One byte more than is loaded: the byte before a long history's part tells whether that
    // part starts on a whole line.
    constexpr size_t kReadWidth = kHistoryReadLimit + 1;
    std::unique_ptr<char[]> text(new (std::nothrow) char[kReadWidth]);
    if (!text)
        return 0;
    DWORD total = 0;
    {
        // Writers share reading, and the reader shares writing: loading never costs a record.
        Handle history(CreateFileA(file, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!history)
            return 0;
        // The newest records are the ones to undo: a long history is read from its end.
        LARGE_INTEGER size{};
        if (GetFileSizeEx(history.get(), &size) &&
            size.QuadPart > static_cast<LONGLONG>(kHistoryReadLimit)) {
            LARGE_INTEGER from{};
            from.QuadPart = size.QuadPart - static_cast<LONGLONG>(kReadWidth);
            SetFilePointerEx(history.get(), from, nullptr, FILE_BEGIN);
            g_olderLeftOut = true;
        }
        const size_t want = g_olderLeftOut ? kReadWidth : kHistoryReadLimit;
        while (total < want) {
            DWORD got = 0;
            if (!ReadFile(history.get(), text.get() + total, static_cast<DWORD>(want - total),
                          &got, nullptr) ||
                got == 0)
                break;
            total += got;
        }
    }
    size_t start = 0;
    if (g_olderLeftOut) {
        // Start at a whole line: what comes before the first line end (the byte before the part
        // included) belongs to an older record.
        const char *end = static_cast<const char *>(memchr(text.get(), '\n', total));
        start = end != nullptr ? static_cast<size_t>(end - text.get()) + 1 : total;
    }
    return WalkHistoryText(text.get() + start, total - start, AddRecord, nullptr);
}

int HistoryOlderLeftOut() { return g_olderLeftOut ? 1 : 0; }

int RestoreHistoryEvent(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_loaded.size())
        return 0;
    const LoadedRecord &loaded = g_loaded[index];
    const RestoreRecord record{loaded.action,        loaded.kind,          loaded.title.c_str(),
                               loaded.path.c_str(), loaded.detail.c_str(), loaded.kept.c_str()};
    const AreaRow &area = AreaOfKind(record.kind);
    return area.restore != nullptr ? area.restore(record) : 0;
}

int CanRestoreHistoryEvent(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_loaded.size())
        return 0;
    const LoadedRecord &loaded = g_loaded[index];
    if (IsReversibleAction(loaded.action))
        return 1;
    return IsVaultToken(loaded.kept.c_str()) && AreaOfKind(loaded.kind).restore != nullptr ? 1 : 0;
}

void TellNotRecorded(UINT textId, const char *title, DWORD error)
{
    char reason[256] = "";
    if (error != 0)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, reason, sizeof reason, nullptr);
    char form[512];
    LoadText(textId, form);
    char file[MAX_PATH + 16];
    HistoryFilePath(file, sizeof file);
    char text[1024];
    FormatBounded(text, sizeof text, form, title != nullptr ? title : "", file, reason);
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    ShowMessage(nullptr, text, caption, MB_OK | MB_ICONSTOP | MB_TOPMOST);
}
