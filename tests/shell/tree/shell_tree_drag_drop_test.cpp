#include "shell/namespace/com_object.h"
#include "shell/tree/shown_shell_tree.h"
#include "shell/transfer/file_operations.h"
#include "shell/transfer/tree_data_object.h"

#include <gtest/gtest.h>

#include <fstream>

namespace census {
namespace {

using namespace census::testing;

class ShellTreeDragDrop : public ShownShellTree {
protected:
    // Presses on a node, glides to a point and rests there for rest_ms, then presses Esc.
    void DragAndCancel(TreeNode from, POINT to, unsigned rest_ms) {
        const POINT a = Center(from);
        Perform([&] {
            StartDragTo(a, to);
            Pause(rest_ms);
            KeyDown(VK_ESCAPE);
            KeyUp(VK_ESCAPE);
            Pause(100);
            ButtonUp();
            InputBarrier();
        });
    }

    // Presses on from, glides to to, rests there, then releases with the keys held.
    // What the target looked like just before the release: its highlight and
    // the colour just inside its label's left edge.
    TreeNode highlighted = nullptr;
    COLORREF label_colour = CLR_INVALID;

    void Drag(TreeNode from, TreeNode to, std::initializer_list<WORD> held = {}, bool right = false) {
        const POINT a = Center(from), b = Center(to);
        const RECT label = tree.NodeTextRect(to);
        const POINT inside = tree.ClientToScreen({label.left + 1, label.top + 1});
        Perform([&] {
            StartDragTo(a, b, right);
            for (WORD key : held) KeyDown(key);
            Pause(400);
            highlighted = TreeView_GetDropHilight(tree.Handle());
            WindowDc screen(nullptr);
            label_colour = ::GetPixel(screen.get(), inside.x, inside.y);
            ButtonUp(right);
            InputBarrier();  // dropped while the keys are still held
            for (WORD key : held) KeyUp(key);
        });
        FinishTransfers();
    }
};

TEST(DropEffect, FollowsTheFileManagersRule) {
    struct Case {
        DWORD keys, allowed;
        bool same_drive;
        DWORD effect;
    } cases[] = {
        {0, 7, true, DROPEFFECT_MOVE},
        {0, 7, false, DROPEFFECT_COPY},
        {MK_CONTROL, 7, true, DROPEFFECT_COPY},
        {MK_SHIFT, 7, false, DROPEFFECT_MOVE},
        {MK_CONTROL | MK_SHIFT, 7, true, DROPEFFECT_LINK},
        {0, DROPEFFECT_COPY, true, DROPEFFECT_COPY},
        {MK_SHIFT, DROPEFFECT_COPY, true, DROPEFFECT_NONE},
        {MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, true, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultDropEffect(c.keys, c.allowed, c.same_drive), c.effect) << c.keys << " " << c.allowed;
    }
    EXPECT_TRUE(SameDrive(L"C:\\a", L"c:\\b\\c"));
    EXPECT_FALSE(SameDrive(L"C:\\a", L"D:\\a"));
    EXPECT_TRUE(SameDrive(L"\\\\srv\\share\\a", L"\\\\SRV\\share\\b"));
    EXPECT_FALSE(SameDrive(L"\\\\srv\\one\\a", L"\\\\srv\\two\\a"));
}

TEST_F(ShellTreeDragDrop, DraggingAFolderOntoAnotherMovesItAndBothNodesShowIt) {
    Load(temp.Root());
    TreeNode beta = Top(L"Beta");
    Drag(Top(L"alpha"), beta);
    EXPECT_EQ(highlighted, beta) << "the node under the pointer is the drop target";
    EXPECT_EQ(label_colour, ::GetSysColor(COLOR_HIGHLIGHT));
    ASSERT_EQ(recorded.boxes.size(), 1u) << "one report at the end";
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION)) << ToUtf8(recorded.boxes[0].text);
    EXPECT_FALSE(FileExists(temp.Path(L"alpha")));
    EXPECT_EQ(ReadBytes(temp.Path(L"Beta\\alpha\\inner\\a.txt")), "abc");
    ASSERT_NE(Top(L"Beta"), nullptr) << "the tree was refreshed";
    EXPECT_EQ(Top(L"alpha"), nullptr);
    tree.Expand(Top(L"Beta"));
    EXPECT_NE(Child(Top(L"Beta"), L"alpha"), nullptr);
    EXPECT_EQ(tree.DropHighlight(), nullptr) << "no node stays highlighted: " << ToUtf8(tree.DropHighlight() ? tree.NodeText(tree.DropHighlight()) : L"");
}

