#include "alerts.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "fonts.h"
#include "help.h"
#include "keys.h"
#include "messages.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "strings.h"
#include "sysfiles.h"
#include "texts.h"

namespace {

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

void SetOverride(UINT id, const char *text)
{
    SetLanguageId(7);
    const std::string name = "LString" + std::to_string(id);
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, name.c_str(), text));
}

std::string Stored(const char *name)
{
    char text[64] = "";
    ReadRegString(HKEY_CURRENT_USER, kProductKey, name, text, sizeof text);
    return text;
}

// ---------------------------------------------------------------- decisions without a window

class AlertLogic : public ::testing::Test {
protected:
    void SetUp() override { ResetAlertCounters(); }
    void TearDown() override
    {
        InitLanguage();
        ResetAlertCounters();
    }
    RegistrySandbox sandbox_;
};

TEST_F(AlertLogic, LocationSentenceFollowsTheKindCode)
{
    const struct {
        int kind;
        UINT sentence;
    } cases[] = {
        {2, IDS_LOCATION_RUNONCE},  {3, IDS_LOCATION_RUNONCE},  {5, IDS_LOCATION_RUNONCE},
        {6, IDS_LOCATION_RUNONCE},  {12, IDS_LOCATION_RUNONCE}, {13, IDS_LOCATION_RUNONCE},
        {15, IDS_LOCATION_RUNONCE}, {16, IDS_LOCATION_RUNONCE}, {22, IDS_LOCATION_RUNONCE},
        {23, IDS_LOCATION_RUNONCE}, {25, IDS_LOCATION_RUNONCE}, {26, IDS_LOCATION_RUNONCE},
        {100, IDS_LOCATION_WIN_INI}, {101, IDS_LOCATION_WIN_INI},
        {200, IDS_LOCATION_STARTUP_FOLDER},
        {1, IDS_LOCATION_RUN},  {4, IDS_LOCATION_RUN},  {7, IDS_LOCATION_RUN},
        {11, IDS_LOCATION_RUN}, {14, IDS_LOCATION_RUN}, {17, IDS_LOCATION_RUN},
        {21, IDS_LOCATION_RUN}, {24, IDS_LOCATION_RUN}, {27, IDS_LOCATION_RUN},
        {102, IDS_LOCATION_RUN}, {201, IDS_LOCATION_RUN}, {250, IDS_LOCATION_RUN},
        {256, IDS_LOCATION_RUN}, {0, IDS_LOCATION_RUN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(c.sentence, LocationSentenceId(c.kind));
        char message[2048];
        EXPECT_EQ(1, NewProgramMessage(c.kind, message, sizeof message));
        const std::string text = message;
        EXPECT_EQ(0u, text.find("A new auto Startup Program has been detected.\n" +
                                Text(c.sentence) + "\n\nDo you approve"))
            << text;
        EXPECT_EQ(std::string::npos, text.find("%s"));
    }
}

TEST_F(AlertLogic, OverrideWithoutPlaceholderIsShownAsItStands)
{
    SetOverride(IDS_NEW_STARTUP_PROGRAM, "Is this 100% expected?%nPress YES if so.");
    char message[512];
    memset(message, 'Z', sizeof message);
    EXPECT_EQ(0, NewProgramMessage(200, message, sizeof message));
    EXPECT_STREQ("Is this 100% expected?\nPress YES if so.", message);

    // With a placeholder the sentence goes in; the other "%" signs stay as they are.
    SetOverride(IDS_NEW_STARTUP_PROGRAM, "New %d program: %s (100% new)");
    EXPECT_EQ(1, NewProgramMessage(200, message, sizeof message));
    EXPECT_EQ("New %d program: " + Text(IDS_LOCATION_STARTUP_FOLDER) + " (100% new)",
              std::string(message));
}

TEST_F(AlertLogic, MessageIsCutToTheCallersBuffer)
{
    char message[40];
    memset(message, 'Z', sizeof message);
    NewProgramMessage(100, message + 0, 24);
    EXPECT_EQ(23u, strlen(message));
    EXPECT_EQ('Z', message[24]);
}

TEST_F(AlertLogic, AnswersOfTheNewProgramAlert)
{
    const struct {
        int command, kind, counter, answer;
    } cases[] = {
        {IDYES, 11, 0, 6},    {IDCANCEL, 11, 0, 6}, {IDNO, 11, 0, 7},   {IDNO, 200, 1, 7},
        {IDYES, 256, 0, 6},   {IDCANCEL, 256, 1, 6}, {IDNO, 256, 0, 11}, {IDNO, 256, 1, 11},
        {IDYES, 11, 2, 11},   {IDNO, 11, 2, 11},    {IDCANCEL, 11, 2, 11}, {IDYES, 11, 5, 11},
        {IDC_ALERT_INFO, 11, 0, 0}, {IDOK, 11, 0, 0}, {IDC_ALERT_ICON, 11, 2, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.command << " kind " << c.kind << " counter "
                                          << c.counter);
        EXPECT_EQ(c.answer, NewProgramAnswer(c.command, c.kind, c.counter));
    }
}

TEST_F(AlertLogic, AnswersOfTheYesNoAlerts)
{
    EXPECT_EQ(6, YesNoAnswer(IDYES));
    EXPECT_EQ(6, YesNoAnswer(IDCANCEL));
    EXPECT_EQ(7, YesNoAnswer(IDNO));
    EXPECT_EQ(0, YesNoAnswer(IDC_ALERT_INFO));
    EXPECT_EQ(0, YesNoAnswer(IDOK));
}

TEST_F(AlertLogic, HookEntriesAreNamedByTheirHook)
{
    const struct {
        int kind;
        const char *product;
        const char *name;
    } cases[] = {
        {250, "Acme Tool", "WinLogon:UserInit"}, {251, "Acme Tool", "WinLogon:Shell"},
        {252, "Acme Tool", "ObjectDelayLoad"},   {253, "Acme Tool", "SharedTaskScheduler"},
        {254, "Acme Tool", "Acme Tool"},         {255, "Acme Tool", "AppInit_DLLs"},
        {256, "Acme Tool", "Acme Tool"},         {11, "Acme Tool", "Acme Tool"},
        // Without a product name the hook's name is not shown either.
        {250, "", ""},                           {255, nullptr, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        char name[64];
        memset(name, 'Z', sizeof name);
        EXPECT_EQ(1, NewProgramName(c.kind, c.product, name, sizeof name));
        EXPECT_STREQ(c.name, name);
    }
    char small[8];
    EXPECT_EQ(0, NewProgramName(253, "Acme", small, sizeof small));
    EXPECT_STREQ("SharedT", small);
}

TEST_F(AlertLogic, RepeatCounterCountsThePathAlertedAgain)
{
    AlertRepeat &repeat = TheAlertRepeat();
    NoteAlertedPath("C:\\Tools\\Acme.exe");
    EXPECT_EQ(0, repeat.counter);
    NoteAlertedPath("c:\\tools\\ACME.EXE");
    EXPECT_EQ(1, repeat.counter);
    EXPECT_STREQ("c:\\tools\\ACME.EXE", repeat.lastPath);
    // Another path only becomes the last one; the count stands.
    NoteAlertedPath("C:\\Tools\\Other.exe");
    EXPECT_EQ(1, repeat.counter);
    NoteAlertedPath("C:\\Tools\\Other.exe");
    EXPECT_EQ(2, repeat.counter);
    ResetAlertCounters();
    EXPECT_EQ(0, repeat.counter);
    EXPECT_STREQ("", repeat.lastPath);
}

TEST(AlertPlacement, StoredPlaceWithinTheVirtualScreenIsKept)
{
    const ScreenSize screen = {1024, 768, 2048, 768};
    const SIZE dialog = {600, 290};
    const struct {
        const char *x, *y;
        LONG left, top;
    } cases[] = {
        {"37", "41", 37, 41},
        {"2048", "768", 2048, 768},        // at the edge: still within
        {"2049", "41", 512, 41},           // beyond the width: half the screen's width
        {"37", "769", 37, 384},            // beyond the height: half the screen's height
        {"99999", "99999", 512, 384},
        {"-15", "0", -15, 0},
        {nullptr, "41", 212, 159},         // either missing: centred, top at a third
        {"37", nullptr, 212, 159},
        {"", "", 212, 159},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.x ? c.x : "-") << "," << (c.y ? c.y : "-"));
        POINT place = AlertPlacement(c.x, c.y, dialog, screen);
        EXPECT_EQ(c.left, place.x);
        EXPECT_EQ(c.top, place.y);
    }
}

