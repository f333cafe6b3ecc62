// The Delayed Start page on the real sheet: its columns and sorting, the options dialog, putting
// a program back, and the Startup page's move into delayed start.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "delayed.h"
#include "entries.h"
#include "page_driver.h"
#include "programs.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"

namespace {

using namespace page_driver;

constexpr char kDelay[] = "Software\\Orvanto\\Sentrovia\\Delay";
constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

int g_reply = IDYES;
int Reply(const char *text, const char *, UINT)
{
    g_asked = text;
    return g_reply;
}

class DelayedPage : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        g_reply = IDYES;
        SetMessageResponder(Reply);
    }
    std::string Program(const char *name) const
    {
        const std::string file = files_.File(name);
        EXPECT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), file.c_str(), FALSE));
        char listed[MAX_PATH];
        GetLongPathNameA(file.c_str(), listed, sizeof listed);
        return listed;
    }
    static void Delay(const std::string &program, const char *title, const char *seconds)
    {
        WriteRegString(HKEY_CURRENT_USER, kDelay, program.c_str(), "11");
        WriteRegString(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Title").c_str(),
                       program.c_str(), title);
        WriteRegString(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Time").c_str(),
                       program.c_str(), seconds);
    }
    static std::string Value(const char *key, const std::string &program)
    {
        return ReadStringValue(HKEY_CURRENT_USER, (std::string(kDelay) + key).c_str(),
                               program.c_str());
    }
    std::vector<std::vector<std::string>> Rows() const
    {
        std::vector<std::vector<std::string>> rows;
        const auto titles = Column(PageList(), 0);
        for (size_t row = 0; row < titles.size(); ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < 4; ++column)
                cells.push_back(Column(PageList(), column)[row]);
            rows.push_back(cells);
        }
        return rows;
    }

    ScratchFolder files_{"programs"};
};

TEST_F(DelayedPage, ProgramsShowTheirStateAndDelayAndSortByIt)
{
    const std::string idle = Program("idle.exe");
    const std::string busy = Program("busy.exe");
    Delay(idle, "Idle Agent", "30");
    Delay(busy, "Busy Agent", "150");
    Delay("C:\\nowhere\\gone.exe", "Gone Agent", "60");
    RunningProgram running(busy, "20000");
    ASSERT_TRUE(running.started());
    std::vector<std::vector<std::string>> rows, byDelay;
    Run(IDM_PAGE_DELAYED_START, {[&](HWND) {
            rows = Rows();
            ClickColumn(3);
            byDelay = Rows();
            return true;
        }});
    const std::vector<std::vector<std::string>> expected = {
        {"Idle Agent", "idle.exe", "", "30 Sec."},
        {"Busy Agent", "busy.exe", "Running", "2 Min. : 30 Sec."},
        {"Gone Agent", "gone.exe", "Local File not found.", "1 Min. : 0 Sec."},
    };
    // Listed in the registry's order; sorted by the delay written as "%04d".
    EXPECT_EQ(3u, rows.size());
    for (const auto &row : expected)
        EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), row)) << row[0];
    EXPECT_EQ((std::vector<std::vector<std::string>>{expected[0], expected[2], expected[1]}),
              byDelay);
    EXPECT_EQ(4, Option(OPT_SortPrograms));
}