TEST_F(ShellTreeDragDrop, CtrlMakesTheDropACopy) {
    Load(temp.Root());
    Drag(Top(L"alpha"), Top(L"gamma"), {VK_CONTROL});
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(ReadBytes(temp.Path(L"gamma\\alpha\\inner\\a.txt")), "abc");
    EXPECT_NE(Top(L"alpha"), nullptr);
}

TEST_F(ShellTreeDragDrop, AFolderDroppedOntoItsOwnChildStaysWhereItWas) {
    Load(temp.Root());
    tree.Expand(Top(L"alpha"));
    Application::Instance().ProcessMessages();
    TreeNode inner = Child(Top(L"alpha"), L"inner");
    ASSERT_NE(inner, nullptr);
    Drag(Top(L"alpha"), inner);
    Drag(Top(L"alpha"), Child(Top(L"alpha"), L"inner"), {VK_CONTROL});
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(CountEntries(temp.Path(L"alpha\\inner")), 1);
    EXPECT_EQ(CountEntries(temp.Root()), 3);
}

TEST_F(ShellTreeDragDrop, TheRootTakesDropsInDragOverButNotInDragEnter) {
    Load(temp.Root());
    TempTree elsewhere;
    elsewhere.Dir(L"outside");
    UniqueIdList parent, whole;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(elsewhere.Root(), parent));
    ASSERT_HRESULT_SUCCEEDED(ParsePath(elsewhere.Path(L"outside"), whole));
    IdListArray items(whole.get());
    ComPtr<IDataObject> data =
        MakeTreeDataObject(parent.get(), items.SingleItem(items.ItemCount() - 1), elsewhere.Path(L"outside"));
    tree.Select(Top(L"gamma"));  // the platform tree may not mark its selected node as a drop target
    const POINT root = Center(tree.FirstRoot());
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_HRESULT_SUCCEEDED(tree.DragEnter(data.get(), MK_LBUTTON, {root.x, root.y}, &effect));
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_HRESULT_SUCCEEDED(tree.DragOver(MK_LBUTTON | MK_CONTROL, {root.x, root.y}, &effect));
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_SCROLL));
    EXPECT_EQ(tree.DropHighlight(), tree.FirstRoot());
    EXPECT_HRESULT_SUCCEEDED(tree.DragLeave());
    EXPECT_EQ(tree.DropHighlight(), nullptr);
}

