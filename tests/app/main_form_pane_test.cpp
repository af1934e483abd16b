// The main window's pane while a census fills it, driven with real input.
#include "app/main_form.h"
#include "runtime/application.h"
#include "shell/namespace/shell_namespace.h"
#include "support/real_input.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace census {
namespace {

using testing::TempTree;

TEST(MainFormPane, EscapeDuringACensusKeepsEveryListedFile) {
    constexpr int kFiles = 300;
    TempTree t;
    std::vector<std::wstring> names;
    for (int i = 0; i < kFiles; ++i) {
        names.push_back(L"f" + std::to_wstring(1000 + i) + L".txt");
        t.File(names.back());
    }
    std::sort(names.begin(), names.end());

    auto form = std::make_unique<TForm1>();
    form->Show();
    testing::MakeForeground(form->Handle());
    UniqueIdList folder;
    ASSERT_EQ(S_OK, ParsePath(t.Root(), folder));
    form->FxShellTree1->SelectedFolder().SetIdList(folder.get());
    Application::Instance().ProcessMessages();

    // The user clicks into the pane, starts the census, and as the first
    // files show types a letter and presses Escape; the keys wait in the
    // queue for the census's next catch-up.
    MemoEditor& pane = *form->Memo1;
    testing::ClickAt(testing::CentreOf(pane.Inner().Handle()));
    ASSERT_EQ(pane.Inner().Handle(), ::GetFocus());
    bool keys_sent = false;
    int lines_at_escape = -1;
    pane.Properties().OnChange = [&](CustomEdit&) {
        if (keys_sent || pane.Lines().Count() == 0) return;  // not the census clearing the pane
        keys_sent = true;
        testing::QueueText(L"q");
        testing::QueueKey(VK_ESCAPE);
    };
    pane.OnKeyDown = [&](Control&, WORD& key, unsigned) {
        if (key == VK_ESCAPE) lines_at_escape = pane.Lines().Count();
    };
    form->Button1Click(*form->Button1);
    pane.Properties().OnChange = nullptr;
    pane.OnKeyDown = nullptr;
    testing::InputBarrier();

    // The Escape came while files were still being listed.
    ASSERT_GT(lines_at_escape, 0);
    ASSERT_LT(lines_at_escape, kFiles);
    // Every file is listed once; the letter is gone, and so is the text the pane had before.
    std::vector<std::wstring> listed = SplitLines(pane.Lines().Text());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(names, listed);
    EXPECT_EQ(L"Количество Файлов: " + std::to_wstring(kFiles), form->Label2->Caption());
}

}  // namespace
}  // namespace census
