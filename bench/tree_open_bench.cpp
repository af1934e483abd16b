// Opens a folder of n sub-folders (10,000 unless given) in a shown folder
// tree and, beside it, does each stage of that work alone on the same folder:
// enumeration, the attributes (with and without the sub-folder test), the
// names, the shell's order and the node insertion. Prints the best of three
// of each and its share of the stages' sum, and what the tree's own opening
// costs beyond them.
#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/shell_namespace.h"
#include "shell/shell_tree.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace census;

namespace {

double Time(const std::function<void()>& work) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

std::vector<UniqueIdList> Enumerate(IShellFolder* folder) {
    std::vector<UniqueIdList> items;
    ComPtr<IEnumIDList> list;
    folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, list.put());
    for (;;) {
        UniqueIdList item;
        ULONG fetched = 0;
        if (list->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.put()), &fetched) != S_OK || !fetched) break;
        items.push_back(std::move(item));
    }
    return items;
}

void Attributes(IShellFolder* folder, const std::vector<UniqueIdList>& items, SFGAOF mask) {
    for (const auto& item : items) {
        PCUITEMID_CHILD child = item.get();
        SFGAOF attributes = mask;
        folder->GetAttributesOf(1, &child, &attributes);
    }
}

double OpenInTree(const std::wstring& root) {
    Form form;
    form.SetBounds(50, 50, 320, 480);
    ShellTree tree;
    tree.SetParent(&form);
    tree.SetBounds(0, 0, 300, 440);
    tree.BeginLoading();
    tree.SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    UniqueIdList base;
    ParsePath(root, base);
    tree.BaseFolder().SetIdList(base.get());
    tree.HandleNeeded();
    tree.EndLoading();
    form.Show();
    Application::Instance().ProcessMessages();
    TreeNode big = tree.FirstChild(tree.FirstRoot());
    const auto start = std::chrono::steady_clock::now();
    tree.Expand(big);
    tree.Select(tree.FirstChild(big));
    tree.Update();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    testing::TempTree temp;
    temp.Dir(L"big");
    for (int i = 0; i < count; ++i) temp.Dir(L"big\\folder " + std::to_wstring(i));
    UniqueIdList list;
    ParsePath(temp.Path(L"big"), list);
    ComPtr<IShellFolder> folder;
    BindToFolder(list.get(), folder);
    std::vector<UniqueIdList> items = Enumerate(folder.get());

    struct Stage {
        const char* name;
        double seconds;
    } stages[] = {
        {"enumeration", Time([&] { Enumerate(folder.get()); })},
        {"attributes without the sub-folder test", Time([&] { Attributes(folder.get(), items, 0x720B0000); })},
        {"sub-folder test", 0},
        {"names", Time([&] {
             for (const auto& item : items) ItemDisplayName(folder.get(), item.get(), DisplayNameKind::InFolder);
         })},
        {"shell's order", Time([&] {
             std::vector<PCUITEMID_CHILD> order;
             for (const auto& item : items) order.push_back(item.get());
             std::reverse(order.begin(), order.end());
             std::sort(order.begin(), order.end(), [&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
                 return static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, a, b))) < 0;
             });
         })},
        {"node insertion", Time([&] {
             Form form;
             TreeView view;
             view.SetParent(&form);
             view.HandleNeeded();
             TreeNode parent = view.AddChild(nullptr, L"parent", 0);  // collapsed, as in an expansion
             for (int i = 0; i < count; ++i) view.AddChild(parent, L"folder " + std::to_wstring(i), 0);
         })},
    };
    stages[2].seconds = Time([&] { Attributes(folder.get(), items, 0xF20B0000); }) - stages[1].seconds;
    double sum = 0;
    for (const Stage& s : stages) sum += s.seconds;
    for (const Stage& s : stages) std::printf("%-40s %.3f s  %4.1f %%\n", s.name, s.seconds, 100 * s.seconds / sum);
    double open = 1e9;
    for (int round = 0; round < 3; ++round) open = std::min(open, OpenInTree(temp.Root()));
    std::printf("%d sub-folders opened in the tree (best of three): %.3f s; stages alone: %.3f s; the rest (the\n"
                "control laying out the opened node, the tree's own per-node work, the first paint): %.3f s\n",
                count, open, sum, open - sum);
    return 0;
}