// ---------------------------------------------------------------- positions of a real window

class AlertPosition : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
    }
    void TearDown() override { DestroyWindow(window_); }
    RECT Rect() const
    {
        RECT rect{};
        GetWindowRect(window_, &rect);
        return rect;
    }
    RegistrySandbox sandbox_;
    HWND window_ = nullptr;
};

TEST_F(AlertPosition, SaveWritesTheWindowRectangle)
{
    SetWindowPos(window_, nullptr, -20, 35, 310, 190, SWP_NOZORDER | SWP_NOACTIVATE);
    SaveAlertPosition(window_, "xPosAlert", "yPosAlert", "dxAlert", "dyAlert");
    EXPECT_EQ("-20", Stored("xPosAlert"));
    EXPECT_EQ("35", Stored("yPosAlert"));
    EXPECT_EQ("310", Stored("dxAlert"));
    EXPECT_EQ("190", Stored("dyAlert"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kProductKey, "xPosSysFiles"));
}

TEST_F(AlertPosition, RestoreMovesWithoutResizing)
{
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "xPosSysFiles", "57");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "yPosSysFiles", "63");
    // Stored sizes are never used for placing.
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "dxSysFiles", "900");
    RestoreAlertPosition(window_, kSystemFilePosition.x, kSystemFilePosition.y);
    RECT rect = Rect();
    EXPECT_EQ(57, rect.left);
    EXPECT_EQ(63, rect.top);
    EXPECT_EQ(300, rect.right - rect.left);
    EXPECT_EQ(200, rect.bottom - rect.top);
}

TEST_F(AlertPosition, MissingValueCentresAtOneThird)
{
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "xPosAlert", "57");
    RestoreAlertPosition(window_, kItemAlertPosition.x, kItemAlertPosition.y);
    RECT rect = Rect();
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 300) / 2, rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 200) / 3, rect.top);
}

// ---------------------------------------------------------------- the shell, stood in for

// Opens documents and web addresses with a copy of the stand-in browser in a scratch folder,
// through the sandboxed HKEY_CLASSES_ROOT; the copy writes what it was given beside itself.
class StandInOpener {
public:
    explicit StandInOpener(const ScratchFolder &folder)
        : program_(folder.File("opener.exe")), record_(folder.File("opener.txt"))
    {
        EXPECT_TRUE(CopyFileA(BuildFile("fixture_browser.exe").c_str(), program_.c_str(), FALSE));
        const std::string command = "\"" + program_ + "\" \"%1\"";
        Set(".html", "SentroviaTestPage");
        for (const char *key : {"SentroviaTestPage", "http", "https"})
            Set(std::string(key) + "\\shell\\open\\command", command);
    }
    ~StandInOpener()
    {
        // The copy can only go once it has ended.
        for (int wait = 0; wait < 100 && !DeleteFileA(program_.c_str()); ++wait)
            Sleep(50);
    }
    // What it was asked to open, waiting for it to come.
    std::string Opened() const
    {
        std::string text;
        for (int wait = 0; wait < 200 && text.empty(); ++wait) {
            text = ReadWholeFile(record_);
            if (text.empty())
                Sleep(50);
        }
        return text;
    }

private:
    static void Set(const std::string &key, const std::string &value)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ,
                                                 value.c_str(),
                                                 static_cast<DWORD>(value.size() + 1)));
    }
    std::string program_;
    std::string record_;
};

class HelpPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_.programFolder = programs_.path().c_str();
        SetPlatformOverride(&folder_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        InitLanguage();
    }
    RegistrySandbox sandbox_;
    ScratchFolder programs_;
    PlatformOverride folder_;
};

