#include "runtime/application.h"
#include "runtime/form.h"
#include "runtime/hint.h"
#include "runtime/mouse_tracking.h"

#include "support/real_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace census {
namespace {

using testing::MoveMouseTo;
using testing::PumpUntil;

MouseTracker& Tracker() { return Application::Instance().Mouse(); }

class Tracked : public Control {
public:
    std::wstring log;

protected:
    void MouseEnter() override { log += L"enter "; }
    void MouseLeave() override { log += L"leave "; }
};

// A mouse move over the control as the message loop hands it on.
void MoveOver(Control& control) {
    MSG msg{};
    msg.hwnd = control.Handle();
    msg.message = WM_MOUSEMOVE;
    Tracker().MouseMoved(msg.hwnd);
    Application::Instance().Hints().MessageSeen(msg);
}

TEST(MouseTracker, EachControlHearsOneEnterAndOneLeaveWhetherOrNotItShowsHints) {
    Form form;
    form.SetBounds(0, 0, 200, 100);
    Tracked plain, hinted;
    plain.SetBounds(0, 0, 50, 50);
    hinted.SetBounds(60, 0, 50, 50);
    hinted.SetHint(L"подсказка|долгая");
    hinted.SetShowHint(true);
    plain.SetParent(&form);
    hinted.SetParent(&form);

    for (int i = 0; i < 3; ++i) MoveOver(plain);
    for (int i = 0; i < 3; ++i) MoveOver(hinted);
    MoveOver(plain);
    EXPECT_EQ(L"enter leave enter ", plain.log);
    EXPECT_EQ(L"enter leave ", hinted.log);
    EXPECT_EQ(L"подсказка", HintManager::ShortHint(hinted.Hint()));

    plain.SetParent(nullptr);  // a control that goes is forgotten
    EXPECT_EQ(&form, Tracker().UnderMouse());
    MoveOver(hinted);
    EXPECT_EQ(L"enter leave enter ", hinted.log);
    Application::Instance().Hints().CancelHint();
    hinted.SetParent(nullptr);
}

// A shown window with a box holding an inner control, and a control beside
// the box, each writing down what it hears; the real mouse goes round them.
class MouseTrackerInput : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(120, 120, 320, 220);
        box.SetParent(&form);
        box.SetBounds(20, 20, 150, 130);
        inner.SetParent(&box);
        inner.SetBounds(10, 10, 60, 60);
        beside.SetParent(&form);
        beside.SetBounds(200, 20, 60, 60);
        Listen(form, L"form");
        Listen(box, L"box");
        Listen(inner, L"inner");
        Listen(beside, L"beside");
        MoveMouseTo(Outside());
        form.Show();
        testing::MakeForeground(form.Handle());
        PumpUntil([] { return Tracker().UnderMouse() == nullptr; });
        heard.clear();
    }
    void TearDown() override {
        MoveMouseTo(Outside());
        for (Control* c : {&inner, &box, &beside}) c->SetParent(nullptr);
        Application::Instance().ProcessMessages();
    }
    void Listen(Control& control, const std::wstring& name) {
        control.OnMouseEnter = [this, name](Control&) { heard += name + L"+ "; };
        control.OnMouseLeave = [this, name](Control&) { heard += name + L"- "; };
    }
    static POINT Outside() { return {10, 10}; }
    static POINT Inside(Control& c) { return c.ClientToScreen({c.Width() - 5, c.Height() - 5}); }

    Form form;
    Control box, inner, beside;
    std::wstring heard;
};

TEST_F(MouseTrackerInput, ControlsHearTheMouseComeAndGoParentsIncluded) {
    struct Step {
        const char* name;
        std::function<void()> act;
        const wchar_t* heard;
    };
    const Step steps[] = {
        {"from outside straight onto the inner control", [&] { MoveMouseTo(Inside(inner)); },
         L"form+ box+ inner+ "},
        {"to the box around it", [&] { MoveMouseTo(Inside(box)); }, L"inner- "},
        {"back onto the inner control", [&] { MoveMouseTo(Inside(inner)); }, L"inner+ "},
        {"to the control beside the box", [&] { MoveMouseTo(Inside(beside)); }, L"inner- box- beside+ "},
        {"onto the window itself", [&] { MoveMouseTo(form.ClientToScreen({5, 5})); }, L"beside- "},
        {"the inner control again", [&] { MoveMouseTo(Inside(inner)); }, L"box+ inner+ "},
        // No move comes: the cursor stays where it is.
        {"the inner control hidden under the mouse", [&] { inner.SetVisible(false); }, L"inner- "},
        {"off the window, where no message of the program comes", [&] { MoveMouseTo(Outside()); },
         L"box- form- "},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        heard.clear();
        step.act();
        EXPECT_TRUE(PumpUntil([&] { return heard == step.heard; })) << ::testing::PrintToString(heard);
        testing::ExpectNothingFor(50);  // and nothing more comes
        EXPECT_EQ(step.heard, heard);
    }
    EXPECT_EQ(nullptr, Tracker().UnderMouse());
    EXPECT_FALSE(Tracker().Checking());
}

TEST_F(MouseTrackerInput, WhileAControlHoldsTheMouseItStaysUnderIt) {
    MoveMouseTo(Inside(beside));
    ASSERT_TRUE(PumpUntil([&] { return Tracker().UnderMouse() == &beside; }));
    ::SetCapture(beside.Handle());
    heard.clear();
    MoveMouseTo(Outside());
    testing::ExpectNothingFor(100);
    EXPECT_EQ(L"", heard);
    EXPECT_EQ(&beside, Tracker().UnderMouse());
    ::ReleaseCapture();
    EXPECT_TRUE(PumpUntil([&] { return heard == L"beside- form- "; })) << ::testing::PrintToString(heard);
}

}  // namespace
}  // namespace census
