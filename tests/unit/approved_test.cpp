#include "approved.h"

#include <string>

#include <gtest/gtest.h>

#include "regsandbox.h"

namespace {

class Approvals : public ::testing::Test {
protected:
    std::string Path() const
    {
        char path[MAX_PATH];
        SnapshotKeyPath(AREA_Start, path, sizeof path);
        return path;
    }

    RegistrySandbox sandbox_;
};

TEST_F(Approvals, TableAnswersEveryNameAsTheSingleRead)
{
    SetBaselineMarker(AREA_Start);
    Approve(AREA_Start, "C:\\Tools\\agent.exe", 11);
    Approve(AREA_Start, "Delayed Agent", 1103);
    ApproveMark(AREA_Start, "marked", "1");
    ApproveMark(AREA_Start, "zero", "0");
    ApproveMark(AREA_Start, "spaced", "  7 and more");
    ApproveMark(AREA_Start, "negative", "-3");
    ApproveMark(AREA_Start, "words", "approved");
    ApproveMark(AREA_Start, "huge", "99999999999999");
    ApproveMark(AREA_Start, "too wide", std::string(40, '5').c_str());
    const DWORD number = 11;
    WriteRawValue(HKEY_CURRENT_USER, Path().c_str(), "dword", REG_DWORD, &number, sizeof number);

    ApprovalTable table(AREA_Start);
    for (const char *name : {"C:\\Tools\\agent.exe", "c:\\tools\\AGENT.EXE", "Delayed Agent",
                             "marked", "zero", "spaced", "negative", "words", "huge", "too wide",
                             "dword", "", "P", "absent", "C:\\Tools\\agent"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ApprovalNumber(AREA_Start, name), table.Number(name));
    }
    EXPECT_EQ(11, table.Number("C:\\TOOLS\\agent.exe"));
    EXPECT_EQ(1103, table.Number("Delayed Agent"));
    // The baseline marker is the key's default value: no item's approval, whatever asks.
    EXPECT_EQ(0, table.Number(""));
    EXPECT_EQ(0, table.Number(nullptr));
    EXPECT_TRUE(HasBaselineMarker(AREA_Start));
}

TEST_F(Approvals, TableFollowsApprovalsMadeDuringThePass)
{
    ApprovalTable table(AREA_Start);
    EXPECT_EQ(0, table.Number("new agent"));
    Approve(AREA_Start, "new agent", 12);
    EXPECT_EQ(12, table.Number("new agent"));
    Withdraw(AREA_Start, "new agent");
    EXPECT_EQ(0, table.Number("new agent"));
    Approve(AREA_Start, "kept", 5);
    EmptySnapshot(AREA_Start);
    EXPECT_EQ(0, table.Number("kept"));
}

} // namespace