TEST_F(HelpPages, EachCommandHasItsPage)
{
    const struct {
        int command;
        const char *page;
    } cases[] = {
        {6026, "startup.html"}, {6028, "cookies.html"},  {6029, "tasks.html"},
        {6033, "options.html"}, {6038, "services.html"}, {6039, "scheduler.html"},
        {6040, "bho.html"},     {6042, "filetype.html"}, {6051, "helpme.html"},
        {6052, "hidden.html"},  {6055, "delay.html"},    {6056, "activex.html"},
        {6027, "features.html"}, {6030, "features.html"}, {0, "features.html"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_STREQ(c.page, HelpPageName(c.command));
    }
}

// Every page a command can ask for ships beside the programs, as a page of its own.
TEST_F(HelpPages, EveryPageShipsBesideThePrograms)
{
    for (int command : {6026, 6028, 6029, 6033, 6038, 6039, 6040, 6042, 6051, 6052, 6055, 6056, 0}) {
        SCOPED_TRACE(command);
        const std::string page = ReadWholeFile(BuildFile(HelpPageName(command)));
        EXPECT_NE(std::string::npos, page.find("<title>Sentrovia Help: ")) << HelpPageName(command);
        EXPECT_NE(std::string::npos, page.find("</html>"));
        EXPECT_NE(std::string::npos, page.find("href=\"help.css\""));
    }
    EXPECT_NE(std::string::npos, ReadWholeFile(BuildFile("help.css")).find("body {"));
}

TEST_F(HelpPages, LanguagePrefixComesBeforeThePage)
{
    char address[256];
    char prefix[16] = "canary";
    EXPECT_EQ(1, HelpPagePrefix(prefix, sizeof prefix));
    EXPECT_STREQ("", prefix);
    HelpPageAddress(6051, address, sizeof address);
    EXPECT_STREQ("https://duckduckgo.com/?q=programs%20that%20start%20with%20Windows", address);

    SetOverride(IDS_LANGUAGE_CODE, "de");
    HelpPagePrefix(prefix, sizeof prefix);
    EXPECT_STREQ("de_", prefix);
    // The search is on the page's subject.
    HelpPageAddress(6040, address, sizeof address);
    EXPECT_STREQ("https://duckduckgo.com/?q=Internet%20Explorer%20browser%20helper%20objects",
                 address);
}

TEST_F(HelpPages, CopyInTheProgramFolderIsOpenedFirst)
{
    ScratchFolder opener;
    StandInOpener shell(opener);
    const std::string page = programs_.Write("helpme.html", "<html></html>");
    EXPECT_EQ(1, OpenHelpPage(6051));
    EXPECT_EQ("\"" + page + "\"\n", shell.Opened());
}

// The user's language first, then the English page shipped beside the program, then a search.
TEST_F(HelpPages, ThePageInTheUsersLanguageComesFirstThenTheShippedOneThenASearch)
{
    SetOverride(IDS_LANGUAGE_CODE, "fr");
    const std::string french = programs_.Write("fr_helpme.html", "<html></html>");
    const std::string english = programs_.Write("helpme.html", "<html></html>");
    std::vector<std::string> opened;
    for (const std::string &gone : {std::string(), french, english}) {
        if (!gone.empty())
            DeleteFileA(gone.c_str());
        ScratchFolder opener;
        StandInOpener shell(opener);
        EXPECT_EQ(1, OpenHelpPage(6051));
        opened.push_back(shell.Opened());
    }
    ASSERT_EQ(3u, opened.size());
    EXPECT_EQ("\"" + french + "\"\n", opened[0]);
    EXPECT_EQ("\"" + english + "\"\n", opened[1]);
    EXPECT_NE(std::string::npos, opened[2].find("https://duckduckgo.com/?q=")) << opened[2];
}

// ---------------------------------------------------------------- the dialogs themselves

// What a driver saw of an open alert.
struct Seen {
    bool found = false;
    HWND owner = nullptr;
    std::string caption, name, path, message, label, version, company, description, copyright;
    std::string yes, no, info;
    bool topmost = false;
    bool checkVisible = true;
    bool fileIcon = false;
    bool boldMessage = false;
    bool largeName = false;
    bool boldPath = false;
    bool messageInDialogFont = false;
    RECT rect{};
};

std::string ItemText(HWND dialog, int item)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
}

HFONT ItemFont(HWND dialog, int item)
{
    return reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, item, WM_GETFONT, 0, 0));
}

Seen Look(HWND dialog)
{
    Seen seen;
    seen.found = true;
    seen.owner = GetWindow(dialog, GW_OWNER);
    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    seen.caption = caption;
    seen.name = ItemText(dialog, IDC_ALERT_NAME);
    seen.path = ItemText(dialog, IDC_ALERT_PATH);
    seen.message = ItemText(dialog, IDC_ALERT_MESSAGE);
    seen.label = ItemText(dialog, IDC_ALERT_VERSION_LABEL);
    seen.version = ItemText(dialog, IDC_ALERT_VERSION);
    seen.company = ItemText(dialog, IDC_ALERT_COMPANY);
    seen.description = ItemText(dialog, IDC_ALERT_DESCRIPTION);
    seen.copyright = ItemText(dialog, IDC_ALERT_COPYRIGHT);
    seen.yes = ItemText(dialog, IDYES);
    seen.no = ItemText(dialog, IDNO);
    seen.info = ItemText(dialog, IDC_ALERT_INFO);
    seen.topmost = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    HWND check = GetDlgItem(dialog, IDC_ALERT_CHECK);
    seen.checkVisible = check != nullptr && IsWindowVisible(check);
    seen.fileIcon = SendDlgItemMessageA(dialog, IDC_ALERT_ICON, BM_GETIMAGE, IMAGE_ICON, 0) != 0;
    seen.boldMessage = ItemFont(dialog, IDC_ALERT_MESSAGE) == GetAlertFont(FONT_BoldSansSerif);
    seen.largeName = ItemFont(dialog, IDC_ALERT_NAME) == GetAlertFont(FONT_LargeArial);
    seen.boldPath = ItemFont(dialog, IDC_ALERT_PATH) == GetAlertFont(FONT_BoldSansSerif);
    seen.messageInDialogFont = ItemFont(dialog, IDC_ALERT_MESSAGE) ==
                               reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    GetWindowRect(dialog, &seen.rect);
    return seen;
}

