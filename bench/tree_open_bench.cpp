// Opening a big folder in the folder tree: a fixture folder of 10,000
// sub-folders (or the count given) is opened in a shown tree, and the time
// from the expansion until its first child is selected and the tree has
// painted is taken, best of three.
//
// Then each stage of that work is done again on its own, with the same shell
// calls the tree makes, to show where the time goes: enumeration, attributes
// (split into the cheap ones and the has-sub-folder test), display names,
// the shell's order, node insertion and the icons of the rows one screen
// shows, which is all the tree asks for.
#include "editors/tree_view.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/namespace/system_image_list.h"
#include "shell/tree/shell_tree.h"
#include "shell/tree/tree_loading.h"
#include "support/temp_tree.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace census;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

constexpr SFGAOF kAllAttributes = 0xF20B0000;
constexpr SFGAOF kCheapAttributes = kAllAttributes & ~SFGAO_HASSUBFOLDER;
constexpr int kRuns = 3;

// The whole open as the user gets it, in a fresh tree each time.
double OpenInTree(const std::wstring& root, int expected) {
    Form form;
    form.SetBounds(40, 40, 320, 520);
    ShellTree tree;
    tree.SetParent(&form);
    tree.SetBounds(0, 0, 300, 480);
    testing::LoadTreeAt(tree, root);
    form.Show();
    Application::Instance().ProcessMessages();
    TreeNode big = testing::ChildWithText(tree, tree.FirstRoot(), L"big");
    if (!big) return -1;

    const auto start = Clock::now();
    tree.Expand(big);
    tree.Select(tree.FirstChild(big));
    tree.Update();
    Application::Instance().ProcessMessages();
    const double seconds = Seconds(start);

    int count = 0;
    for (TreeNode c = tree.FirstChild(big); c && count <= expected; c = tree.NextSibling(c)) ++count;
    if (count != expected) std::printf("warning: the tree shows %d of %d folders\n", count, expected);
    return seconds;
}

struct Stages {
    double enumerate = 0, cheap_attributes = 0, children_test = 0, names = 0, sort = 0, insert = 0, insert_only = 0;
    double icons_in_folder = 0, icons_screen = 0;
    long comparisons = 0;
    int items = 0, screen_rows = 0;
};

std::vector<UniqueIdList> Enumerate(IShellFolder* folder) {
    std::vector<UniqueIdList> items;
    ComPtr<IEnumIDList> list;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, list.put()) != S_OK) return items;
    for (;;) {
        UniqueIdList item;
        ULONG fetched = 0;
        if (list->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.put()), &fetched) != S_OK || !fetched) break;
        items.push_back(std::move(item));
    }
    return items;
}

double AttributesOf(IShellFolder* folder, const std::vector<UniqueIdList>& items, SFGAOF wanted) {
    const auto start = Clock::now();
    for (const UniqueIdList& item : items) {
        PCUITEMID_CHILD child = item.get();
        SFGAOF attributes = wanted;
        folder->GetAttributesOf(1, &child, &attributes);
    }
    return Seconds(start);
}

// Nodes with their texts under one collapsed node of a shown tree, as the
// tree inserts them (in order, each at the front, last first, redrawing held),
// then opened and painted.
double InsertNodes(const std::vector<std::wstring>& names, double& inserted, int& screen_rows) {
    Form form;
    form.SetBounds(40, 40, 320, 520);
    TreeView tree;
    tree.SetParent(&form);
    tree.SetBounds(0, 0, 300, 480);
    tree.SetImageList(GetSystemImageList(true));
    form.Show();
    TreeNode parent = tree.AddChild(nullptr, L"big", 0);
    tree.SetHasChildren(parent, true);
    Application::Instance().ProcessMessages();
    const auto start = Clock::now();
    tree.BeginUpdate();
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        tree.AddChild(parent, *name, 0, true, false, TVI_FIRST);
    tree.EndUpdate();
    inserted = Seconds(start);
    tree.Expand(parent);
    tree.Update();
    const double seconds = Seconds(start);
    screen_rows = static_cast<int>(TreeView_GetVisibleCount(tree.Handle()));
    return seconds;
}

