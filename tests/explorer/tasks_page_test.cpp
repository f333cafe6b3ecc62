// The Scheduled Tasks page on the real sheet: its columns and Remove, for the scheduler's 1.0 work
// items (made in the test prefix's scheduler) and its 2.0 tasks (doubles).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "approved.h"
#include "buildfiles.h"
#include "job_tasks.h"
#include "page_driver.h"
#include "registry.h"
#include "scratch.h"
#include "task_doubles.h"

namespace {

using namespace page_driver;

constexpr char kTaskSnapshot[] = "Software\\Orvanto\\Sentrovia\\Tasks";

int AnswerNo(const char *text, const char *, UINT)
{
    g_asked = text;
    return IDNO;
}

class TasksPage : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(SchedulerRunning());
        program_ = files_.File("orbit.exe");
        ASSERT_TRUE(CopyFileA(BuildFile("Sentrovia.exe").c_str(), program_.c_str(), FALSE));
        vendor_.tasks = {task_doubles::Task(L"Updater", L"C:\\Vendor\\up.exe", L"-check")};
        scheduler_.root.folders = {vendor_};
        task_doubles::Install(&scheduler_);
    }
    void TearDown() override
    {
        task_doubles::Install(nullptr);
        PageTest::TearDown();
    }
    // This test's rows: the tasks of its own prefix and the doubles' task.
    std::vector<std::vector<std::string>> OwnRows() const
    {
        std::vector<std::vector<std::string>> rows;
        const std::vector<std::string> names = Column(PageList(), 0);
        std::vector<std::vector<std::string>> columns;
        for (int column = 0; column < 5; ++column)
            columns.push_back(Column(PageList(), column));
        for (size_t row = 0; row < names.size(); ++row) {
            if (names[row].find(tasks_.prefix()) == std::string::npos &&
                names[row] != "\\Vendor\\Updater")
                continue;
            std::vector<std::string> cells;
            for (const auto &column : columns)
                cells.push_back(column[row]);
            rows.push_back(cells);
        }
        return rows;
    }

    ScratchFolder files_{"programs"};
    ScratchTasks tasks_{"sntpage"};
    task_doubles::FakeScheduler scheduler_;
    task_doubles::FakeFolder vendor_ = task_doubles::Folder(L"Vendor");
    std::string program_;
};

TEST_F(TasksPage, TasksShowTheirProgramsAndTimesWithoutTheJobExtension)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Backup"), program_));
    std::vector<std::vector<std::string>> rows;
    Run(IDM_PAGE_SCHEDULED_TASKS, {[&](HWND) {
            rows = OwnRows();
            return true;
        }});
    const std::vector<std::vector<std::string>> expected = {
        {tasks_.Name("Backup"), "orbit.exe", "Orvanto", "Never", "Never"},
        {"\\Vendor\\Updater", "up.exe", "", "Never", "Never"},
    };
    EXPECT_EQ(expected, rows);
}

TEST_F(TasksPage, RemoveAsksDeletesAndForgetsTheApproval)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Backup"), program_));
    const std::string job = tasks_.Name("Backup") + ".job";
    Approve(AREA_Tasks, job.c_str(), 800);
    Approve(AREA_Tasks, "\\Vendor\\Updater", 800);
    std::string nothingSelected, refused, asked;
    std::vector<std::string> after;
    Run(IDM_PAGE_SCHEDULED_TASKS, {[&](HWND) {
            ListView_SetItemState(PageList(), -1, 0, LVIS_SELECTED);
            Press(IDC_PAGE_REMOVE);
            nothingSelected = g_asked;
            // No keeps the task.
            SetMessageResponder(AnswerNo);
            EXPECT_TRUE(Select("\\Vendor\\Updater"));
            Press(IDC_PAGE_REMOVE);
            refused = g_asked;
            SetMessageResponder(AnswerYes);
            EXPECT_TRUE(Select(tasks_.Name("Backup").c_str()));
            Press(IDC_PAGE_REMOVE);
            asked = g_asked;
            after = Column(PageList(), 0);
            return true;
        }});
    EXPECT_NE(std::string::npos, nothingSelected.find("select")) << nothingSelected;
    EXPECT_NE(std::string::npos, refused.find("remove the scheduled task \\Vendor\\Updater?"))
        << refused;
    EXPECT_TRUE(scheduler_.deleted.empty());
    EXPECT_EQ("800", ReadStringValue(HKEY_CURRENT_USER, kTaskSnapshot, "\\Vendor\\Updater"));

    EXPECT_NE(std::string::npos, asked.find("remove the scheduled task " + tasks_.Name("Backup") + "?"))
        << asked;
    EXPECT_FALSE(JobTaskExists(tasks_.Name("Backup")));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kTaskSnapshot, job.c_str()));
    for (const std::string &name : after)
        EXPECT_EQ(std::string::npos, name.find(tasks_.prefix())) << name;
    const std::string history = ReadWholeFile(HistoryFile());
    EXPECT_NE(std::string::npos, history.find("\tScheduledTask_Remove\tTASK_SCHEDULED\t" + job + "\t"))
        << history;
}

} // namespace