void Click(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// Steps taken on the open alert, one per timer tick of the dialog's own message loop (after the
// messages the previous step posted); a step that answers false is tried again on the next tick.
using Step = std::function<bool(HWND dialog)>;
struct Drive {
    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    Seen seen;
};
Drive *g_drive = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

void CALLBACK OnDriveTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    Drive &drive = *g_drive;
    if (dialog == nullptr) {
        ++drive.idleTicks;
        return;
    }
    if (!drive.seen.found)
        drive.seen = Look(dialog);
    if (drive.next < drive.steps.size() && drive.steps[drive.next](dialog))
        ++drive.next;
}

// The item the next alert is opened with.
AlertContext g_item{};

// Opens an alert on g_item and takes the steps on it; the last step should end it.
int RunAlert(int (*show)(const AlertContext &), Drive &drive)
{
    g_drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, OnDriveTick);
    int answer = show(g_item);
    KillTimer(nullptr, timer);
    g_drive = nullptr;
    return answer;
}

Step Press(int button)
{
    return [button](HWND dialog) {
        Click(dialog, button);
        return true;
    };
}

class AlertDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, CreateAlertFonts());
        owner_ = CreateWindowExA(0, "STATIC", "Sentrovia", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(nullptr, owner_);
        Monitor().mainWindow = owner_;
        ResetAlertCounters();
        folder_.programFolder = programs_.path().c_str();
        SetPlatformOverride(&folder_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        Monitor() = MonitorState{};
        DestroyWindow(owner_);
        ReleaseAlertFonts();
        ResetAlertCounters();
        g_item = AlertContext{};
        InitLanguage();
    }
    void Alert(const std::string &path, int kind, const char *title = "Acme")
    {
        AlertContext &context = g_item;
        CopyItem(context.itemPath, path);
        CopyItem(context.itemTitle, title);
        CopyItem(context.secondPath, "C:\\second.exe");
        CopyItem(context.location, "C:\\windows");
        context.kindCode = kind;
    }
    static void CopyItem(char (&field)[kAlertText], const std::string &text)
    {
        ASSERT_LT(text.size(), sizeof field);
        memcpy(field, text.c_str(), text.size() + 1);
    }
    // The alert reads its item and leaves it as it was given.
    void ExpectItemUntouched(const std::string &path, int kind)
    {
        EXPECT_EQ(path, g_item.itemPath);
        EXPECT_STREQ("C:\\second.exe", g_item.secondPath);
        EXPECT_STREQ("C:\\windows", g_item.location);
        EXPECT_EQ(kind, g_item.kindCode);
    }

    RegistrySandbox sandbox_;
    ScratchFolder programs_;
    PlatformOverride folder_;
    HWND owner_ = nullptr;
    const std::string monitor_ = BuildFile("Sentrovia.exe");
};

TEST_F(AlertDialogs, NewProgramAlertShowsTheProgramAndYesApproves)
{
    Alert(monitor_, 2);
    Drive drive;
    drive.steps = {Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));

    const Seen &seen = drive.seen;
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(owner_, seen.owner);
    EXPECT_EQ("Sentrovia New Program Alert", seen.caption);
    EXPECT_EQ("Sentrovia", seen.name);
    EXPECT_TRUE(seen.largeName);
    EXPECT_EQ(monitor_, seen.path);
    EXPECT_TRUE(seen.boldPath);
    EXPECT_NE(std::string::npos, seen.message.find(Text(IDS_LOCATION_RUNONCE))) << seen.message;
    EXPECT_EQ(0u, seen.message.find("A new auto Startup Program has been detected."));
    EXPECT_TRUE(seen.boldMessage);
    EXPECT_EQ("Version", seen.label);
    EXPECT_EQ(SENTROVIA_VERSION_TEXT, seen.version);
    EXPECT_EQ("Orvanto", seen.company);
    EXPECT_EQ("Sentrovia Monitor", seen.description);
    EXPECT_EQ("&Yes", seen.yes);
    EXPECT_EQ("&No", seen.no);
    EXPECT_EQ(Text(IDS_ONLINE_INFO), seen.info);
    EXPECT_TRUE(seen.fileIcon);
    EXPECT_FALSE(seen.checkVisible);
    EXPECT_TRUE(seen.topmost);

    ExpectItemUntouched(monitor_, 2);
    // Where it stood is kept for the next alert.
    EXPECT_EQ(std::to_string(seen.rect.left), Stored("xPosAlert"));
    EXPECT_EQ(std::to_string(seen.rect.top), Stored("yPosAlert"));
    EXPECT_EQ(std::to_string(seen.rect.right - seen.rect.left), Stored("dxAlert"));
    EXPECT_EQ(std::to_string(seen.rect.bottom - seen.rect.top), Stored("dyAlert"));
}

// Whether a character of an edit box is drawn inside the box.
bool CharacterInView(HWND box, size_t index)
{
    const LRESULT at = SendMessageA(box, EM_POSFROMCHAR, index, 0);
    if (at == -1)
        return false;
    const int x = static_cast<short>(LOWORD(at));
    const int y = static_cast<short>(HIWORD(at));
    RECT client{};
    GetClientRect(box, &client);
    return x >= 0 && x < client.right && y >= 0 && y < client.bottom;
}

TEST_F(AlertDialogs, LongCommandKeepsItsProgramsFileNameInView)
{
    const std::string folders[] = {
        "C:\\Program Files\\Some Vendor With A Long Name\\Product Suite\\Version 12\\bin",
        "C:\\Users\\someone\\AppData\\Local\\Packages\\Vendor.Product_8wekyb3d8bbwe\\LocalCache"
        "\\Roaming\\Vendor Product Suite\\Components\\Background Services\\x64\\Release 2026.11",
    };
    for (const std::string &folder : folders) {
        for (const char *arguments : {"", " --background --minimized --profile=default"}) {
            const std::string command = folder + "\\updater.exe" + arguments;
            SCOPED_TRACE(command);
            Alert(command, 11);
            bool multiLine = false, nameShown = false;
            std::string text;
            Drive drive;
            drive.steps = {[&](HWND dialog) {
                               HWND box = GetDlgItem(dialog, IDC_ALERT_PATH);
                               multiLine = (GetWindowLongA(box, GWL_STYLE) & ES_MULTILINE) != 0;
                               char shown[kAlertText] = "";
                               GetWindowTextA(box, shown, sizeof shown);
                               text = shown;
                               const size_t name = command.find("updater.exe");
                               nameShown = CharacterInView(box, name) &&
                                           CharacterInView(box, name + strlen("updater.exe") - 1);
                               return true;
                           },
                           Press(IDYES)};
            EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
            EXPECT_TRUE(multiLine);
            EXPECT_EQ(command, text) << "the whole command stays in the box";
            EXPECT_TRUE(nameShown) << "the program's file name is cut off";
        }
    }
}

