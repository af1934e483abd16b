// A copy of a folder of 20,000 small files (4,000 bytes each, unless another
// count is given) dropped on a folder of a shown folder tree, as a Ctrl-drag
// ends, against xcopy /e /i of the same folder, best of three each. For the
// tree it prints how long the drop call took (what the dragging program
// waits), how long until the report, and the slowest answer the tree's
// window gave another thread asking it all the while (the worst of the three).
#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/tree/shell_tree.h"
#include "shell/tree_loading.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace census;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct TreeRound {
    double drop = 0, total = 0, slowest_answer = 0;
    int copied = 0;
};

// Asks the window again and again, as another program would, and keeps the slowest answer.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : thread_([this, window] {
              while (!stop_.load()) {
                  const auto start = Clock::now();
                  DWORD_PTR answer = 0;
                  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
                  slowest_ = std::max(slowest_, Seconds(start));
                  ::Sleep(10);
              }
              ended_.store(true);
          }) {}
    // Its last question is answered while it ends.
    double Stop() {
        stop_.store(true);
        while (!ended_.load()) {
            Application::Instance().ProcessMessages();
            ::Sleep(1);
        }
        thread_.join();
        return slowest_;
    }

private:
    std::atomic<bool> stop_{false}, ended_{false};
    double slowest_ = 0;
    std::thread thread_;
};

TreeRound CopyThroughTree(const testing::TempTree& temp, const std::wstring& into) {
    testing::ShownTreeAt shown(temp.Root());
    ShellTree& tree = shown.tree;
    TreeNode many = testing::ChildWithText(tree, tree.FirstRoot(), L"many");
    TreeNode target = testing::ChildWithText(tree, tree.FirstRoot(), into);
    if (!many || !target) return {};
    ComPtr<IDataObject> data = tree.NodeDataObject(many);
    const RECT r = tree.NodeTextRect(target);
    const POINT p = tree.ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    tree.DragEnter(data.get(), MK_LBUTTON | MK_CONTROL, {p.x, p.y}, &effect);

    TreeRound round;
    AnswerWatch watch(shown.form.Handle());
    auto start = Clock::now();
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    tree.Drop(data.get(), MK_CONTROL, {p.x, p.y}, &effect);
    round.drop = Seconds(start);
    while (tree.TransfersRunning()) {
        Application::Instance().ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    round.total = Seconds(start);
    round.slowest_answer = watch.Stop();
    round.copied = testing::CountEntries(temp.Path(into + L"\\many"));
    return round;
}

double Xcopy(const std::wstring& from, const std::wstring& to) {
    std::wstring line = L"cmd.exe /c xcopy /e /i /q \"" + from + L"\" \"" + to + L"\" >nul";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return 0;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    ::OleInitialize(nullptr);
    Application::Instance().MessageBoxOverride = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    testing::TempTree temp;
    temp.ManyFiles(L"many", files, 4000);
    TreeRound best{1e9, 1e9, 0, 0};
    double slowest = 0;  // of all rounds
    double peer = 1e9;
    for (int i = 0; i < 3; ++i) {
        const std::wstring into = L"into" + std::to_wstring(i);
        temp.Dir(into);
        const TreeRound round = CopyThroughTree(temp, into);
        if (round.copied != files) std::printf("round %d: the tree copied %d of %d files\n", i, round.copied, files);
        best.drop = std::min(best.drop, round.drop);
        best.total = std::min(best.total, round.total);
        slowest = std::max(slowest, round.slowest_answer);
        peer = std::min(peer, Xcopy(temp.Path(L"many"), temp.Path(L"peer" + std::to_wstring(i) + L"\\many")));
    }
    std::printf("copy of %d files of 4,000 bytes dropped on the tree, best of three:\n", files);
    std::printf("  the drop returned in %.1f ms; report after %.2f s; slowest answer of the window in any round %.1f ms\n",
                best.drop * 1000, best.total, slowest * 1000);
    std::printf("  xcopy /e /i of the same folder: %.2f s\n", peer);
    Application::Instance().MessageBoxOverride = nullptr;
    ::OleUninitialize();
    return 0;
}
