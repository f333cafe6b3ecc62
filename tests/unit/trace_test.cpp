#include "trace.h"

#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform.h"
#include "scratch.h"

namespace {

class TraceLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_ = {2026, 12, 0, 6, 14, 5, 9, 0};
        override_.programFolder = scratch_.path().c_str();
        override_.localTime = &clock_;
        SetPlatformOverride(&override_);
    }
    void TearDown() override
    {
        StartTrace(false);
        SetPlatformOverride(nullptr);
        SetProgramKind(ProgramKind::Monitor);
    }
    // The "key=value" lines of the Trace section, in file order.
    std::vector<std::string> Lines(const char *file) const
    {
        std::vector<char> section(1 << 20);
        DWORD length = GetPrivateProfileSectionA("Trace", section.data(),
                                                 static_cast<DWORD>(section.size()),
                                                 scratch_.File(file).c_str());
        std::vector<std::string> lines;
        for (size_t at = 0; at < length && section[at] != '\0';) {
            lines.emplace_back(section.data() + at);
            at += lines.back().size() + 1;
        }
        return lines;
    }

    ScratchFolder scratch_;
    SYSTEMTIME clock_;
    PlatformOverride override_;
};

TEST_F(TraceLog, SilentWithoutDebug)
{
    StartTrace(false);
    Trace("verify", "Startup check");
    TraceTiming();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(scratch_.File("send2ov.txt").c_str()));
}

TEST_F(TraceLog, LinesCarryTimeAreaAndText)
{
    StartTrace(true);
    Trace("verify", "Startup check");
    Trace("sentrovia", "InitRegStartups");
    std::vector<std::string> lines = Lines("send2ov.txt");
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("[0-9]+\\.1=12-06  14:05:09 verify: Startup check")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("[0-9]+\\.2=12-06  14:05:09 sentrovia: InitRegStartups")))
        << lines[1];

    MarkVerifyStart();
    TraceTiming();
    TraceTiming();
    lines = Lines("send2ov.txt");
    ASSERT_EQ(4u, lines.size());
    // The profile functions drop a value's trailing blanks when reading it back.
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("[0-9]+\\.3=\\*\\*:\\*\\*:\\*\\* NanoCycles: InitRegStartups = 1 ?")))
        << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex("[0-9]+\\.4=\\*\\*:\\*\\*:\\*\\* NanoCycles: InitRegStartups = [0-9]+( ?\t\\*{1,16})? ?")))
        << lines[3];
}

TEST_F(TraceLog, ExplorerWritesItsOwnFile)
{
    SetProgramKind(ProgramKind::Explorer);
    StartTrace(true);
    Trace("main", "-------------------------------------Begin SentroviaEx");
    EXPECT_EQ(1u, Lines("sendex2ov.txt").size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(scratch_.File("send2ov.txt").c_str()));
}

TEST_F(TraceLog, StopsAfterLine9001)
{
    StartTrace(true, 8995);
    for (int i = 0; i < 10; ++i) {
        Trace("verify", "tick");
        TraceTiming();
    }
    std::vector<std::string> lines = Lines("send2ov.txt");
    ASSERT_EQ(6u, lines.size());
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("[0-9]+\\.8996=.*"))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[5], std::regex("[0-9]+\\.9001=.*"))) << lines[5];
}

} // namespace