TEST_F(AlertDialogs, EscapeAndTheCloseBoxApprove)
{
    Alert(monitor_, 11);
    Drive escape;
    escape.steps = {Press(IDCANCEL)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, escape));
    ExpectItemUntouched(monitor_, 11);

    Alert("C:\\Tools\\Other.exe", 11);
    Drive close;
    close.steps = {[](HWND dialog) { return PostMessageA(dialog, WM_CLOSE, 0, 0) != 0; }};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, close));
    EXPECT_TRUE(close.seen.found);
}

TEST_F(AlertDialogs, NoRejectsButDisablesANotifyEntry)
{
    Alert(monitor_, 11);
    Drive plain;
    plain.steps = {Press(IDNO)};
    EXPECT_EQ(7, RunAlert(ShowNewProgramAlert, plain));

    Alert("C:\\Windows\\notify.dll", 256);
    Drive notify;
    notify.steps = {Press(IDNO)};
    EXPECT_EQ(11, RunAlert(ShowNewProgramAlert, notify));
}

TEST_F(AlertDialogs, HookEntryShowsTheHookAsItsName)
{
    Alert(monitor_, 251);
    Drive drive;
    drive.steps = {Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
    EXPECT_EQ("WinLogon:Shell", drive.seen.name);
    EXPECT_NE(std::string::npos, drive.seen.message.find(Text(IDS_LOCATION_RUN)));
}

TEST_F(AlertDialogs, FileThatTellsNothingKeepsTheTemplatesTexts)
{
    Alert("C:\\nowhere\\ghost.exe -background", 200);
    Drive drive;
    drive.steps = {Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
    const Seen &seen = drive.seen;
    EXPECT_EQ("", seen.name);
    EXPECT_EQ("C:\\nowhere\\ghost.exe -background", seen.path);
    EXPECT_EQ("", seen.version);
    EXPECT_EQ("Company name not included in this program.", seen.company);
    EXPECT_EQ("No Description found", seen.description);
    EXPECT_FALSE(seen.fileIcon);
    EXPECT_NE(std::string::npos, seen.message.find(Text(IDS_LOCATION_STARTUP_FOLDER)));
}

TEST_F(AlertDialogs, ProgramWithoutIconsShowsThePlainProgramIcon)
{
    Alert(BuildFile("vfx_no_version.exe"), 11);
    Drive drive;
    drive.steps = {Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
    EXPECT_TRUE(drive.seen.fileIcon);
}

TEST_F(AlertDialogs, OverrideIsShownInTheDialogsOwnFont)
{
    SetOverride(IDS_NEW_STARTUP_PROGRAM, "Allow this program?");
    Alert(monitor_, 2);
    Drive drive;
    drive.steps = {Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
    EXPECT_EQ("Allow this program?", drive.seen.message);
    EXPECT_FALSE(drive.seen.boldMessage);
    EXPECT_TRUE(drive.seen.messageInDialogFont);
}

TEST_F(AlertDialogs, StoredPlaceIsUsedAndAFarOneComesBackOnScreen)
{
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "xPosAlert", "37");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "yPosAlert", "41");
    Alert(monitor_, 11);
    Drive nearby;
    nearby.steps = {Press(IDYES)};
    RunAlert(ShowNewProgramAlert, nearby);
    EXPECT_EQ(37, nearby.seen.rect.left);
    EXPECT_EQ(41, nearby.seen.rect.top);

    WriteRegString(HKEY_CURRENT_USER, kProductKey, "xPosAlert", "40000");
    Alert(monitor_, 11);
    Drive distant;
    distant.steps = {Press(IDYES)};
    RunAlert(ShowNewProgramAlert, distant);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2, distant.seen.rect.left);
    EXPECT_EQ(41, distant.seen.rect.top);
    EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CXSCREEN) / 2), Stored("xPosAlert"));
}

TEST_F(AlertDialogs, ThirdAlertForTheSamePathOpensHelpAndDisables)
{
    ScratchFolder opener;
    StandInOpener shell(opener);
    const std::string page = programs_.Write("helpme.html", "<html></html>");
    const std::string path = "C:\\Tools\\Pushy.exe";
    const struct {
        std::string path;
        int button, answer;
    } rounds[] = {{path, IDYES, 6}, {"c:\\tools\\PUSHY.exe", IDNO, 7}, {path, IDYES, 11}};
    for (const auto &round : rounds) {
        SCOPED_TRACE(round.answer);
        Alert(round.path, 11);
        Drive drive;
        drive.steps = {Press(round.button)};
        EXPECT_EQ(round.answer, RunAlert(ShowNewProgramAlert, drive));
    }
    EXPECT_EQ("\"" + page + "\"\n", shell.Opened());
    EXPECT_EQ(0, TheAlertRepeat().counter);
    EXPECT_STREQ("", TheAlertRepeat().lastPath);

    // Counting starts again.
    Alert(path, 11);
    Drive after;
    after.steps = {Press(IDNO)};
    EXPECT_EQ(7, RunAlert(ShowNewProgramAlert, after));
}

