#include "services.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "approved.h"
#include "area.h"
#include "buildfiles.h"
#include "entries.h"
#include "files.h"
#include "options.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

constexpr char kServices[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kSnapshot[] = "Software\\Orvanto\\Sentrovia\\Services";

std::string KeyOf(const std::string &name) { return std::string(kServices) + "\\" + name; }

void SetText(const std::string &path, const char *name, const std::string &text,
             DWORD type = REG_SZ)
{
    WriteRawValue(HKEY_LOCAL_MACHINE, path.c_str(), name, type, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

void SetNumber(const std::string &path, const char *name, DWORD number)
{
    WriteRawValue(HKEY_LOCAL_MACHINE, path.c_str(), name, REG_DWORD, &number, sizeof number);
}

// A service key: its ImagePath, and its DisplayName and Start unless empty / negative.
std::string AddService(const std::string &name, const std::string &image,
                       const std::string &display = "", long start = -1,
                       DWORD imageType = REG_SZ)
{
    const std::string key = KeyOf(name);
    CreateRegKey(HKEY_LOCAL_MACHINE, key.c_str());
    SetText(key, "ImagePath", image, imageType);
    if (!display.empty())
        SetText(key, "DisplayName", display);
    if (start >= 0)
        SetNumber(key, "Start", static_cast<DWORD>(start));
    return key;
}

struct Listed {
    std::string title, path, detail, description;
    int kind = 0, extra = 0;
};

std::vector<Listed> List(bool namesOnly)
{
    EXPECT_EQ(EnumerateServices(namesOnly), 0);
    std::vector<Listed> listed;
    for (int i = 0; i < EntryCount(); ++i) {
        char buffer[kDescriptionWidth + 1];
        Listed entry;
        EntryTitle(i, buffer, sizeof buffer);
        entry.title = buffer;
        entry.path = EntryWholePath(i);
        EntryDetail(i, buffer, sizeof buffer);
        entry.detail = buffer;
        EntryDescription(i, buffer, sizeof buffer);
        entry.description = buffer;
        entry.kind = EntryKind(i);
        entry.extra = EntryExtra(i);
        listed.push_back(entry);
    }
    return listed;
}

const Listed *Find(const std::vector<Listed> &listed, const std::string &title)
{
    for (const Listed &entry : listed)
        if (entry.title == title)
            return &entry;
    return nullptr;
}

std::string Expanded(const char *text)
{
    char out[1024];
    ExpandEnvironmentStringsA(text, out, sizeof out);
    return out;
}

DWORD StoredStart(const std::string &key, DWORD *type)
{
    DWORD value = 0xDEADBEEF, size = sizeof value;
    *type = REG_NONE;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Start", RRF_RT_ANY, type, &value, &size) !=
        ERROR_SUCCESS)
        return 0xDEADBEEF;
    return value;
}

class ServicesRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Wine's own svchost.exe carries a Microsoft company: the hiding has a test of its own.
        StoreOption(OPT_HideMicrosoftServices, 0);
        CreateRegKey(HKEY_LOCAL_MACHINE, kServices);
    }
    void TearDown() override
    {
        ClearEntryList();
        StoreOption(OPT_HideMicrosoftServices, 1);
    }
    RegistrySandbox sandbox_;
};

TEST(ServicesNoKey, NothingListedWithoutTheServicesKey)
{
    RegistrySandbox sandbox;
    AddEntry("left over", "C:\\left.exe", "", "", 100, 0);
    EXPECT_EQ(EnumerateServices(false), 0);
    EXPECT_EQ(EntryCount(), 0);
}

TEST_F(ServicesRegistry, DriverOnlyInNamesOnlyListing)
{
    AddService("orbitdrv", "system32\\drivers\\orbit.sys", "Orbit Driver", 1);
    AddService("OrbitAgent", "C:\\Apps\\agent.exe", "Orbit Agent", 2);
    AddService("OrbitEmpty", "", "Orbit Empty", 2);

    auto full = List(false);
    EXPECT_EQ(Find(full, "Orbit Driver"), nullptr);
    EXPECT_EQ(Find(full, "Orbit Empty"), nullptr);
    const Listed *agent = Find(full, "Orbit Agent");
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->path, ListedCommandOf("C:\\Apps\\agent.exe"));
    EXPECT_EQ(agent->kind, kServiceExeKind);
    EXPECT_EQ(agent->extra, 0);
    EXPECT_EQ(full.size(), 1u);

    auto names = List(true);
    ASSERT_EQ(names.size(), 2u);
    const Listed *driver = Find(names, "orbitdrv");
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->path, "");
    EXPECT_EQ(driver->detail, "");
    EXPECT_EQ(driver->description, "");
    EXPECT_EQ(driver->kind, kServiceExeKind);
    ASSERT_NE(Find(names, "OrbitAgent"), nullptr);
    EXPECT_EQ(Find(names, "OrbitEmpty"), nullptr);
}

