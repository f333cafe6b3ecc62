// Times filling the Startup page's list (walk, icons, the five columns, first-seen dates) and
// sorting it by title, on a real list view, against the bare work under it: the registry reads
// of the walk, inserting the same number of rows and columns with LVM_INSERTITEMA and
// LVM_SETITEMTEXTA, and one LVM_SORTITEMS with a plain text comparer. Prints
// "startup page fill: N items, X ms, ratio R" and the same for the sort.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "benchkit.h"
#include "entries.h"
#include "list_page.h"
#include "options.h"
#include "startup.h"
#include "texts.h"

using namespace bench;

namespace {

constexpr int kColumns = 5;

// A hidden window with a report list view in it; both destroyed with it.
constexpr int kFirstScreen = 30;  // rows a page shows before it is scrolled

class ListWindow {
public:
    explicit ListWindow(DWORD style = 0)
    {
        parent_ = CreateWindowExA(0, "STATIC", "page bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, 0, 0, 780,
                                560, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int i = 0; i < kColumns && list_ != nullptr; ++i) {
            char title[16];
            snprintf(title, sizeof title, "Column %d", i);
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = title;
            column.cx = 150;
            column.iSubItem = i;
            SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        }
    }
    ~ListWindow()
    {
        if (parent_ != nullptr)
            DestroyWindow(parent_);
    }
    ListWindow(const ListWindow &) = delete;
    ListWindow &operator=(const ListWindow &) = delete;
    HWND list() const { return list_; }
    HWND parent() const { return parent_; }

private:
    HWND parent_ = nullptr;
    HWND list_ = nullptr;
};

struct BareRow {
    char cells[kColumns][24];
};

int CALLBACK CompareTitles(LPARAM left, LPARAM right, LPARAM context)
{
    const auto &rows = *reinterpret_cast<const std::vector<BareRow> *>(context);
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, rows[left].cells[0], -1,
                          rows[right].cells[0], -1) - CSTR_EQUAL;
}

// The texts a row of the page would show, made once, outside the timing.
std::vector<BareRow> BareRows(int count)
{
    std::vector<BareRow> rows(count);
    for (int i = 0; i < count; ++i) {
        BareRow &row = rows[i];
        snprintf(row.cells[0], sizeof row.cells[0], "Agent %04d", count - 1 - i);
        snprintf(row.cells[1], sizeof row.cells[1], "agent%04d.exe", i);
        snprintf(row.cells[2], sizeof row.cells[2], " ");
        snprintf(row.cells[3], sizeof row.cells[3], "%s", i % 2 == 0 ? "HKLM Run" : "HKCU Run");
        row.cells[4][0] = '\0';
    }
    return rows;
}

void BareFill(HWND list, std::vector<BareRow> &rows)
{
    BareRunLoop();
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = rows[i].cells[0];
        item.lParam = i;
        const int row =
            static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int column = 1; column < kColumns; ++column) {
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = rows[i].cells[column];
            SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
}

void BareSort(HWND list, std::vector<BareRow> &rows)
{
    SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rows),
                 reinterpret_cast<LPARAM>(CompareTitles));
}

double Ratio(double work, double bare) { return bare > 0 ? work / bare : 0.0; }

}  // namespace

int main()
{
    ScratchRegistry registry;
    if (!registry.ok()) {
        fprintf(stderr, "page_bench: scratch registry not mapped\n");
        return 1;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    InitLanguage();
    DecideWow64Pass();
    // Unsorted fills: the sort is timed on its own.
    TheSettings().option[OPT_SortStartup] = 0;

    // The page's list is virtual, as on the page itself.
    ListWindow pageWindow(LVS_OWNERDATA);
    ListWindow bareWindow;
    if (pageWindow.list() == nullptr || bareWindow.list() == nullptr) {
        fprintf(stderr, "page_bench: list view not created\n");
        return 1;
    }
    ListPage page{};
    page.traits = &kStartupPageTraits;
    page.window = pageWindow.parent();
    page.list = pageWindow.list();

    int failures = 0;
    for (int count : {100, 4000, 5000}) {
        if (!SeedRunValues(count)) {
            fprintf(stderr, "page_bench: seeding %d values failed\n", count);
            return 1;
        }
        std::vector<BareRow> rows = BareRows(count < kMaxEntries ? count : kMaxEntries);
        // Opening: the fill, then the texts of a first screen of rows, which is all a virtual
        // list asks for before it is seen.
        const double fill = MedianMs([&] {
            FillListPage(page);
            static char text[kCellText];
            for (int row = 0; row < kFirstScreen && row < static_cast<int>(page.order.size()); ++row)
                for (int column = 0; column < page.traits->columnCount; ++column)
                    page.traits->cell(page.order[row], column, text, sizeof text);
        });
        const double bareFill = MedianMs([&] { BareFill(bareWindow.list(), rows); });
        const double bareReads = MedianMs([] { BareRunLoop(); });
        const double sort = MedianMs([&] { SortRows(page, 0, false); });
        const double bareSort = MedianMs([&] { BareSort(bareWindow.list(), rows); });
        const int shown = ListView_GetItemCount(page.list);
        const int held = count < kMaxEntries ? count : kMaxEntries;
        if (shown != held || ListView_GetItemCount(bareWindow.list()) != held) {
            fprintf(stderr, "page_bench: %d seeded, %d shown\n", count, shown);
            ++failures;
        }
        printf("startup page fill: %d items, %.1f ms, ratio %.1f to the bare reads, %.1f to the "
               "bare inserts\n",
               count, fill, Ratio(fill, bareReads), Ratio(fill, bareFill));
        printf("startup page sort: %d items, %.1f ms, ratio %.1f\n", count, sort,
               Ratio(sort, bareSort));
        // The other columns: their keys are facts of files and registers, read once per fill.
        for (int column = 1; count == 4000 && column < page.traits->columnCount; ++column) {
            const double first = MedianMs([&] { FillListPage(page); SortRows(page, column, false); }) -
                                 MedianMs([&] { FillListPage(page); });
            const double again = MedianMs([&] { SortRows(page, column, false); });
            printf("startup page sort by column %d: %d items, first %.1f ms, ratio %.1f; again "
                   "%.1f ms, ratio %.1f\n",
                   column, count, first, Ratio(first, bareSort), again, Ratio(again, bareSort));
        }
    }
    ListView_SetImageList(page.list, nullptr, LVSIL_SMALL);
    if (page.images != nullptr)
        ImageList_Destroy(page.images);
    ClearEntryList();
    return failures == 0 ? 0 : 1;
}
