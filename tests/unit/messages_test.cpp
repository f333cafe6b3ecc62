#include "messages.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "platform.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

struct Box {
    std::string text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int g_answer = IDOK;

int ScriptedAnswer(const char *text, const char *caption, UINT type)
{
    g_boxes.push_back({text, caption, type});
    return g_answer;
}

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

void EndNotepads()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process)) {
        if (lstrcmpiA(process.szExeFile, "notepad.exe") != 0)
            continue;
        HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process.th32ProcessID);
        if (handle) {
            TerminateProcess(handle, 0);
            CloseHandle(handle);
        }
    }
    CloseHandle(snapshot);
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_boxes.clear();
        g_answer = IDOK;
        previous_ = SetMessageResponder(ScriptedAnswer);
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        SetProgramKind(ProgramKind::Monitor);
    }
    MessageResponder previous_ = nullptr;
    ScratchFolder scratch_;
};

TEST_F(Messages, ProgramInfoShowsVersionFactsOrTheirAbsence)
{
    std::string monitor = BuildFile("Sentrovia.exe");
    g_answer = IDYES;
    EXPECT_EQ(IDYES, ShowProgramInfo(monitor.c_str(), IDS_NEW_STARTUP_PROGRAM, nullptr, 0));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(Text(IDS_NEW_STARTUP_PROGRAM) + "\n\n" + monitor +
                  "\n\nSentrovia Monitor   \nCopyright (C) 2026 Orvanto   \n\n\nSentrovia   "
                  "15.9.2008.0   \nOrvanto   ",
              g_boxes[0].text);
    EXPECT_EQ("Sentrovia", g_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_TOPMOST), g_boxes[0].type);

    std::string plain = scratch_.Write("plain.exe", "not a program");
    g_answer = IDOK;
    EXPECT_EQ(IDOK, ShowProgramInfo(plain.c_str(), IDS_HELP_CAPTION, nullptr, 0));
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(Text(IDS_HELP_CAPTION) + "  \n" + plain + "  \n\n" + Text(IDS_NO_VERSION_INFO) +
                  "     ",
              g_boxes[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_TOPMOST), g_boxes[1].type);
}

TEST_F(Messages, ProgramInfoWithoutMessageOnlyCopiesTheDescription)
{
    char description[8];
    memset(description, 0x5a, sizeof description);
    EXPECT_EQ(0, ShowProgramInfo(BuildFile("Sentrovia.exe").c_str(), 0, description,
                                 sizeof description));
    EXPECT_STREQ("Sentrov", description);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Messages, ErrorsShowCodeAndSystemText)
{
    SetLastError(ERROR_ACCESS_DENIED);
    ShowSystemError();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].text.find("5  "));
    EXPECT_GT(g_boxes[0].text.size(), 4u);
    EXPECT_EQ("System Error", g_boxes[0].caption);

    EXPECT_EQ(0, OpenInNotepad(scratch_.File("missing.txt").c_str()));
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[1].text.find("2  "));
    EXPECT_EQ("Sentrovia", g_boxes[1].caption);

    EXPECT_EQ(0, OpenHostsInNotepad(scratch_.File("hosts").c_str()));
    ASSERT_EQ(3u, g_boxes.size());
    EXPECT_EQ(Text(IDS_HOSTS_NOT_FOUND), g_boxes[2].text);
}

TEST_F(Messages, NotepadOpensAnExistingFileWithoutABox)
{
    std::string file = scratch_.Write("note.txt", "hello");
    EXPECT_EQ(1, OpenInNotepad(file.c_str()));
    EXPECT_TRUE(g_boxes.empty());
    EndNotepads();
}

TEST_F(Messages, NoticeAndCaptionsFollowTheProgram)
{
    ShowNotice(nullptr, IDS_FILE_IN_USE);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("File in Use", g_boxes[0].text);
    EXPECT_EQ("Sentrovia Help", g_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONQUESTION | MB_TOPMOST), g_boxes[0].type);

    SetProgramKind(ProgramKind::Explorer);
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    EXPECT_STREQ("Loading...", caption);
}

} // namespace