TEST_F(ServicesRegistry, ExeMatchIgnoresCase)
{
    AddService("Upper", "C:\\APPS\\UPPER.EXE /run", "Upper Case");
    AddService("Script", "C:\\Apps\\tool.bat", "Batch Tool");
    auto full = List(false);
    EXPECT_NE(Find(full, "Upper Case"), nullptr);
    EXPECT_EQ(Find(full, "Batch Tool"), nullptr);
}

TEST_F(ServicesRegistry, HostedServiceTakesItsExpandedLibrary)
{
    const char *host = "%SystemRoot%\\system32\\svchost.exe -k orbit";
    const std::string hosted = AddService("OrbitHosted", host, "Orbit Hosted", 2, REG_EXPAND_SZ);
    SetText(hosted + "\\Parameters", "ServiceDll", "%SystemRoot%\\system32\\orbithost.dll",
            REG_EXPAND_SZ);
    const std::string bare = AddService("OrbitBare", host, "Orbit Bare", 3, REG_EXPAND_SZ);
    const std::string empty = AddService("OrbitEmptyDll", host, "Orbit Empty Dll", 3,
                                         REG_EXPAND_SZ);
    SetText(empty + "\\Parameters", "ServiceDll", "");

    auto full = List(false);
    const Listed *withLibrary = Find(full, "Orbit Hosted");
    ASSERT_NE(withLibrary, nullptr);
    EXPECT_EQ(withLibrary->path,
              ListedCommandOf(Expanded("%SystemRoot%\\system32\\orbithost.dll").c_str()));
    EXPECT_EQ(withLibrary->path.find('%'), std::string::npos);
    EXPECT_EQ(withLibrary->kind, kServiceHostKind);
    for (const char *title : {"Orbit Bare", "Orbit Empty Dll"}) {
        const Listed *entry = Find(full, title);
        ASSERT_NE(entry, nullptr) << title;
        EXPECT_EQ(entry->path, ListedCommandOf(Expanded(host).c_str())) << title;
        EXPECT_EQ(entry->kind, kServiceHostKind) << title;
    }
}

TEST_F(ServicesRegistry, StartTypeTexts)
{
    AddService("S2", "C:\\s2.exe", "Start Two", 2);
    AddService("S3", "C:\\s3.exe", "Start Three", 3);
    AddService("S4", "C:\\s4.exe", "Start Four", 4);
    AddService("S1", "C:\\s1.exe", "Start One", 1);
    AddService("S0", "C:\\s0.exe", "Start Zero", 0);
    // Only the low byte names the start type.
    AddService("SHigh", "C:\\shigh.exe", "Start High", 0x12345604);
    AddService("SNone", "C:\\snone.exe", "Start None");
    const std::string text = AddService("SText", "C:\\stext.exe", "Start Text");
    SetText(text, "Start", "2");

    auto full = List(false);
    const std::pair<const char *, const char *> expected[] = {
        {"Start Two", "Automatic"}, {"Start Three", "Manual"}, {"Start Four", "Disabled"},
        {"Start One", "0"},         {"Start Zero", "0"},       {"Start High", "Disabled"},
        {"Start None", "0"},        {"Start Text", "0"}};
    for (const auto &[title, detail] : expected) {
        const Listed *entry = Find(full, title);
        ASSERT_NE(entry, nullptr) << title;
        EXPECT_EQ(entry->detail, detail) << title;
    }
}