TEST_F(AlertDialogs, InfoLooksTheProgramUpAndLetsTheBrowserInFront)
{
    ScratchFolder opener;
    StandInOpener shell(opener);
    Alert(monitor_, 11, "Sentrovia");
    // Another program's window between the Monitor's and the alert, as on a real desktop: Wine
    // keeps an owned window topmost when its owner lies right below it.
    HWND other = CreateWindowExA(0, "STATIC", "Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    bool topmostAfter = true;
    Drive drive;
    drive.steps = {Press(IDC_ALERT_INFO),
                   [&topmostAfter](HWND dialog) {
                       topmostAfter = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                       return true;
                   },
                   Press(IDYES)};
    EXPECT_EQ(6, RunAlert(ShowNewProgramAlert, drive));
    DestroyWindow(other);
    EXPECT_TRUE(drive.seen.topmost);
    EXPECT_FALSE(topmostAfter);
    const std::string opened = shell.Opened();
    EXPECT_NE(std::string::npos, opened.find("?program=Sentrovia.exe")) << opened;
    EXPECT_NE(std::string::npos, opened.find("&Type=1011")) << opened;
}

TEST_F(AlertDialogs, DelayedProgramThatCameBackIsMovedBackOrKeptDelayed)
{
    const struct {
        int button, answer;
    } cases[] = {{IDYES, 6}, {IDCANCEL, 6}, {IDNO, 7}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        Alert(monitor_, 11);
        Drive drive;
        drive.steps = {Press(c.button)};
        EXPECT_EQ(c.answer, RunAlert(ShowDelayedProgramAlert, drive));
        const Seen &seen = drive.seen;
        ASSERT_TRUE(seen.found);
        EXPECT_EQ("This Program doesn't want to be Delayed", seen.caption);
        EXPECT_EQ(Text(IDS_DELAY_COMEBACK), seen.message);
        EXPECT_FALSE(seen.boldMessage);
        EXPECT_EQ("Sentrovia", seen.name);
        EXPECT_EQ(monitor_, seen.path);
        EXPECT_EQ("Version", seen.label);
        EXPECT_EQ("&Yes", seen.yes);
        EXPECT_EQ("Disable", seen.no);
        EXPECT_TRUE(seen.fileIcon);
        EXPECT_TRUE(seen.topmost);
        ExpectItemUntouched(monitor_, 11);
        EXPECT_EQ(std::to_string(seen.rect.left), Stored("xPosAlert"));
    }
    // The delayed alert does not count towards the new-program alert's repeats.
    EXPECT_EQ(0, TheAlertRepeat().counter);
    EXPECT_STREQ("", TheAlertRepeat().lastPath);
}

TEST_F(AlertDialogs, AddOnAlertsNameTheItemAndRecordTheAskingAsAHelper)
{
    const struct {
        int (*show)(const AlertContext &);
        UINT message;
        int kind;
    } alerts[] = {{ShowIEHelperAlert, IDS_NEW_IE_HELPER, 901},
                  {ShowActiveXAlert, IDS_NEW_ACTIVEX, 1200}};
    const struct {
        int button, answer;
    } answers[] = {{IDYES, 6}, {IDNO, 7}, {IDCANCEL, 6}};
    const std::string history = programs_.File("history.txt");
    LoadOptions();  // the history is kept by default
    for (const auto &alert : alerts) {
        for (const auto &c : answers) {
            SCOPED_TRACE(std::to_string(alert.kind) + " " + std::to_string(c.button));
            DeleteFileA(history.c_str());
            Alert(monitor_, alert.kind, "Acme Toolbar");
            Drive drive;
            drive.steps = {Press(c.button)};
            EXPECT_EQ(c.answer, RunAlert(alert.show, drive));
            const Seen &seen = drive.seen;
            ASSERT_TRUE(seen.found);
            EXPECT_EQ("Sentrovia New Program Alert", seen.caption);
            EXPECT_EQ(Text(alert.message), seen.message);
            // The item's own name, not the product name of its file.
            EXPECT_EQ("Acme Toolbar", seen.name);
            EXPECT_TRUE(seen.largeName);
            EXPECT_EQ(monitor_, seen.path);
            EXPECT_EQ("Version:", seen.label);
            EXPECT_EQ("Orvanto", seen.company);
            EXPECT_NE(std::string::npos, seen.copyright.find("Orvanto")) << seen.copyright;
            EXPECT_EQ("&Yes", seen.yes);
            EXPECT_EQ("&No", seen.no);
            EXPECT_FALSE(seen.fileIcon);
            EXPECT_TRUE(seen.topmost);
            ExpectItemUntouched(monitor_, alert.kind);
            // The asking is recorded under the helpers' kind, by the file's product name.
            const std::string text = ReadWholeFile(history);
            EXPECT_NE(std::string::npos, text.find("\tIEHELPER_Alert\tTYPE_BHO\tSentrovia\t"))
                << text;
        }
    }
}

// Only Delete deletes: OK, Escape and the close box keep the file. The asking is recorded by the
// item's title as a hidden file.
TEST_F(AlertDialogs, HiddenFileAlertDeletesOnlyOnItsDeleteButton)
{
    const struct {
        int button, answer;
    } answers[] = {{IDOK, 6}, {IDNO, 7}, {IDCANCEL, 6}, {0, 6}};
    const std::string history = programs_.File("history.txt");
    LoadOptions();
    for (const auto &c : answers) {
        SCOPED_TRACE(c.button);
        DeleteFileA(history.c_str());
        Alert(monitor_, 370, "Hidden Helper");
        Drive drive;
        drive.steps = {c.button != 0 ? Press(c.button) : [](HWND dialog) {
            return PostMessageA(dialog, WM_CLOSE, 0, 0) != 0;
        }};
        EXPECT_EQ(c.answer, RunAlert(ShowHiddenFileAlert, drive));
        const Seen &seen = drive.seen;
        ASSERT_TRUE(seen.found);
        EXPECT_EQ("Sentrovia Hidden File Alert", seen.caption);
        EXPECT_EQ(Text(IDS_NEW_HIDDEN_FILE), seen.message);
        EXPECT_EQ("Hidden Helper", seen.name);
        EXPECT_EQ(monitor_, seen.path);
        EXPECT_EQ("&Delete", seen.no);
        EXPECT_EQ("Orvanto", seen.company);
        EXPECT_TRUE(seen.topmost);
        ExpectItemUntouched(monitor_, 370);
        const std::string text = ReadWholeFile(history);
        EXPECT_NE(std::string::npos, text.find("\tHIDDEN_Alert\tTYPE_HIDDEN\tHidden Helper\t"))
            << text;
    }
    EXPECT_EQ(0, HiddenFileAnswer(IDC_ALERT_INFO));
}

TEST_F(AlertDialogs, NewServiceAlertShowsHowItStartsAndEscapeTurnsItDown)
{
    const struct {
        int button, answer;
    } answers[] = {{IDYES, 6}, {IDNO, 7}, {IDCANCEL, 7}};
    for (const auto &c : answers) {
        SCOPED_TRACE(c.button);
        // A service no service control manager knows: how it starts is unknown, and it runs not.
        Alert(monitor_, 700, "Orbit Unknown Service");
        Drive drive;
        std::string heading, status;
        bool boldHeading = false;
        drive.steps = {[&](HWND dialog) {
                           heading = ItemText(dialog, IDC_SERVICE_HEADING);
                           status = ItemText(dialog, IDC_SERVICE_STATUS);
                           boldHeading = ItemFont(dialog, IDC_SERVICE_HEADING) ==
                                         GetAlertFont(FONT_BoldSansSerif);
                           return true;
                       },
                       Press(c.button)};
        EXPECT_EQ(c.answer, RunAlert(ShowNewServiceAlert, drive));
        const Seen &seen = drive.seen;
        ASSERT_TRUE(seen.found);
        EXPECT_EQ("Sentrovia New Program Alert", seen.caption);
        EXPECT_EQ("Orbit Unknown Service", seen.name);
        EXPECT_EQ("Version", seen.label);
        EXPECT_TRUE(seen.fileIcon);
        EXPECT_EQ(Text(IDS_NEW_SERVICE), heading);
        EXPECT_TRUE(boldHeading);
        EXPECT_EQ(0u, status.find("Startup Status: Unknown\nActive Status: Stopped.")) << status;
        ExpectItemUntouched(monitor_, 700);
    }
    EXPECT_EQ(IDS_START_AUTOMATIC, StartTypeTextId(2));
    EXPECT_EQ(IDS_START_MANUAL, StartTypeTextId(3));
    EXPECT_EQ(IDS_START_DISABLED, StartTypeTextId(4));
    EXPECT_EQ(IDS_UNKNOWN, StartTypeTextId(1));
}

// The task is named without its job file's extension; a title that is nothing but the extension
// shows the program's product name. The asking is recorded by that product name as a task.
TEST_F(AlertDialogs, NewTaskAlertNamesTheTaskAndRecordsTheAsking)
{
    const struct {
        const char *title, *name;
        int button, answer;
    } cases[] = {{"Nightly Backup.job", "Nightly Backup", IDYES, 6},
                 {"\\Vendor\\Updater", "\\Vendor\\Updater", IDNO, 7},
                 {".job", "Sentrovia", IDCANCEL, 6},
                 {"Job", "Job", IDYES, 6}};
    const std::string history = programs_.File("history.txt");
    LoadOptions();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        DeleteFileA(history.c_str());
        Alert(monitor_, 800, c.title);
        Drive drive;
        drive.steps = {Press(c.button)};
        EXPECT_EQ(c.answer, RunAlert(ShowNewTaskAlert, drive));
        const Seen &seen = drive.seen;
        ASSERT_TRUE(seen.found);
        EXPECT_EQ("Sentrovia New Program Alert", seen.caption);
        EXPECT_EQ(Text(IDS_NEW_SCHEDULED_TASK), seen.message);
        EXPECT_EQ(c.name, seen.name);
        EXPECT_EQ(monitor_, seen.path);
        EXPECT_EQ("Version:", seen.label);
        EXPECT_EQ("Orvanto", seen.company);
        EXPECT_NE(std::string::npos, seen.copyright.find("Orvanto")) << seen.copyright;
        ExpectItemUntouched(monitor_, 800);
        const std::string text = ReadWholeFile(history);
        EXPECT_NE(std::string::npos, text.find("\tTASK_Alert\tTASK_SCHEDULED\tSentrovia\t"))
            << text;
    }
}