TEST_F(ShellTreeDragDrop, ARightButtonDropEndsInTheDropMenu) {
    Load(temp.Root());
    const POINT a = Center(Top(L"alpha")), b = Center(Top(L"gamma"));
    Perform([&] {
        StartDragTo(a, b, true);
        Pause(300);
        ButtonUp(true);
        WaitUntil([] { return ShownMenu() != nullptr; }, 10000);  // its first entry copies
        KeyDown(VK_DOWN);
        KeyUp(VK_DOWN);
        KeyDown(VK_RETURN);
        KeyUp(VK_RETURN);
        InputBarrier();
    });
    FinishTransfers();
    EXPECT_EQ(ReadBytes(temp.Path(L"gamma\\alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
}

TEST_F(ShellTreeDragDrop, RestingOnACollapsedFolderOpensIt) {
    Load(temp.Root());
    TreeNode alpha = Top(L"alpha");
    ASSERT_FALSE(tree.IsExpanded(alpha));
    DragAndCancel(Top(L"gamma"), Center(alpha), 1200);
    EXPECT_TRUE(tree.IsExpanded(alpha));
    EXPECT_NE(Child(alpha, L"inner"), nullptr);
    EXPECT_EQ(CountEntries(temp.Root()), 3) << "the cancelled drag moved nothing";
    EXPECT_EQ(tree.DropHighlight(), nullptr);
}

TEST_F(ShellTreeDragDrop, TheTreeScrollsNearItsBottomEdgeOnlyWhileThereIsMoreBelow) {
    for (int i = 0; i < 40; ++i) temp.Dir(L"more" + std::to_wstring(100 + i));
    Load(temp.Root());
    ASSERT_EQ(::GetScrollPos(tree.Handle(), SB_VERT), 0);
    const RECT client = tree.ClientRect();
    const POINT near_bottom = tree.ClientToScreen({client.right / 2, client.bottom - 8});
    DragAndCancel(Top(L"alpha"), near_bottom, 800);
    const int scrolled = ::GetScrollPos(tree.Handle(), SB_VERT);
    EXPECT_GT(scrolled, 0);

    SCROLLINFO info{sizeof info, SIF_ALL};
    ::GetScrollInfo(tree.Handle(), SB_VERT, &info);
    const int last = info.nMax - static_cast<int>(info.nPage) + 1;
    ::SendMessageW(tree.Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, last), 0);
    ::SendMessageW(tree.Handle(), WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    const int bottom = ::GetScrollPos(tree.Handle(), SB_VERT);
    TreeNode last_node = Top(L"more139");
    ASSERT_NE(last_node, nullptr);
    DragAndCancel(last_node, near_bottom, 500);
    EXPECT_EQ(::GetScrollPos(tree.Handle(), SB_VERT), bottom) << "nothing more to scroll";
}

// The other process of the next test: a window that writes the paths dropped on it to a file.
class PathReceiver : public ComObject<IDropTarget> {
public:
    explicit PathReceiver(std::wstring out) : out_(std::move(out)) {}
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        std::wofstream file(out_.c_str(), std::ios::binary);
        for (const std::wstring& path : ReadDroppedPaths(data)) file << path << L"\n";
        *effect &= DROPEFFECT_COPY;
        ::PostQuitMessage(0);
        return S_OK;
    }

private:
    std::wstring out_;
};

constexpr wchar_t kReceiverVariable[] = L"CENSUS_DROP_RECEIVER";
constexpr RECT kReceiverRect{500, 80, 700, 280};

TEST(DropReceiver, DISABLED_WritesWhatIsDroppedOnIt) {
    wchar_t out[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(kReceiverVariable, out, MAX_PATH)) GTEST_SKIP();
    UniqueHwnd window(::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"census drop receiver", WS_POPUP | WS_BORDER,
                                        kReceiverRect.left, kReceiverRect.top, kReceiverRect.right - kReceiverRect.left,
                                        kReceiverRect.bottom - kReceiverRect.top, nullptr, nullptr, nullptr, nullptr));
    ComPtr<IDropTarget> target = MakeComObject<PathReceiver, IDropTarget>(out);
    ASSERT_HRESULT_SUCCEEDED(::RegisterDragDrop(window.get(), target.get()));
    ::ShowWindow(window.get(), SW_SHOWNA);  // the test drags onto it once it shows
    ::SetTimer(nullptr, 0, 30000, [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(1); });
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::RevokeDragDrop(window.get());
}

TEST_F(ShellTreeDragDrop, AFolderDraggedToAnotherProgramDeliversItsPath) {
    Load(temp.Root());
    const std::wstring out = temp.Path(L"received.txt");
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=DropReceiver.DISABLED_WritesWhatIsDroppedOnIt";
    ::SetEnvironmentVariableW(kReceiverVariable, out.c_str());
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    ::SetEnvironmentVariableW(kReceiverVariable, nullptr);
    UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    // It shows once it takes drops.
    ASSERT_TRUE(PumpUntil([] { return ::IsWindowVisible(::FindWindowW(L"STATIC", L"census drop receiver")); }, 20000));

    const POINT a = Center(Top(L"alpha"));
    const POINT b{(kReceiverRect.left + kReceiverRect.right) / 2, (kReceiverRect.top + kReceiverRect.bottom) / 2};
    Perform([&] {
        StartDragTo(a, b, false, 12);
        Pause(400);
        ButtonUp();
        ::WaitForSingleObject(process.get(), 20000);  // it ends once it has the drop
    });
    EXPECT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(ReadBytes(out), ToUtf8(temp.Path(L"alpha")) + "\n");
    EXPECT_TRUE(FileExists(temp.Path(L"alpha"))) << "a copy to another program leaves the folder";
}

}  // namespace
}  // namespace census