TEST_F(ServicesRegistry, ImagePathMissingOrNotText)
{
    const std::string missing = KeyOf("NoImage");
    CreateRegKey(HKEY_LOCAL_MACHINE, missing.c_str());
    SetText(missing, "DisplayName", "No Image");
    const std::string number = KeyOf("NumberImage");
    SetNumber(number, "ImagePath", 5);
    SetText(number, "DisplayName", "Number Image");
    const std::string binary = KeyOf("BinaryImage");
    WriteRawValue(HKEY_LOCAL_MACHINE, binary.c_str(), "ImagePath", REG_BINARY, "C:\\b.exe", 9);
    SetText(binary, "DisplayName", "Binary Image");
    AddService("Good", "C:\\good.exe", "Good Image");

    EXPECT_EQ(List(false).size(), 1u);
    auto names = List(true);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].title, "Good");
}

TEST_F(ServicesRegistry, DisplayNameValueWhenTheManagerDoesNotKnowTheKey)
{
    AddService("OrbitNamed", "C:\\Apps\\named.exe", "Named By Value");
    AddService("OrbitUnnamed", "C:\\Apps\\unnamed.exe");
    auto full = List(false);
    EXPECT_NE(Find(full, "Named By Value"), nullptr);
    // No title at all: the list makes one from the path, never the key name.
    ASSERT_EQ(full.size(), 2u);
    for (const Listed &entry : full) {
        EXPECT_FALSE(entry.title.empty());
        EXPECT_NE(entry.title, "OrbitUnnamed");
    }
}

TEST_F(ServicesRegistry, LongDisplayNames)
{
    const std::string wide(300, 'w');
    AddService("Wide", "C:\\Apps\\wide.exe", wide);
    // Past what a registry read takes: no title rather than a part of it.
    const std::string huge(2000, 'h');
    AddService("Huge", "C:\\Apps\\huge.exe", huge);
    auto full = List(false);
    ASSERT_EQ(full.size(), 2u);
    bool sawWide = false;
    for (const Listed &entry : full) {
        EXPECT_LE(entry.title.size(), kTitleWidth);
        EXPECT_NE(entry.title.substr(0, 3), "hhh");
        sawWide = sawWide || entry.title.substr(0, 100) == wide.substr(0, 100);
    }
    EXPECT_TRUE(sawWide);
}

TEST_F(ServicesRegistry, DescriptionListed)
{
    const std::string key = AddService("Described", "C:\\Apps\\described.exe", "Described", 3);
    SetText(key, "Description", "Keeps the orbit steady");
    auto full = List(false);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].description, "Keeps the orbit steady");
}

