// The program information dialog driven from inside its own loop: browsing with wrap-around, the
// run state before and after stopping a program, a service's start type, and the note.
#include "info_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "dialog_driver.h"
#include "entries.h"
#include "historyline.h"
#include "ids.h"
#include "options.h"
#include "platform.h"
#include "programs.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace dialog_driver;

constexpr char kServices[] = "SYSTEM\\CurrentControlSet\\Services";

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void Select(HWND dialog, int choice)
{
    SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, choice, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_INFO_START_TYPE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_INFO_START_TYPE)));
}

class InfoDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        platform_.programFolder = programFolder_.path().c_str();
        SetPlatformOverride(&platform_);
        WriteRegString(HKEY_CURRENT_USER,
                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                       "AppData", appData_.path().c_str());
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }
    static void Open(int entry, std::vector<Step> steps)
    {
        steps.push_back(Press(IDOK));
        RunDialog(steps, [entry] {
            ShowInfoDialog(nullptr, entry);
            return 0;
        });
    }
    std::string History() const { return ReadWholeFile(programFolder_.File("history.txt")); }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_{"program"};
    ScratchFolder appData_{"appdata"};
    ScratchFolder files_{"programs"};
    PlatformOverride platform_;
};

TEST_F(InfoDialog, NextAndPreviousWrapAroundTheList)
{
    for (const char *title : {"Alpha", "Beta", "Gamma"})
        AddEntry(title, (std::string("C:\\nowhere\\") + title + ".exe").c_str(), "", "", 11, 0);
    std::vector<std::string> captions;
    auto caption = [&](HWND dialog) { captions.push_back(WindowText(dialog)); };
    Open(2, {Do(caption), Press(IDC_INFO_NEXT), Do(caption), Press(IDC_INFO_PREVIOUS),
             Press(IDC_INFO_PREVIOUS), Do(caption)});
    EXPECT_EQ((std::vector<std::string>{"Gamma", "Alpha", "Beta"}), captions);
}

// A program file that is not there: no run or stop, no version texts, the title in place of the
// description.
TEST_F(InfoDialog, AMissingProgramShowsWhatLittleIsKnown)
{
    AddEntry("Ghost", "C:\\nowhere\\ghost.exe -tray", "", "", 11, 0);
    std::string state, description, company;
    bool stop = true, run = true;
    Open(0, {Do([&](HWND dialog) {
        state = ItemText(dialog, IDC_INFO_STATE);
        description = ItemText(dialog, IDC_INFO_DESCRIPTION);
        company = ItemText(dialog, IDC_INFO_COMPANY);
        stop = Visible(dialog, IDC_INFO_STOP);
        run = Visible(dialog, IDC_INFO_RUN);
    })});
    EXPECT_EQ("Local File not found.", state);
    EXPECT_EQ("Ghost", description);
    EXPECT_EQ("", company);
    EXPECT_FALSE(stop);
    EXPECT_FALSE(run);
}

TEST_F(InfoDialog, ARunningProgramIsKilledAndThenReadyToRun)
{
    const std::string program = files_.File("agent.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), program.c_str(), FALSE));
    RunningProgram running(program, "60000");
    ASSERT_TRUE(running.started());
    AddEntry("Agent", (program + " 60000").c_str(), "", "", 11, 0);
    std::vector<std::string> states, buttons;
    auto look = [&](HWND dialog) {
        states.push_back(ItemText(dialog, IDC_INFO_STATE));
        buttons.push_back(Visible(dialog, IDC_INFO_STOP)  ? ItemText(dialog, IDC_INFO_STOP)
                          : Visible(dialog, IDC_INFO_RUN) ? ItemText(dialog, IDC_INFO_RUN)
                                                          : "");
    };
    Open(0, {Do(look), Press(IDC_INFO_STOP), Do(look)});
    EXPECT_EQ((std::vector<std::string>{"Running", "Ready"}), states);
    EXPECT_EQ((std::vector<std::string>{"&Kill Task", "Run"}), buttons);
    EXPECT_TRUE(running.WaitForEnd(5000));
    EXPECT_NE(std::string::npos, History().find("\tTASK_Kill\t")) << History();
}

// Apply is there only while the chosen start type differs from the one shown; applying records
// the former setting and the new one before it changes the service.
TEST_F(InfoDialog, AServicesStartTypeIsAppliedOnlyWhenItDiffers)
{
    const std::string key = std::string(kServices) + "\\OrbitSync";
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName", "Orbit Sync");
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "ImagePath", "C:\\Orbit\\sync.exe");
    WriteRegNumber(HKEY_LOCAL_MACHINE, key.c_str(), "Start", 3);
    AddEntry("Orbit Sync", "C:\\Orbit\\sync.exe", "", "", 700, 0);
    std::vector<bool> apply;
    std::string stop;
    bool stopEnabled = true;
    Open(0, {Do([&](HWND dialog) {
                 stop = ItemText(dialog, IDC_INFO_STOP);
                 // No service control manager knows it: it cannot be asked to stop.
                 stopEnabled = Enabled(dialog, IDC_INFO_STOP);
                 apply.push_back(Visible(dialog, IDC_INFO_APPLY) && Enabled(dialog, IDC_INFO_APPLY));
                 Select(dialog, 0);  // Automatic
                 apply.push_back(Enabled(dialog, IDC_INFO_APPLY));
                 Select(dialog, 1);  // Manual, as shown
                 apply.push_back(Enabled(dialog, IDC_INFO_APPLY));
                 Select(dialog, 2);  // Disabled
             }),
             Press(IDC_INFO_APPLY), Do([&](HWND dialog) {
                 apply.push_back(Enabled(dialog, IDC_INFO_APPLY));
             })});
    EXPECT_EQ("&Stop", stop);
    EXPECT_FALSE(stopEnabled);
    EXPECT_EQ((std::vector<bool>{false, true, false, false}), apply);
    EXPECT_EQ(4, ReadRegNumber(HKEY_LOCAL_MACHINE, key.c_str(), "Start"));
    const std::string history = History();
    // The former setting is recorded under its own action, whatever the history's name for it.
    const size_t former = history.find(std::string("\t") + ActionNameOf(kActionServiceFromManual) +
                                       "\tSERVICE_EXE\tOrbit Sync\t");
    const size_t now = history.find("\tSERVICE_Disabled\tSERVICE_EXE\tOrbit Sync\t");
    EXPECT_NE(std::string::npos, former) << history;
    EXPECT_NE(std::string::npos, now) << history;
    EXPECT_LT(former, now);
}

