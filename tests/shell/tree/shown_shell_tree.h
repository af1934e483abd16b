// A shown folder tree on a form, rooted at a fixture folder, for tests that
// drive it with real input:
//   alpha\inner\a.txt   Beta   gamma
// Message boxes are recorded instead of shown.
#pragma once

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree.h"

#include "support/real_input.h"
#include "support/recorded_messages.h"
#include "support/temp_tree.h"
#include "tree_loading.h"

#include <gtest/gtest.h>

namespace census::testing {

class ShownShellTree : public ::testing::Test {
protected:
    ShownShellTree() {
        temp.Dir(L"alpha");
        temp.Dir(L"alpha\\inner");
        temp.File(L"alpha\\inner\\a.txt", "abc");
        temp.Dir(L"Beta");
        temp.Dir(L"gamma");
        form.SetBounds(40, 40, 300, 300);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 260, 240);
    }

    // watch: the tree follows changes on disk.
    void Load(const std::wstring& base, bool watch = false) {
        ASSERT_HRESULT_SUCCEEDED(
            LoadTreeAt(tree, base, watch ? kDefaultShellTreeOptions : kDefaultShellTreeOptions & ~stoDynamicRefresh));
        form.Show();
        Application::Instance().ProcessMessages();
    }

    // Lets the tree's own transfers run to their end and report (a bound for a broken program, not a measurement).
    void FinishTransfers() {
        const ULONGLONG end = ::GetTickCount64() + 120000;
        while (tree.TransfersRunning() && ::GetTickCount64() < end) {
            Application::Instance().ProcessMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        Application::Instance().ProcessMessages();
    }
    // A click on the node selects it and gives the tree the keyboard.
    void ClickOn(TreeNode node) {
        const POINT p = Center(node);
        Perform([&] {
            PointerTo(p);
            Pause(50);
            ButtonDown();
            ButtonUp();
            Pause(::GetDoubleClickTime() + 100);  // no double click, no label edit from a second click
        });
    }
    // Keys pressed together and handled, then whatever transfer they started
    // run to its end.
    void Press(std::initializer_list<WORD> keys) {
        bool handled = false;
        Perform([&] {
            Chord(keys);
            handled = InputBarrier();
        });
        EXPECT_TRUE(handled) << "the keys reached the tree's thread";
        FinishTransfers();
    }

    TreeNode Child(TreeNode node, const std::wstring& text) { return ChildWithText(tree, node, text); }
    TreeNode Top(const std::wstring& text) { return Child(tree.FirstRoot(), text); }

    POINT Center(TreeNode node) {
        const RECT r = tree.NodeTextRect(node);
        return tree.ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    // Declared first: it records what the tree reports while it goes, too.
    RecordedMessages recorded;
    TempTree temp;
    Form form;
    ShellTree tree;
};

}  // namespace census::testing
