// The Hidden Files page on the real sheet, over scratch folders standing in for the watched
// ones: its columns, Unhide, Delete into the vault and viewing a file in Notepad.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "keys.h"
#include "page_driver.h"
#include "registry.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace page_driver;

class HiddenPage : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        machine_.PointAt(platform_);
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
    }
    static std::string Put(const ScratchFolder &folder, const std::string &name, DWORD attributes)
    {
        const std::string file = folder.Write(name, "content");
        EXPECT_TRUE(SetFileAttributesA(file.c_str(), attributes));
        char listed[MAX_PATH];
        GetLongPathNameA(file.c_str(), listed, sizeof listed);
        return listed;
    }
    std::vector<std::vector<std::string>> Rows() const
    {
        std::vector<std::vector<std::string>> columns, rows;
        for (int column = 0; column < 5; ++column)
            columns.push_back(Column(PageList(), column));
        for (size_t row = 0; row < columns[0].size(); ++row) {
            std::vector<std::string> cells;
            for (const auto &column : columns)
                cells.push_back(column[row]);
            rows.push_back(cells);
        }
        return rows;
    }

    ScratchMachine machine_{""};
    const ScratchFolder &root_ = machine_.root;
    const ScratchFolder &windows_ = machine_.windows;
    const ScratchFolder &temp_ = machine_.temp;
    ScratchFolder appData_{"appdata"};
    const std::string &system_ = machine_.system;
};

bool IsDate(const std::string &text)
{
    unsigned a = 0, b = 0, c = 0;
    return sscanf(text.c_str(), "%u/%u/%u", &a, &b, &c) == 3;
}

TEST_F(HiddenPage, FilesShowTheirNamePathDatesAndSystemMark)
{
    const std::string boot = Put(root_, "boot.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::string cache = Put(temp_, "cache\\index.dat", FILE_ATTRIBUTE_HIDDEN);
    Put(temp_, "plain.txt", FILE_ATTRIBUTE_NORMAL);
    std::vector<std::vector<std::string>> rows;
    Run(IDM_PAGE_HIDDEN_FILES, {[&](HWND) {
            rows = Rows();
            return true;
        }});
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("boot.ini", rows[0][0]);
    EXPECT_EQ(boot, rows[0][1]);
    EXPECT_TRUE(IsDate(rows[0][2])) << rows[0][2];
    // The last write time, as "YYYY/MM/DD HH:MM".
    EXPECT_EQ(16u, rows[0][3].size()) << rows[0][3];
    EXPECT_EQ("SYSTEM", rows[0][4]);
    EXPECT_EQ((std::vector<std::string>{"index.dat", cache}),
              std::vector<std::string>(rows[1].begin(), rows[1].begin() + 2));
    EXPECT_EQ("", rows[1][4]);
}

TEST_F(HiddenPage, UnhideAndDeleteActOnTheSelectedFile)
{
    const std::string shy = Put(temp_, "shy.txt", FILE_ATTRIBUTE_HIDDEN);
    const std::string agent = Put(temp_, "agent.dll", FILE_ATTRIBUTE_HIDDEN);
    std::string asked, none;
    std::vector<std::string> afterUnhide, afterDelete;
    Run(IDM_PAGE_HIDDEN_FILES, {[&](HWND) {
            ListView_SetItemState(PageList(), -1, 0, LVIS_SELECTED);
            Press(IDC_PAGE_DELETE);
            none = g_asked;
            EXPECT_TRUE(Select("shy.txt"));
            Press(IDC_PAGE_KILL);
            afterUnhide = Column(PageList(), 0);
            g_asked.clear();
            EXPECT_TRUE(Select("agent.dll"));
            Press(IDC_PAGE_DELETE);
            asked = g_asked;
            afterDelete = Column(PageList(), 0);
            return true;
        }});
    EXPECT_NE(std::string::npos, none.find("select")) << none;
    EXPECT_EQ(std::vector<std::string>{"agent.dll"}, afterUnhide);
    EXPECT_EQ(0u, GetFileAttributesA(shy.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    char text[1024];
    LoadText(IDS_CONFIRM_DELETE_HIDDEN, text);
    EXPECT_EQ(text, asked);
    EXPECT_NE(std::string::npos, asked.find("vault")) << asked;
    EXPECT_TRUE(afterDelete.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(agent.c_str()));
    EXPECT_EQ(2u, FilesIn(appData_.File("Sentrovia\\vault")).size());
    EXPECT_NE(std::string::npos,
              ReadWholeFile(HistoryFile()).find("\t*HIDDEN_DeleteFile\tTYPE_HIDDEN\tagent.dll\t"))
        << ReadWholeFile(HistoryFile());
}

// A path with blanks reaches Notepad as one file.
TEST_F(HiddenPage, ViewOpensTheFileInNotepadWholeEvenWithBlanks)
{
    Put(temp_, "My Folder\\read me.txt", FILE_ATTRIBUTE_HIDDEN);
    Run(IDM_PAGE_HIDDEN_FILES, {[&](HWND) {
            EXPECT_TRUE(Select("read me.txt"));
            Press(IDM_PAGE_VIEW_NOTEPAD);
            return true;
        }});
    HWND notepad = nullptr;
    for (int wait = 0; wait < 100 && notepad == nullptr; ++wait) {
        notepad = FindWindowA("Notepad", nullptr);
        if (notepad == nullptr)
            Sleep(100);
    }
    ASSERT_NE(nullptr, notepad);
    char title[256] = "";
    for (int wait = 0; wait < 50; ++wait) {
        GetWindowTextA(notepad, title, sizeof title);
        if (strstr(title, "read me") != nullptr)
            break;
        Sleep(100);
    }
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    EXPECT_NE(nullptr, strstr(title, "read me.txt")) << title;
    EXPECT_TRUE(g_asked.empty()) << g_asked;
}

} // namespace
