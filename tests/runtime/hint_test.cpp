#include "runtime/application.h"
#include "runtime/form.h"
#include "runtime/hint.h"

#include <gtest/gtest.h>

#include <string>

namespace census {
namespace {

class Tracked : public Control {
public:
    std::wstring log;

protected:
    void MouseEnter() override { log += L"enter "; }
    void MouseLeave() override { log += L"leave "; }
};

MSG MoveOver(Control& control) {
    MSG msg{};
    msg.hwnd = control.Handle();
    msg.message = WM_MOUSEMOVE;
    return msg;
}

TEST(HintManager, EachControlHearsOneEnterAndOneLeaveWhetherOrNotItShowsHints) {
    Form form;
    form.SetBounds(0, 0, 200, 100);
    Tracked plain, hinted;
    plain.SetBounds(0, 0, 50, 50);
    hinted.SetBounds(60, 0, 50, 50);
    hinted.SetHint(L"подсказка|долгая");
    hinted.SetShowHint(true);
    plain.SetParent(&form);
    hinted.SetParent(&form);

    HintManager& hints = Application::Instance().Hints();
    for (int i = 0; i < 3; ++i) hints.MessageSeen(MoveOver(plain));
    for (int i = 0; i < 3; ++i) hints.MessageSeen(MoveOver(hinted));
    hints.MessageSeen(MoveOver(plain));
    EXPECT_EQ(L"enter leave enter ", plain.log);
    EXPECT_EQ(L"enter leave ", hinted.log);
    EXPECT_EQ(L"подсказка", HintManager::ShortHint(hinted.Hint()));

    plain.SetParent(nullptr);  // a control that goes is forgotten
    hints.MessageSeen(MoveOver(hinted));
    EXPECT_EQ(L"enter leave enter ", hinted.log);
    hints.CancelHint();
    hinted.SetParent(nullptr);
}

}  // namespace
}  // namespace census