TEST_F(ServicesRegistry, MicrosoftCompaniesHidden)
{
    ScratchFolder folder;
    const std::string lower = folder.File("lower.exe");
    const std::string upper = folder.File("upper.exe");
    const std::string plain = folder.File("plain.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("vfx_company_lower.exe").c_str(), lower.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildFile("vfx_company_upper.exe").c_str(), upper.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildFile("vfx_no_version.exe").c_str(), plain.c_str(), FALSE));
    AddService("Lower", "\"" + lower + "\" -service", "Lower Company");
    AddService("Upper", upper, "Upper Company");
    AddService("Plain", plain, "Plain Company");
    // A hosted service is judged by its library.
    const std::string hosted = AddService("Hosted", "C:\\orbit\\svchost.exe -k x", "Hosted Lib");
    SetText(hosted + "\\Parameters", "ServiceDll", lower);

    StoreOption(OPT_HideMicrosoftServices, 1);
    auto hidden = List(false);
    EXPECT_EQ(Find(hidden, "Lower Company"), nullptr);
    EXPECT_EQ(Find(hidden, "Upper Company"), nullptr);
    EXPECT_EQ(Find(hidden, "Hosted Lib"), nullptr);
    EXPECT_NE(Find(hidden, "Plain Company"), nullptr);

    StoreOption(OPT_HideMicrosoftServices, 0);
    EXPECT_EQ(List(false).size(), 4u);
    // The names-only listing hides nothing.
    StoreOption(OPT_HideMicrosoftServices, 1);
    EXPECT_EQ(List(true).size(), 4u);
}

TEST_F(ServicesRegistry, ListHoldsAtMostItsLimit)
{
    RegKey services;
    ASSERT_TRUE(services.Open(HKEY_LOCAL_MACHINE, kServices, KEY_ALL_ACCESS));
    const char image[] = "C:\\x.exe";
    for (int i = 0; i <= kMaxEntries; ++i) {
        char name[16];
        snprintf(name, sizeof name, "k%05d", i);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(services.get(), name, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "ImagePath", 0, REG_SZ, reinterpret_cast<const BYTE *>(image),
                       sizeof image);
        RegCloseKey(key);
    }
    EnumerateServices(true);
    ASSERT_EQ(EntryCount(), kMaxEntries);
    EXPECT_EQ(EntryListFull(), 1);
    char last[32];
    EntryTitle(kMaxEntries - 1, last, sizeof last);
    EXPECT_STREQ(last, "k04095");
}

TEST_F(ServicesRegistry, StartTypeWrittenForTheMatchingDisplayNameOnly)
{
    const std::string alpha = AddService("Alpha", "C:\\alpha.exe", "Alpha Service", 0x12345603);
    const std::string beta = AddService("Beta", "C:\\beta.exe", "Beta Service", 3);
    // No ImagePath: not a service to write to.
    const std::string ghost = KeyOf("Ghost");
    SetText(ghost, "DisplayName", "Ghost Service");
    SetNumber(ghost, "Start", 3);
    const std::string text = AddService("Texty", "C:\\texty.exe", "Texty Service");
    SetText(text, "Start", "3");

    EXPECT_EQ(SetServiceStartType("alpha SERVICE", 4), 1);
    DWORD type = 0;
    EXPECT_EQ(StoredStart(alpha, &type), 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(StoredStart(beta, &type), 3u);
    EXPECT_EQ(GetServiceStartType("Alpha Service"), 4);
    EXPECT_EQ(GetServiceStartType("Beta Service"), 3);

    EXPECT_EQ(SetServiceStartType("Alpha Service", 0x1FE), 1);
    EXPECT_EQ(StoredStart(alpha, &type), 0xFEu);

    EXPECT_EQ(SetServiceStartType("Ghost Service", 4), 0);
    EXPECT_EQ(StoredStart(ghost, &type), 3u);
    EXPECT_EQ(GetServiceStartType("Ghost Service"), -1);
    EXPECT_EQ(SetServiceStartType("Nobody Service", 4), 0);
    EXPECT_EQ(GetServiceStartType("Nobody Service"), -1);
    EXPECT_EQ(SetServiceStartType("", 4), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KeyOf("Nobody Service").c_str()));

    EXPECT_EQ(SetServiceStartType("Texty Service", 2), 1);
    EXPECT_EQ(StoredStart(text, &type), 2u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(ServicesRegistry, FirstMatchingDisplayNameWins)
{
    const std::string first = AddService("TwinA", "C:\\twina.exe", "Twin", 3);
    const std::string second = AddService("TwinB", "C:\\twinb.exe", "Twin", 3);
    EXPECT_EQ(SetServiceStartType("Twin", 4), 1);
    DWORD type = 0;
    EXPECT_EQ(StoredStart(first, &type), 4u);
    EXPECT_EQ(StoredStart(second, &type), 3u);
}

TEST_F(ServicesRegistry, DescriptionFoundByCleanPath)
{
    const std::string agent = AddService("Agent", "\"C:\\Apps\\agent.exe\" -service", "Agent");
    SetText(agent, "Description", "Runs the agent");
    const std::string hosted = AddService("Hosted", "C:\\Windows\\svchost.exe -k x", "Hosted");
    SetText(hosted + "\\Parameters", "ServiceDll", "C:\\Apps\\hosted.dll");
    SetText(hosted, "Description", "Hosted library");
    const std::string other = AddService("Other", "C:\\Apps\\other.exe", "Other");
    SetText(other, "Description", "Other program");

    char clean[MAX_PATH];
    CleanPath("\"C:\\Apps\\agent.exe\" -service", clean, sizeof clean);
    char found[64];
    EXPECT_EQ(FindServiceDescription(clean, found, sizeof found), 14);
    EXPECT_STREQ(found, "Runs the agent");
    EXPECT_EQ(FindServiceDescription("c:\\apps\\HOSTED.dll", found, sizeof found), 14);
    EXPECT_STREQ(found, "Hosted library");
    // The host program is not what a hosted service is found by.
    EXPECT_EQ(FindServiceDescription("C:\\WINDOWS\\SVCHOST.EXE", found, sizeof found), 0);
    EXPECT_STREQ(found, "");
    EXPECT_EQ(FindServiceDescription("C:\\APPS\\NONE.EXE", found, sizeof found), 0);
    EXPECT_STREQ(found, "");

    char small[6];
    FindServiceDescription("C:\\APPS\\OTHER.EXE", small, sizeof small);
    EXPECT_STREQ(small, "Other");
}

TEST_F(ServicesRegistry, SnapshotLeftAloneWithItsMarker)
{
    AddService("Agent", "C:\\Apps\\agent.exe", "Orbit Agent");
    WriteRegString(HKEY_CURRENT_USER, kSnapshot, nullptr, "P");
    TakeServicesSnapshot();
    EXPECT_EQ(ApprovalNumber(AREA_Services, "Orbit Agent"), 0);
    RegKey snapshot;
    ASSERT_TRUE(snapshot.Open(HKEY_CURRENT_USER, kSnapshot, KEY_READ));
    EXPECT_EQ(ValueCount(snapshot.get()), 1u);  // the marker alone
    EXPECT_EQ(ReadStringValue(HKEY_CURRENT_USER, kSnapshot, nullptr), "P");
}

TEST_F(ServicesRegistry, SnapshotTakenWithoutItsMarker)
{
    AddService("Agent", "C:\\Apps\\agent.exe", "Orbit Agent");
    AddService("Hosted", "C:\\Windows\\svchost.exe -k x", "Orbit Hosted");
    AddService("Unnamed", "C:\\Apps\\unnamed.exe");
    AddService("Driver", "drivers\\orbit.sys", "Orbit Driver");
    Approve(AREA_Services, "Gone Service", 700);
    WriteRegString(HKEY_CURRENT_USER, kSnapshot, nullptr, "not yet");

    TakeServicesSnapshot();
    EXPECT_TRUE(HasBaselineMarker(AREA_Services));
    EXPECT_EQ(ApprovalNumber(AREA_Services, "Orbit Agent"), kServiceExeKind);
    EXPECT_EQ(ApprovalNumber(AREA_Services, "Orbit Hosted"), kServiceHostKind);
    EXPECT_EQ(ApprovalNumber(AREA_Services, "Orbit Driver"), 0);
    EXPECT_EQ(ApprovalNumber(AREA_Services, "Gone Service"), 0);
    EXPECT_EQ(EntryCount(), 0);
    // The unnamed one is approved under the title the list made for it.
    EnumerateServices(false);
    int unnamed = -1;
    for (int i = 0; i < EntryCount(); ++i)
        if (strstr(EntryWholePath(i), "unnamed") != nullptr)
            unnamed = i;
    ASSERT_GE(unnamed, 0);
    EXPECT_EQ(ApprovalNumber(AREA_Services, EntryWholeTitle(unnamed)), kServiceExeKind);
}

// ---- Through the service control manager: a real service of the test prefix ----

class ServicesManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        name_ = "OrbitTestService" + std::to_string(GetCurrentProcessId());
        title_ = "Orbit Test Service " + std::to_string(GetCurrentProcessId());
        program_ = folder_.File("fixture_service.exe");
        ASSERT_TRUE(CopyFileA(BuildFile("fixture_service.exe").c_str(), program_.c_str(), FALSE));
        manager_.Reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager_) << GetLastError();
        service_.Reset(CreateServiceA(manager_.get(), name_.c_str(), title_.c_str(),
                                      SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                      SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                      program_.c_str(), nullptr, nullptr, nullptr, nullptr,
                                      nullptr));
        ASSERT_TRUE(service_) << GetLastError();
    }
    void TearDown() override
    {
        ClearEntryList();
        if (!service_)
            return;
        SERVICE_STATUS status{};
        ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
        WaitFor(SERVICE_STOPPED);
        DeleteService(service_.get());
        service_.Reset();
    }
    bool WaitFor(DWORD state)
    {
        for (int i = 0; i < 200; ++i) {
            SERVICE_STATUS status{};
            if (QueryServiceStatus(service_.get(), &status) && status.dwCurrentState == state)
                return true;
            Sleep(50);
        }
        return false;
    }
    bool Start()
    {
        return StartServiceA(service_.get(), 0, nullptr) && WaitFor(SERVICE_RUNNING);
    }

    ScratchFolder folder_{"orbitsvc"};
    std::string name_, title_, program_;
    ServiceHandle manager_, service_;
};

