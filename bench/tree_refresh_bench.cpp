// Opens a folder of n sub-folders (10,000 unless given) in a shown folder
// tree, then makes one more folder and merges it with RefreshTree; prints
// the best of three of each: the time to open the folder, and the time of a
// refresh that finds the one change among the n opened nodes.
#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree.h"
#include "shell/tree/tree_loading.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace census;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Run {
    double open, refresh;
    int nodes;
};

Run OpenAndRefresh(const testing::TempTree& temp, int round) {
    testing::ShownTreeAt shown(temp.Root());
    ShellTree& tree = shown.tree;

    TreeNode big = tree.FirstChild(tree.FirstRoot());
    auto start = std::chrono::steady_clock::now();
    tree.Expand(big);
    tree.Select(tree.FirstChild(big));
    tree.Update();
    const double open = Seconds(start);

    temp.Dir(L"big\\new " + std::to_wstring(round));
    start = std::chrono::steady_clock::now();
    tree.RefreshTree();
    tree.Update();
    const double refresh = Seconds(start);
    int nodes = 0;
    for (TreeNode n = tree.FirstChild(big); n; n = tree.NextSibling(n)) ++nodes;
    return {open, refresh, nodes};
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    testing::TempTree temp;
    temp.Dir(L"big");
    for (int i = 0; i < count; ++i) temp.Dir(L"big\\folder " + std::to_wstring(i));
    double best_open = 1e9, best_refresh = 1e9;
    for (int round = 0; round < 3; ++round) {
        const Run run = OpenAndRefresh(temp, round);
        std::printf("round %d: open %.3f s, refresh %.3f s, %d nodes\n", round + 1, run.open, run.refresh, run.nodes);
        best_open = std::min(best_open, run.open);
        best_refresh = std::min(best_refresh, run.refresh);
    }
    std::printf("%d sub-folders, best of three: open %.3f s, refresh with one change %.3f s\n", count, best_open,
                best_refresh);
    return 0;
}