TEST_F(InfoDialog, ANoteIsCreatedSavedAndShownAgain)
{
    const std::string program = files_.File("agent.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), program.c_str(), FALSE));
    AddEntry("Agent", program.c_str(), "", "", 11, 0);
    std::string first, created, again;
    bool saveLocked = false;
    Open(0, {Do([&](HWND dialog) {
                 first = ItemText(dialog, IDC_INFO_NOTE_BUTTON);
             }),
             Press(IDC_INFO_NOTE_BUTTON), Do([&](HWND dialog) {
                 created = ItemText(dialog, IDC_INFO_NOTE);
                 SetDlgItemTextA(dialog, IDC_INFO_NOTE, "Keeps my files in step.");
             }),
             Press(IDC_INFO_NOTE_BUTTON), Do([&](HWND dialog) {
                 saveLocked = !Enabled(dialog, IDC_INFO_NOTE_BUTTON);
             }),
             Press(IDC_INFO_NEXT), Do([&](HWND dialog) {
                 again = ItemText(dialog, IDC_INFO_NOTE);
             })});
    EXPECT_EQ("&Create Note", first);
    EXPECT_NE(std::string::npos, created.find("Agent")) << created;
    EXPECT_TRUE(saveLocked) << "saved: the button waits for the next change";
    EXPECT_EQ("Keeps my files in step.", again) << "the note is read back from its file";
}

// Some kinds put their own facts where the location and the standard text would be.
TEST_F(InfoDialog, KindsShowTheirOwnFacts)
{
    AddEntry("Vfx Chart", "C:\\nowhere\\chart.ocx", "{5E2E0001-0000-4000-8000-0000000000C1}", "",
             1200, 0);
    AddEntry(".vfx", "C:\\nowhere\\vfx.exe \"%1\"", "", "vfx", 400, 0);
    AddEntry("Toolbar", "C:\\nowhere\\bar.dll", "", "", 901, 0);
    std::vector<std::string> locations, notes;
    auto look = [&](HWND dialog) {
        locations.push_back(ItemText(dialog, IDC_INFO_LOCATION));
        notes.push_back(ItemText(dialog, IDC_INFO_NOTE));
    };
    Open(0, {Do(look), Press(IDC_INFO_NEXT), Do(look), Press(IDC_INFO_NEXT), Do(look)});
    ASSERT_EQ(3u, locations.size());
    EXPECT_EQ("CLSID: {5E2E0001-0000-4000-8000-0000000000C1}", locations[0]);
    EXPECT_EQ("", locations[1]);
    EXPECT_EQ("File Type Extension: vfx", notes[1]);
    EXPECT_EQ("Location: \"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar\"", locations[2]);
}

// Shrunk, the file's facts and the note are out of view and the dialog is shorter; the button
// names the other state.
TEST_F(InfoDialog, ExpandAndShrinkShowAndHideTheFactsAndTheNote)
{
    AddEntry("Ghost", "C:\\nowhere\\ghost.exe", "", "", 11, 0);
    struct Look {
        bool note;
        int height;
        std::string button;
    };
    std::vector<Look> looks;
    auto look = [&](HWND dialog) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        looks.push_back({Visible(dialog, IDC_INFO_NOTE), rect.bottom - rect.top,
                         ItemText(dialog, IDC_INFO_EXPAND)});
    };
    Open(0, {Do(look), Press(IDC_INFO_EXPAND), Do(look), Press(IDC_INFO_EXPAND), Do(look)});
    ASSERT_EQ(3u, looks.size());
    EXPECT_NE(looks[0].note, looks[1].note);
    EXPECT_NE(looks[0].button, looks[1].button);
    const Look &expanded = looks[0].note ? looks[0] : looks[1];
    const Look &shrunk = looks[0].note ? looks[1] : looks[0];
    EXPECT_GT(expanded.height, shrunk.height);
    EXPECT_EQ("Shrin&k Window", expanded.button);
    EXPECT_EQ("E&xpand Info", shrunk.button);
    EXPECT_EQ(looks[0].note, looks[2].note);
    EXPECT_EQ(looks[0].height, looks[2].height);
}

} // namespace