// The approved command above the new one, each named by its program where the file tells it;
// Yes and the cancel command keep the change, No puts the approved one back.
TEST_F(AlertDialogs, FileTypeAlertShowsBothCommandsAndTheirPrograms)
{
    const struct {
        int button, answer;
    } answers[] = {{IDYES, 6}, {IDNO, 7}, {IDCANCEL, 6}};
    for (const auto &c : answers) {
        SCOPED_TRACE(c.button);
        Alert(monitor_, 400, ".txt");
        CopyItem(g_item.secondPath, "C:\\nowhere\\other.exe %1");
        Drive drive;
        std::map<int, std::string> texts;
        bool largeNames = false, underlined = false, topmost = false;
        std::string caption;
        drive.steps = {[&](HWND dialog) {
                           for (int id : {IDC_FILETYPE_HEADING, IDC_FILETYPE_EXTENSION,
                                          IDC_FILETYPE_CURRENT_LABEL, IDC_FILETYPE_NEW_LABEL,
                                          IDC_FILETYPE_QUESTION, IDC_FILETYPE_CURRENT_NAME,
                                          IDC_FILETYPE_CURRENT_PATH, IDC_FILETYPE_CURRENT_COMPANY,
                                          IDC_FILETYPE_NEW_NAME, IDC_FILETYPE_NEW_PATH,
                                          IDC_FILETYPE_NEW_COMPANY, IDC_FILETYPE_CURRENT_INFO,
                                          IDYES, IDNO})
                               texts[id] = ItemText(dialog, id);
                           largeNames = ItemFont(dialog, IDC_FILETYPE_CURRENT_NAME) ==
                                            GetAlertFont(FONT_LargeArial) &&
                                        ItemFont(dialog, IDC_FILETYPE_NEW_NAME) ==
                                            GetAlertFont(FONT_LargeArial);
                           underlined = ItemFont(dialog, IDC_FILETYPE_EXTENSION) ==
                                        GetAlertFont(FONT_UnderlinedVerdana);
                           topmost = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                           char text[128] = "";
                           GetWindowTextA(dialog, text, sizeof text);
                           caption = text;
                           return true;
                       },
                       Press(c.button)};
        EXPECT_EQ(c.answer, RunAlert(ShowFileTypeAlert, drive));
        EXPECT_EQ("Sentrovia File Type Change Alert", caption);
        EXPECT_EQ(Text(IDS_FILE_TYPE_CHANGED), texts[IDC_FILETYPE_HEADING]);
        EXPECT_EQ(".txt", texts[IDC_FILETYPE_EXTENSION]);
        EXPECT_EQ(Text(IDS_FILE_TYPE_CURRENT), texts[IDC_FILETYPE_CURRENT_LABEL]);
        EXPECT_EQ(Text(IDS_FILE_TYPE_NEW), texts[IDC_FILETYPE_NEW_LABEL]);
        EXPECT_EQ(Text(IDS_FILE_TYPE_OK), texts[IDC_FILETYPE_QUESTION]);
        EXPECT_EQ(monitor_, texts[IDC_FILETYPE_CURRENT_PATH]);
        EXPECT_EQ("Sentrovia", texts[IDC_FILETYPE_CURRENT_NAME]);
        EXPECT_EQ("Orvanto", texts[IDC_FILETYPE_CURRENT_COMPANY]);
        // A program that is not there tells nothing: the template's own texts stay.
        EXPECT_EQ("C:\\nowhere\\other.exe %1", texts[IDC_FILETYPE_NEW_PATH]);
        EXPECT_EQ("", texts[IDC_FILETYPE_NEW_NAME]);
        EXPECT_EQ("Company name not included in this program.", texts[IDC_FILETYPE_NEW_COMPANY]);
        EXPECT_EQ("Info...", texts[IDC_FILETYPE_CURRENT_INFO]);
        EXPECT_EQ("&Yes", texts[IDYES]);
        EXPECT_EQ("&No", texts[IDNO]);
        EXPECT_TRUE(largeNames);
        EXPECT_TRUE(underlined);
        EXPECT_TRUE(topmost);
    }
}

