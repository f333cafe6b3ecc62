// Drives the Explorer's list pages in-process: the real sheet opened on one page, its list read
// as the user sees it, its rows selected and its buttons pressed from inside the sheet's loop.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "explorer_dialogs.h"
#include "ids.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "regsandbox.h"
#include "scratch.h"
#include "sheet.h"

namespace page_driver {

inline std::vector<std::string> Column(HWND list, int column)
{
    std::vector<std::string> texts;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row) {
        char text[512] = "";
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

inline HWND PageList() { return GetDlgItem(Explorer().activePage, IDC_PAGE_LIST); }

// Selects the row whose first column reads text (and no other); false when there is none.
inline bool Select(const char *text)
{
    HWND list = PageList();
    const auto texts = Column(list, 0);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (size_t row = 0; row < texts.size(); ++row)
        if (texts[row] == text) {
            ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
            return true;
        }
    return false;
}

inline void Press(int id) { SendMessageA(Explorer().activePage, WM_COMMAND, id, 0); }

// A click on a column's header.
inline void ClickColumn(int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = PageList();
    click.hdr.idFrom = IDC_PAGE_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(Explorer().activePage, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
}

inline bool Shown(int id) { return IsWindowVisible(GetDlgItem(Explorer().activePage, id)) != 0; }

// The last message the page showed; every message is answered Yes.
inline std::string g_asked;
inline int AnswerYes(const char *text, const char *, UINT)
{
    g_asked = text;
    return IDYES;
}

// The sheet with its registry in a sandbox and what its actions write beside the program (the
// history) in a scratch folder.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                           ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        LoadOptions();
        platform_.programFolder = programFolder_.path().c_str();
        SetPlatformOverride(&platform_);
        g_asked.clear();
        previous_ = SetMessageResponder(AnswerYes);
        ASSERT_NE(nullptr, CreateMainWindow(GetModuleHandleA(nullptr), "SentroviaExTest",
                                            "Loading..."));
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        if (Explorer().mainWindow != nullptr)
            DestroyWindow(Explorer().mainWindow);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                DispatchMessageA(&message);
        SetPlatformOverride(nullptr);
    }
    // Opens the sheet on the page, takes the steps once the page is there, then closes it.
    void Run(int page, std::vector<dialog_driver::Step> steps)
    {
        steps.insert(steps.begin(), [](HWND) { return Explorer().activePage != nullptr; });
        steps.push_back([](HWND) {
            PostMessageA(Explorer().activePage, WM_COMMAND, IDC_PAGE_CLOSE, 0);
            return true;
        });
        dialog_driver::Run(steps, [page] {
            OpenSheet(page);
            return 0;
        });
    }
    std::string HistoryFile() const { return programFolder_.File("history.txt"); }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    PlatformOverride platform_;
    MessageResponder previous_ = nullptr;
};

} // namespace page_driver