TEST_F(DelayedPage, TheOptionsDialogStoresTheDelayWindowAndTexts)
{
    const std::string program = Program("agent.exe");
    Delay(program, "Agent", "90");
    std::string title, minutes;
    int seconds = -1;
    std::vector<std::string> after;
    Run(IDM_PAGE_DELAYED_START,
        {[](HWND) {
             EXPECT_TRUE(Select("Agent"));
             PostMessageA(Explorer().activePage, WM_COMMAND,
                          MAKEWPARAM(IDC_PAGE_DELAY_OPTIONS, BN_CLICKED), 0);
             return true;
         },
         [&](HWND dialog) {
             if (dialog_driver::WindowText(dialog) != "Program Delay Startup Options")
                 return false;
             title = dialog_driver::ItemText(dialog, IDC_DELAY_TITLE);
             minutes = dialog_driver::ItemText(dialog, IDC_DELAY_MINUTES);
             seconds = static_cast<int>(SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_GETCURSEL, 0, 0));
             SetDlgItemTextA(dialog, IDC_DELAY_MINUTES, "2");
             SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_SETCURSEL, 4, 0);
             SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_SETCURSEL, 1, 0);
             SetDlgItemTextA(dialog, IDC_DELAY_PARAMETERS, " -quiet");
             dialog_driver::Click(dialog, IDOK);
             return true;
         },
         [&](HWND dialog) {
             if (dialog_driver::WindowText(dialog) == "Program Delay Startup Options")
                 return false;
             after = Column(PageList(), 3);
             return true;
         }});
    EXPECT_EQ("Agent", title);
    EXPECT_EQ("1", minutes);
    EXPECT_EQ(3, seconds);
    EXPECT_EQ("160", Value("\\Time", program));
    EXPECT_EQ("1", Value("\\OpenAs", program));
    EXPECT_EQ(" -quiet", Value("\\Parameters", program));
    EXPECT_EQ(std::vector<std::string>{"2 Min. : 40 Sec."}, after);
}

TEST_F(DelayedPage, TheStartupPageMovesTheSelectedEntryIn)
{
    const std::string program = Program("agent.exe");
    WriteRegString(HKEY_CURRENT_USER, kUserRun, "Agent", (program + " -tray").c_str());
    std::vector<std::string> after;
    Run(IDM_PAGE_STARTUP, {[&](HWND) {
            EXPECT_TRUE(Select("Agent"));
            Press(IDM_PAGE_MOVE_TO_DELAYED);
            after = Column(PageList(), 0);
            return true;
        }});
    EXPECT_EQ(after.end(), std::find(after.begin(), after.end(), "Agent"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ("Agent", Value("\\Title", program));
    EXPECT_EQ("30", Value("\\Time", program));
}

// Remove asks per program: Cancel leaves it, Yes puts it back into its startup location.
TEST_F(DelayedPage, RemoveAsksAndYesPutsTheProgramBack)
{
    const std::string program = Program("agent.exe");
    const std::string command = program + " -tray";
    WriteRegString(HKEY_CURRENT_USER, kUserRun, "Agent", command.c_str());
    for (int i = 0, count = EnumStartupEntries(0); i < count; ++i) {
        if (std::string(EntryWholeTitle(i)) == "Agent") {
            ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(i));
        }
    }
    ASSERT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    std::vector<std::string> afterCancel, afterYes;
    Run(IDM_PAGE_DELAYED_START, {[&](HWND) {
            EXPECT_TRUE(Select("Agent"));
            g_reply = IDCANCEL;
            Press(IDC_PAGE_REMOVE);
            afterCancel = Column(PageList(), 0);
            EXPECT_TRUE(Select("Agent"));
            g_reply = IDYES;
            Press(IDC_PAGE_REMOVE);
            afterYes = Column(PageList(), 0);
            return true;
        }});
    EXPECT_EQ(std::vector<std::string>{"Agent"}, afterCancel);
    EXPECT_NE(std::string::npos, g_asked.find("removed from the Delayed Start list")) << g_asked;
    EXPECT_TRUE(afterYes.empty());
    EXPECT_EQ(command, ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Agent"));
}

TEST_F(DelayedPage, NoTakesTheProgramOutWithoutPuttingItBack)
{
    const std::string program = Program("agent.exe");
    Delay(program, "Agent", "30");
    g_reply = IDNO;
    std::vector<std::string> after;
    Run(IDM_PAGE_DELAYED_START, {[&](HWND) {
            EXPECT_TRUE(Select("Agent"));
            Press(IDC_PAGE_REMOVE);
            after = Column(PageList(), 0);
            return true;
        }});
    EXPECT_TRUE(after.empty());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kDelay, program.c_str()));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
}

} // namespace