TEST_F(ServicesManager, RunningServiceAnswersAndStops)
{
    ASSERT_TRUE(Start());
    const int word = GetServiceStatusWord(title_.c_str());
    EXPECT_GE(word, 0x40000);
    EXPECT_LE(word, 0x4FFFF);
    EXPECT_EQ(word & 0xFFFF, SERVICE_WIN32_OWN_PROCESS);
    char text[64];
    EXPECT_EQ(GetServiceStatusText(title_.c_str(), text, sizeof text), word);
    EXPECT_STREQ(text, "Running");
    EXPECT_NE(GetServiceControlsAccepted(title_.c_str()) & SERVICE_ACCEPT_STOP, 0);

    EXPECT_EQ(ControlServiceByTitle(title_.c_str(), SERVICE_CONTROL_STOP), 1);
    ASSERT_TRUE(WaitFor(SERVICE_STOPPED));
    EXPECT_EQ(GetServiceStatusWord(title_.c_str()), 0);
    EXPECT_EQ(GetServiceStatusText(title_.c_str(), text, sizeof text), 0);
    EXPECT_STREQ(text, "Stopped");
    EXPECT_EQ(GetServiceControlsAccepted(title_.c_str()), 0);
    EXPECT_EQ(ControlServiceByTitle(title_.c_str(), SERVICE_CONTROL_STOP), 0);
}