// The File Change Alert takes the new file, puts the saved copy back, or, closed without either,
// leaves the file to be asked about again.
TEST_F(AlertDialogs, FileChangeAlertTakesOrRejectsTheNewFile)
{
    RegistrySandbox sandbox;
    ScratchFolder watched{"watched"};
    const std::string file = watched.Write("hosts", "127.0.0.1 localhost\r\n");
    ASSERT_EQ(1, AddSystemFile("HOSTS", file.c_str(), "Redirects domain names.", 0));
    const struct {
        int button, result;
        const char *expected;
    } cases[] = {{IDCANCEL, 0, "10.0.0.66 bank\r\n"},
                 {IDC_SYSFILE_REJECT, 1, "127.0.0.1 localhost\r\n"},
                 {IDC_SYSFILE_ACCEPT, 1, "10.0.0.66 bank\r\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        watched.Write("hosts", "10.0.0.66 bank\r\n");
        Alert(file, 0, "HOSTS");
        CopyItem(g_item.location, file);
        Drive drive;
        std::map<int, std::string> texts;
        std::string caption;
        drive.steps = {[&](HWND dialog) {
                           for (int id : {IDC_SYSFILE_HEADING, IDC_SYSFILE_NAME,
                                          IDC_SYSFILE_LOCATION, IDC_SYSFILE_COMMENT,
                                          IDC_SYSFILE_ACCEPT, IDC_SYSFILE_REJECT,
                                          IDC_SYSFILE_STOP_WATCHING})
                               texts[id] = ItemText(dialog, id);
                           char text[128] = "";
                           GetWindowTextA(dialog, text, sizeof text);
                           caption = text;
                           return true;
                       },
                       Press(c.button)};
        EXPECT_EQ(c.result, RunAlert(ShowSystemFileAlert, drive));
        EXPECT_EQ("Sentrovia: File Change Alert", caption);
        EXPECT_EQ(Text(IDS_FILE_CHANGE_DETECTED), texts[IDC_SYSFILE_HEADING]);
        EXPECT_EQ("HOSTS", texts[IDC_SYSFILE_NAME]);
        EXPECT_EQ(file, texts[IDC_SYSFILE_LOCATION]);
        EXPECT_EQ("Redirects domain names.", texts[IDC_SYSFILE_COMMENT]);
        EXPECT_EQ("&Accept Change", texts[IDC_SYSFILE_ACCEPT]);
        EXPECT_EQ("&Reject Change", texts[IDC_SYSFILE_REJECT]);
        EXPECT_EQ(c.expected, ReadWholeFile(file));
    }
    char saved[MAX_PATH + 64];
    ASSERT_TRUE(SavedCopyPath("HOSTS", saved, sizeof saved));
    EXPECT_EQ("10.0.0.66 bank\r\n", ReadWholeFile(saved));
}

int g_restartAnswered = 0;
int NoteRestartMessage(const char *text, const char *, UINT)
{
    g_restartAnswered = std::string(text) == "No commands have been found in the WinInit.ini file."
                            ? 1
                            : 2;
    return IDOK;
}

// The viewer shows wininit.ini's commands with their legend, and Delete removes the file; with
// no commands it says so instead.
TEST_F(AlertDialogs, RestartCommandsAreShownAndCanBeDeleted)
{
    ScratchFolder windows{"windows"};
    PlatformOverride older = folder_;
    older.windowsFolder = windows.path().c_str();
    SetPlatformOverride(&older);
    windows.Write("wininit.exe", "");
    windows.Write("wininit.ini", "[rename]\nNUL=C:\\TEMP\\OLD.EXE\n");
    EXPECT_EQ(1, ShowRestartCommands(true));
    std::string shown, legend, caption;
    g_drive = nullptr;
    Drive drive;
    drive.steps = {[&](HWND dialog) {
                       shown = ItemText(dialog, IDC_RESTART_TEXT);
                       legend = ItemText(dialog, IDC_RESTART_LEGEND);
                       char text[128] = "";
                       GetWindowTextA(dialog, text, sizeof text);
                       caption = text;
                       return true;
                   },
                   Press(IDC_RESTART_DELETE)};
    g_drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, OnDriveTick);
    EXPECT_EQ(1, ShowRestartCommands(false));
    KillTimer(nullptr, timer);
    g_drive = nullptr;
    EXPECT_EQ("Sentrovia - Windows Restart Commands", caption);
    EXPECT_EQ("[rename]\r\nNUL=C:\\TEMP\\OLD.EXE\r\n", shown);
    EXPECT_EQ(Text(IDS_RESTART_COMMANDS_LEGEND), legend);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(windows.File("wininit.ini").c_str()));

    MessageResponder previous = SetMessageResponder(NoteRestartMessage);
    EXPECT_EQ(0, ShowRestartCommands(false));
    SetMessageResponder(previous);
    EXPECT_EQ(1, g_restartAnswered);
    SetPlatformOverride(&folder_);
}

} // namespace
