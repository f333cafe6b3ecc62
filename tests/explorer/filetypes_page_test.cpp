// The File Types page on the real sheet: what each association shows, and adding (through the
// real Add File Type Extension dialog) and removing the types watched.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "filetypes.h"
#include "keys.h"
#include "list_page.h"
#include "page_driver.h"
#include "registry.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace page_driver;
using dialog_driver::Click;
using dialog_driver::Step;
using dialog_driver::ItemText;
using dialog_driver::WindowText;

constexpr char kClassKey[] = "Software\\Orvanto\\Sentrovia\\Class";
constexpr char kExtKey[] = "Software\\Orvanto\\Sentrovia\\Ext";
constexpr char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

// The messages shown, with their captions; each is answered OK.
std::vector<std::string> g_messages;
std::string g_caption;
int AnswerOk(const char *text, const char *caption, UINT)
{
    g_messages.push_back(text);
    g_caption = caption;
    return IDOK;
}

bool IsAddDialog(HWND dialog) { return GetDlgItem(dialog, IDC_ADD_FILE_TYPE_FIELD) != nullptr; }

// Source 1: the machine's class of the extension, its open command and its description.
void SystemClass(const std::string &ext, const std::string &progId, const std::string &command,
                 const char *description = nullptr)
{
    WriteRegString(HKEY_LOCAL_MACHINE, ("Software\\Classes\\." + ext).c_str(), nullptr,
                   progId.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE,
                   ("Software\\Classes\\" + progId + "\\shell\\open\\command").c_str(), nullptr,
                   command.c_str());
    if (description != nullptr)
        WriteRegString(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + progId).c_str(), nullptr,
                       description);
}

// Sources 2 and 3: what Explorer chose for the extension.
void ExplorerApplication(const std::string &ext, const std::string &application,
                         const std::string &command)
{
    WriteRegString(HKEY_CURRENT_USER, (kFileExts + ("." + ext)).c_str(), "Application",
                   application.c_str());
    WriteRegString(HKEY_CLASSES_ROOT,
                   ("Applications\\" + application + "\\shell\\open\\command").c_str(), nullptr,
                   command.c_str());
}
void ExplorerProgId(const std::string &ext, const std::string &progId, const std::string &command)
{
    WriteRegString(HKEY_CURRENT_USER, (kFileExts + ("." + ext)).c_str(), "ProgID",
                   progId.c_str());
    WriteRegString(HKEY_CLASSES_ROOT, (progId + "\\shell\\open\\command").c_str(), nullptr,
                   command.c_str());
}

std::string MonitoredList() { return ReadStringValue(HKEY_CURRENT_USER, kClassKey, nullptr); }

class FileTypesPage : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        g_messages.clear();
        g_caption.clear();
        SetMessageResponder(AnswerOk);
        player_ = files_.File("vfxplay.exe");
        ASSERT_TRUE(CopyFileA(BuildFile("Sentrovia.exe").c_str(), player_.c_str(), FALSE));
        SystemClass("txt", "txtfile", "C:\\Tools\\Pad\\jotter.exe %1", "Text Document");
        // A class without a description is named by its program.
        SystemClass("vfx", "VfxPlay", "\"" + player_ + "\" \"%1\"");
        SystemClass("log", "logfile", "C:\\Tools\\Logs\\tail.exe %1", "Log File");
    }
    // A 12-character marker: the list is taken as it stands, not made again.
    static void Monitor(const char *list)
    {
        WriteRegString(HKEY_CURRENT_USER, kClassKey, nullptr, list);
        WriteRegString(HKEY_CURRENT_USER, kExtKey, nullptr, "Do not edit.");
    }
    static std::vector<std::vector<std::string>> Rows()
    {
        std::vector<std::vector<std::string>> columns;
        for (int column = 0; column < 6; ++column)
            columns.push_back(Column(PageList(), column));
        std::vector<std::vector<std::string>> rows(columns[0].size());
        for (size_t row = 0; row < rows.size(); ++row)
            for (const auto &column : columns)
                rows[row].push_back(column[row]);
        return rows;
    }
    // Opens Add from the page: the button's command is posted, so the step ends before the
    // dialog's own loop begins.
    static Step PressAdd()
    {
        return [](HWND) {
            PostMessageA(Explorer().activePage, WM_COMMAND, IDC_PAGE_ADD, 0);
            return true;
        };
    }
    static Step OnAddDialog(std::function<void(HWND)> action)
    {
        return [action](HWND dialog) {
            if (!IsAddDialog(dialog))
                return false;
            action(dialog);
            return true;
        };
    }
    static Step OnPage(std::function<void()> action)
    {
        return [action](HWND dialog) {
            if (IsAddDialog(dialog))
                return false;
            action();
            return true;
        };
    }

    ScratchFolder files_{"programs"};
    std::string player_;
};

using Table = std::vector<std::vector<std::string>>;

