// The Services page on the real sheet: its columns and the Microsoft services box.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "options.h"
#include "page_driver.h"
#include "registry.h"
#include "scratch.h"

namespace {

using namespace page_driver;

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

void AddService(const char *key, const char *title, const std::string &image, DWORD start)
{
    const std::string path = std::string(kServicesKey) + "\\" + key;
    WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "DisplayName", title);
    WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "ImagePath", image.c_str());
    WriteRegNumber(HKEY_LOCAL_MACHINE, path.c_str(), "Start", start);
}

class ServicesPage : public PageTest {
protected:
    ScratchFolder files_{"programs"};
};

TEST_F(ServicesPage, ServicesShowHowTheyRunAndMicrosoftOnesCanBeLeftOut)
{
    const std::string own = files_.File("orbit.exe");
    const std::string system = files_.File("system.dll");
    ASSERT_TRUE(CopyFileA(BuildFile("Sentrovia.exe").c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildFile("vfx_company_lower.exe").c_str(), system.c_str(), FALSE));
    AddService("orbit", "Orbit Service", own, 2);
    AddService("hosted", "Hosted Service", "C:\\windows\\system32\\svchost.exe -k netsvcs", 3);
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kServicesKey) + "\\hosted\\Parameters").c_str(),
                   "ServiceDll", system.c_str());
    AddService("driver", "Some Driver", "system32\\drivers\\some.sys", 1);
    StoreOption(OPT_HideMicrosoftServices, 0);

    std::vector<std::vector<std::string>> all;
    std::vector<std::string> withoutMicrosoft;
    Run(IDM_PAGE_SERVICES, {[&](HWND) {
                                for (int column = 0; column < 6; ++column)
                                    all.push_back(Column(PageList(), column));
                                CheckDlgButton(Explorer().activePage, IDC_PAGE_CHECK, BST_CHECKED);
                                Press(IDC_PAGE_CHECK);
                                withoutMicrosoft = Column(PageList(), 0);
                                return true;
                            }});
    ASSERT_EQ(6u, all.size());
    // In the registry's order; the driver runs no program: not listed.
    ASSERT_EQ((std::vector<std::string>{"Hosted Service", "Orbit Service"}), all[0]);
    EXPECT_EQ("svchost.exe system.dll", all[1][0]);
    EXPECT_EQ("orbit.exe", all[1][1]);
    EXPECT_EQ("Orvanto", all[2][1]);
    // Neither runs (no service control manager knows them): the status is left blank.
    EXPECT_EQ(" ", all[3][1]);
    EXPECT_EQ("Manual", all[4][0]);
    EXPECT_EQ("Automatic", all[4][1]);
    EXPECT_FALSE(all[5][1].empty());
    EXPECT_EQ(1, GetOption("HideMicrosoftServices", 0));
    EXPECT_EQ(std::vector<std::string>{"Orbit Service"}, withoutMicrosoft);
}

} // namespace
