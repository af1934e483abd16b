// The main window's hints, shown by resting the real mouse on its controls.
#include "app/main_form.h"
#include "runtime/application.h"
#include "shell/namespace/shell_namespace.h"
#include "support/real_input.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

namespace census {
namespace {

using testing::MoveMouseTo;
using testing::PumpUntil;

BalloonHintWindow* Balloon() { return dynamic_cast<BalloonHintWindow*>(Application::Instance().Hints().Window()); }

bool BalloonShown() {
    BalloonHintWindow* b = Balloon();
    return b && b->HandleAllocated() && ::IsWindowVisible(b->Handle());
}

class MainFormHints : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>();
        form->Show();
        // Hints show in the active window; its activation stretches the separators.
        PumpUntil([&] { return form->FxSeparator1->Width() == form->Width(); });
    }
    void TearDown() override {
        form.reset();
        PumpUntil([] { return !BalloonShown(); });
    }
    // The control of the window that holds the focus, whichever inner window has it.
    Control* Focused() {
        for (HWND h = ::GetFocus(); h; h = ::GetParent(h))
            if (Control* c = Control::FromHandle(h); c && c->Parent() == form.get()) return c;
        return nullptr;
    }
    // Rests the mouse on a control (coming from the window's empty corner) until a balloon shows.
    bool Hover(Control& control, POINT client) {
        MoveMouseTo(form->ClientToScreen({540, 549}));
        PumpUntil([] { return !BalloonShown(); }, 1000);
        MoveMouseTo(control.ClientToScreen(client));
        return PumpUntil(BalloonShown);
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(MainFormHints, EveryHintOfTheWindowShowsInTheBalloon) {
    testing::TempTree t;
    UniqueIdList list;
    ASSERT_EQ(S_OK, ParsePath(t.Root(), list));
    form->FxShellTree1->SelectedFolder().SetIdList(list.get());
    PumpUntil([&] { return form->Label1->Hint() == L"Текущий каталог: " + t.Root(); });

    struct Case {
        Control* control;
        std::wstring hint;
    } const cases[] = {
        {form->Button1, L"Начать перепись"},
        {form->Button2, L"Сохранить весь список файлов в текстовый файл"},
        {form->Button3, L"Остановить перепись"},
        {form->CheckBox1, L"Результат с текущим каталогом или без"},
        {form->Label1, L"Текущий каталог: " + t.Root()},
        {form->Label2, L"Количество файлов в данном каталоге"},
        {form->FxURLLabel1, L"сайт..."},
        {form->FxURLLabel2, L"мыло..."},
        {form->FxURLLabel3, L"ася..."},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Hover(*c.control, {4, 4})) << c.control->Name();
        EXPECT_EQ(c.hint, Balloon()->Caption());
        EXPECT_EQ(form->FxBalloonHints1, Balloon()->LinkedComponent());
        RECT r;
        ::GetWindowRect(Balloon()->Handle(), &r);
        EXPECT_LE(r.right - r.left, 200 + 10) << "wrapped at the caption width";
    }
}

TEST_F(MainFormHints, AClickOnTheBalloonReachesThePaneBelowIt) {
    ASSERT_TRUE(Hover(*form->Button2, {20, 12}));
    RECT r;
    ::GetWindowRect(Balloon()->Handle(), &r);
    const POINT in_body{r.left + 30, r.top + 8};
    const POINT in_pane = form->Memo1->ScreenToClient(in_body);
    const RECT pane{0, 0, form->Memo1->Width(), form->Memo1->Height()};
    ASSERT_TRUE(::PtInRect(&pane, in_pane)) << "the balloon lies over the text pane";
    ASSERT_NE(form->Memo1, Focused());
    testing::ClickAtOnce(in_body);
    EXPECT_TRUE(PumpUntil([&] { return Focused() == form->Memo1 && !BalloonShown(); }));
}

}  // namespace
}  // namespace census