Stages MeasureStages(const std::wstring& folder_path) {
    Stages s;
    UniqueIdList folder_list;
    ComPtr<IShellFolder> folder;
    if (FAILED(ParsePath(folder_path, folder_list)) || FAILED(BindToFolder(folder_list.get(), folder))) return s;

    auto start = Clock::now();
    std::vector<UniqueIdList> items = Enumerate(folder.get());
    s.enumerate = Seconds(start);
    s.items = static_cast<int>(items.size());

    s.cheap_attributes = AttributesOf(folder.get(), items, kCheapAttributes);
    s.children_test = std::max(0.0, AttributesOf(folder.get(), items, kAllAttributes) - s.cheap_attributes);

    start = Clock::now();
    std::vector<std::wstring> names;
    for (const UniqueIdList& item : items) names.push_back(ItemDisplayName(folder.get(), item.get(), DisplayNameKind::InFolder));
    s.names = Seconds(start);

    std::vector<PCUITEMID_CHILD> order;
    for (const UniqueIdList& item : items) order.push_back(item.get());
    start = Clock::now();
    std::stable_sort(order.begin(), order.end(), [&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
        ++s.comparisons;
        const HRESULT hr = folder->CompareIDs(0, a, b);
        return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
    });
    s.sort = Seconds(start);

    s.insert = InsertNodes(names, s.insert_only, s.screen_rows);

    // Icons are asked for the rows in view only: one screen's worth, small
    // and open icons through the absolute list from the desktop down (as the
    // tree used to), then the small icons alone through the folder that holds
    // the items (as it does now; the open icon only for the selected row).
    const size_t rows = std::min(items.size(), static_cast<size_t>(s.screen_rows));
    start = Clock::now();
    for (size_t i = 0; i < rows; ++i) {
        UniqueIdList absolute = ConcatIdLists(folder_list.get(), items[i].get());
        GetItemIconIndex(absolute.get(), kSmallIcon);
        GetItemIconIndex(absolute.get(), kSmallOpenIcon);
    }
    s.icons_screen = Seconds(start);
    start = Clock::now();
    for (size_t i = 0; i < rows; ++i) GetItemIconIndexIn(folder.get(), items[i].get());
    s.icons_in_folder = Seconds(start);
    return s;
}

void PrintShare(const char* stage, double seconds, double total) {
    std::printf("  %-28s %8.3f s  %5.1f %%\n", stage, seconds, 100.0 * seconds / total);
}

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    {
        testing::TempTree temp;
        temp.Dir(L"big");
        for (int i = 0; i < count; ++i) temp.Dir(L"big\\folder " + std::to_wstring(i));

        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const double seconds = OpenInTree(temp.Root(), count);
            std::printf("open %d: %.3f s\n", run + 1, seconds);
            std::fflush(stdout);
            if (seconds >= 0) best = std::min(best, seconds);
        }
        std::printf("opening a folder of %d sub-folders in the tree: %.3f s (best of %d)\n", count, best, kRuns);

        Stages best_stages = MeasureStages(temp.Path(L"big"));
        for (int run = 1; run < kRuns; ++run) {
            Stages s = MeasureStages(temp.Path(L"big"));
            best_stages.enumerate = std::min(best_stages.enumerate, s.enumerate);
            best_stages.cheap_attributes = std::min(best_stages.cheap_attributes, s.cheap_attributes);
            best_stages.children_test = std::min(best_stages.children_test, s.children_test);
            best_stages.names = std::min(best_stages.names, s.names);
            best_stages.sort = std::min(best_stages.sort, s.sort);
            best_stages.insert = std::min(best_stages.insert, s.insert);
            best_stages.insert_only = std::min(best_stages.insert_only, s.insert_only);
            best_stages.icons_in_folder = std::min(best_stages.icons_in_folder, s.icons_in_folder);
            best_stages.icons_screen = std::min(best_stages.icons_screen, s.icons_screen);
        }
        const Stages& s = best_stages;
        std::printf("stages done alone (best of %d; share of the tree's open):\n", kRuns);
        PrintShare("enumeration", s.enumerate, best);
        PrintShare("attributes without children", s.cheap_attributes, best);
        PrintShare("has-sub-folder test", s.children_test, best);
        PrintShare("display names", s.names, best);
        std::printf("  %-28s %8.3f s  %5.1f %%  (%ld comparisons)\n", "shell's order", s.sort, 100.0 * s.sort / best,
                    s.comparisons);
        PrintShare("insertion, open, paint", s.insert, best);
        PrintShare("  of which insertion", s.insert_only, best);
        char screen[64];
        std::snprintf(screen, sizeof screen, "icons of one screen (%d)", s.screen_rows);
        PrintShare(screen, s.icons_screen, best);
        PrintShare("small icons via the folder", s.icons_in_folder, best);
        std::printf("items: %d\n", s.items);
    }
    ::OleUninitialize();
    return 0;
}