TEST_F(FileTypesPage, EachAssociationShowsItsProgramClassExtensionAndWhereItIsRead)
{
    SystemClass("exe", "exefile", "%1 %*", "Application");
    ExplorerProgId("vfx", "Vfx.Edit", "C:\\Tools\\vfxedit.exe %1");
    ExplorerApplication("lst", "lister.exe", "C:\\Tools\\lister.exe \"%1\"");
    // A class whose open command is empty opens nothing: not listed.
    SystemClass("gone", "GoneFile", "");
    Monitor("txt;vfx;EXE;gone;lst;");
    Table rows;
    std::vector<std::string> titles;
    Run(IDM_PAGE_FILE_TYPES, {[&](HWND) {
            rows = Rows();
            HWND list = PageList();
            for (int column = 0; column < 6; ++column) {
                char title[64] = "";
                LVCOLUMNA header{};
                header.mask = LVCF_TEXT;
                header.pszText = title;
                header.cchTextMax = sizeof title;
                ListView_GetColumn(list, column, &header);
                titles.push_back(title);
            }
            return true;
        }});
    EXPECT_EQ((std::vector<std::string>{"Title", "Command", "Company", "Class", "Extension",
                                        "Type"}),
              titles);
    const Table expected = {
        {"Text Document", "JOTTER.EXE", "", "txtfile", ".txt", "System"},
        {"Sentrovia", "VFXPLAY.EXE", "Orvanto", "VfxPlay", ".vfx", "System"},
        {"vfxedit", "VFXEDIT.EXE", "", "Vfx.Edit", ".vfx", "Explorer"},
        {"Application", "Executable", "", "exefile", ".EXE", "System"},
        {"lister", "LISTER.EXE", "", "lister.exe", ".lst", "Explorer"},
    };
    EXPECT_EQ(expected, rows);
}

TEST_F(FileTypesPage, AddTakesTheTypedExtensionWithoutItsDotAndBlanksAndListsIt)
{
    Monitor("txt;");
    std::string caption, label;
    LRESULT limit = 0;
    std::vector<std::string> before, after;
    Run(IDM_PAGE_FILE_TYPES,
        {OnPage([&] { before = Column(PageList(), 4); }), PressAdd(),
         OnAddDialog([&](HWND dialog) {
             caption = WindowText(dialog);
             label = ItemText(dialog, IDC_ADD_FILE_TYPE_LABEL);
             limit = SendDlgItemMessageA(dialog, IDC_ADD_FILE_TYPE_FIELD, EM_GETLIMITTEXT, 0, 0);
             SetDlgItemTextA(dialog, IDC_ADD_FILE_TYPE_FIELD, " .log ");
             Click(dialog, IDOK);
         }),
         OnPage([&] { after = Column(PageList(), 4); })});
    EXPECT_EQ("Add File Type Extension", caption);
    EXPECT_EQ(Text(IDS_FILE_TYPE_EXTENSION), label);
    EXPECT_EQ(255, limit);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ("txt;log;", MonitoredList());
    // Its association is approved as it stands when it is added.
    EXPECT_EQ("logfile", ReadStringValue(HKEY_CURRENT_USER, kExtKey, ".log"));
    EXPECT_EQ("C:\\Tools\\Logs\\tail.exe %1",
              ReadStringValue(HKEY_CURRENT_USER, kClassKey, "logfile"));
    EXPECT_EQ(std::vector<std::string>{".txt"}, before);
    EXPECT_EQ((std::vector<std::string>{".txt", ".log"}), after);
}