TEST_F(ServicesManager, StoppedServiceAnswersStopped)
{
    EXPECT_EQ(GetServiceStatusWord(title_.c_str()), 0);
    char text[64] = "x";
    EXPECT_EQ(GetServiceStatusText(title_.c_str(), text, sizeof text), 0);
    EXPECT_STREQ(text, "Stopped");
}

TEST_F(ServicesManager, UnknownTitleAnswersNothing)
{
    const char *nobody = "Orbit Nobody Service 7f3a";
    EXPECT_EQ(GetServiceStatusWord(nobody), 0);
    char text[64] = "x";
    EXPECT_EQ(GetServiceStatusText(nobody, text, sizeof text), 0);
    EXPECT_STREQ(text, "Stopped");
    EXPECT_EQ(GetServiceControlsAccepted(nobody), 0);
    EXPECT_EQ(ControlServiceByTitle(nobody, SERVICE_CONTROL_STOP), 0);
    EXPECT_EQ(GetServiceStatusWord(""), 0);
    char name[64] = "x";
    EXPECT_EQ(LookupServiceDisplayName("OrbitNoSuchKey7f3a", name, sizeof name), 0);
    EXPECT_STREQ(name, "");
}

TEST_F(ServicesManager, DisplayNameLookedUp)
{
    char name[128];
    EXPECT_EQ(LookupServiceDisplayName(name_.c_str(), name, sizeof name), 1);
    EXPECT_EQ(name, title_);
    char small[6];
    EXPECT_EQ(LookupServiceDisplayName(name_.c_str(), small, sizeof small), 1);
    EXPECT_STREQ(small, "Orbit");
}

TEST_F(ServicesManager, ListedInBothModes)
{
    // In the record only: this test's registry is the prefix's own.
    TheSettings().option[OPT_HideMicrosoftServices] = 1;
    auto full = List(false);
    const Listed *entry = Find(full, title_);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->path, ListedCommandOf(program_.c_str()));
    EXPECT_EQ(entry->detail, "Manual");
    EXPECT_EQ(entry->kind, kServiceExeKind);
    auto names = List(true);
    EXPECT_NE(Find(names, name_), nullptr);
    EXPECT_GE(names.size(), full.size());
}

TEST_F(ServicesManager, StartTypeSetThroughTheManagersName)
{
    // Without a DisplayName value only the manager knows the title.
    const std::string key = KeyOf(name_);
    RegKey opened;
    ASSERT_TRUE(opened.Open(HKEY_LOCAL_MACHINE, key.c_str(), KEY_ALL_ACCESS));
    RegDeleteValueA(opened.get(), "DisplayName");
    opened.Close();
    EXPECT_EQ(SetServiceStartType(title_.c_str(), SERVICE_DISABLED), 1);
    DWORD type = 0;
    EXPECT_EQ(StoredStart(key, &type), static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(GetServiceStartType(title_.c_str()), SERVICE_DISABLED);
}

} // namespace