TEST_F(FileTypesPage, AnExtensionAlreadyWatchedIsRefusedAndTheDialogStaysOpenOnIt)
{
    Monitor("AVI;txt;");
    bool stillOpen = false;
    DWORD start = 1, end = 0;
    std::vector<std::string> after;
    Run(IDM_PAGE_FILE_TYPES,
        {PressAdd(), OnAddDialog([](HWND dialog) {
             SetDlgItemTextA(dialog, IDC_ADD_FILE_TYPE_FIELD, ".TXT");
             Click(dialog, IDOK);
         }),
         OnAddDialog([&](HWND dialog) {
             stillOpen = true;
             SendDlgItemMessageA(dialog, IDC_ADD_FILE_TYPE_FIELD, EM_GETSEL,
                                 reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
             // Cancel leaves the list as it is, whatever the field holds.
             SetDlgItemTextA(dialog, IDC_ADD_FILE_TYPE_FIELD, "log");
             Click(dialog, IDCANCEL);
         }),
         OnPage([&] { after = Column(PageList(), 4); })});
    ASSERT_EQ(1u, g_messages.size());
    EXPECT_EQ("This file type is already being monitored.", g_messages[0]);
    EXPECT_EQ("Loading...", g_caption);  // the Explorer's caption in this test
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(4u, end);
    EXPECT_EQ("AVI;txt;", MonitoredList());
    EXPECT_EQ(std::vector<std::string>{".txt"}, after);
}

TEST_F(FileTypesPage, TheDialogKeepsItsPlaceBetweenOpenings)
{
    Monitor("txt;");
    RECT first{}, moved{}, second{};
    Run(IDM_PAGE_FILE_TYPES, {PressAdd(), OnAddDialog([&](HWND dialog) {
                                  GetWindowRect(dialog, &first);
                                  SetWindowPos(dialog, nullptr, 37, 41, 0, 0,
                                               SWP_NOSIZE | SWP_NOZORDER);
                                  GetWindowRect(dialog, &moved);
                                  Click(dialog, IDCANCEL);
                              }),
                              OnPage([] {}), PressAdd(), OnAddDialog([&](HWND dialog) {
                                  GetWindowRect(dialog, &second);
                                  Click(dialog, IDCANCEL);
                              }),
                              OnPage([] {})});
    // With no place kept it opens in the middle of the screen, a third of the way down.
    const int width = first.right - first.left;
    const int height = first.bottom - first.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, first.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 3, first.top);
    EXPECT_EQ("37", ReadStringValue(HKEY_CURRENT_USER, kProductKey, "xPosAddFileType"));
    EXPECT_EQ("41", ReadStringValue(HKEY_CURRENT_USER, kProductKey, "yPosAddFileType"));
    EXPECT_EQ(std::to_string(moved.right - moved.left),
              ReadStringValue(HKEY_CURRENT_USER, kProductKey, "dxPosAddFileType"));
    EXPECT_EQ(std::to_string(moved.bottom - moved.top),
              ReadStringValue(HKEY_CURRENT_USER, kProductKey, "dyPosAddFileType"));
    EXPECT_EQ(37, second.left);
    EXPECT_EQ(41, second.top);
    EXPECT_EQ("txt;", MonitoredList());
}

TEST_F(FileTypesPage, RemoveStopsWatchingTheSelectedTypesAndForgetsTheirApproval)
{
    Monitor("txt;vfx;log;");
    for (const char *ext : {"txt", "vfx", "log"})
        RecordAssociation(ext, SOURCE_System);
    std::vector<std::string> nothingSelected, after;
    std::string listUntouched;
    Run(IDM_PAGE_FILE_TYPES, {[&](HWND) {
            ListView_SetItemState(PageList(), -1, 0, LVIS_SELECTED);
            Press(IDC_PAGE_REMOVE);
            nothingSelected = g_messages;
            listUntouched = MonitoredList();
            EXPECT_TRUE(Select("Text Document"));
            ListView_SetItemState(PageList(), 2, LVIS_SELECTED, LVIS_SELECTED);
            Press(IDC_PAGE_REMOVE);
            after = Column(PageList(), 0);
            return true;
        }});
    EXPECT_EQ(std::vector<std::string>{Text(IDS_NO_FILE_TYPE_SELECTED)}, nothingSelected);
    EXPECT_EQ("Please select a file type in the list first.", nothingSelected.at(0));
    EXPECT_EQ("txt;vfx;log;", listUntouched);
    EXPECT_EQ("vfx;", MonitoredList());
    EXPECT_EQ(std::vector<std::string>{"Sentrovia"}, after);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExtKey, ".txt"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExtKey, ".log"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kClassKey, "txtfile"));
    EXPECT_EQ("VfxPlay", ReadStringValue(HKEY_CURRENT_USER, kExtKey, ".vfx"));
    // Only one message: the one for nothing selected.
    EXPECT_EQ(1u, g_messages.size());
}

TEST_F(FileTypesPage, TheMenuOffersInfoTheNoteAddAndRemove)
{
    Monitor("txt;vfx;");
    programFolder_.Write("note_vfxplay.txt", "Plays the vfx files.");
    auto items = [](int entry) {
        auto *page = reinterpret_cast<ListPage *>(
            GetWindowLongPtrA(Explorer().activePage, GWLP_USERDATA));
        std::vector<std::string> texts;
        HMENU menu = BuildContextMenu(*page, entry);
        for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
            char text[128] = "";
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
            if (state & MF_SEPARATOR)
                break;
            texts.push_back(std::string(text) + ((state & MF_GRAYED) ? " (off)" : ""));
        }
        DestroyMenu(menu);
        return texts;
    };
    std::vector<std::string> withoutNote, withNote;
    Run(IDM_PAGE_FILE_TYPES, {[&](HWND) {
            withoutNote = items(0);
            withNote = items(1);
            return true;
        }});
    const std::string info = Text(IDS_INFO) + " (off)";
    EXPECT_EQ((std::vector<std::string>{info, "&Add", "&Remove"}), withoutNote);
    EXPECT_EQ((std::vector<std::string>{info, "&View Note...", "&Add", "&Remove"}), withNote);
}

} // namespace
