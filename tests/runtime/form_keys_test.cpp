#include "runtime/application.h"
#include "runtime/form.h"

#include <gtest/gtest.h>

#include <vector>

namespace census {
namespace {

// Takes Enter as a focused button does; remembers what the form offered it.
class KeyTaker : public Control {
public:
    KeyTaker() { SetTabStop(true); }
    std::vector<WPARAM> offered;
    std::vector<Control*> focus_news;
    WPARAM takes = VK_RETURN;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == CM_DIALOGKEY) {
            offered.push_back(wp);
            return wp == takes ? 1 : 0;
        }
        if (msg == CM_FOCUSCHANGED) focus_news.push_back(reinterpret_cast<Control*>(lp));
        return Control::WndProc(msg, wp, lp);
    }
};

// A native multi-line edit: it wants every key, Enter included.
class MultiLineEdit : public Control {
public:
    MultiLineEdit() { SetTabStop(true); }

protected:
    void FillCreateParams(CreateParams& params) override {
        Control::FillCreateParams(params);
        params.class_name = L"EDIT";
        params.style |= ES_MULTILINE | ES_WANTRETURN;
    }
};

class FormKeys : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(100, 100, 300, 200);
        first.SetBounds(10, 10, 50, 20);
        second.SetBounds(70, 10, 50, 20);
        edit.SetBounds(10, 50, 200, 60);
        for (Control* c : {static_cast<Control*>(&first), static_cast<Control*>(&second), static_cast<Control*>(&edit)})
            c->SetParent(&form);
        form.Show();
        Application::Instance().ProcessMessages();
    }
    void TearDown() override {
        for (Control* c : {static_cast<Control*>(&first), static_cast<Control*>(&second), static_cast<Control*>(&edit)})
            c->SetParent(nullptr);
    }
    void Post(Control& to, WPARAM key) {
        ::PostMessageW(to.Handle(), WM_KEYDOWN, key, 1);
        Application::Instance().ProcessMessages();
    }

    Form form;
    KeyTaker first, second;
    MultiLineEdit edit;
};

TEST_F(FormKeys, EnterAndEscapeGoToTheControlsUntilOneTakesThem) {
    second.takes = VK_ESCAPE;
    Post(first, VK_RETURN);
    EXPECT_EQ(std::vector<WPARAM>{VK_RETURN}, first.offered);
    EXPECT_TRUE(second.offered.empty());  // the first one took it
    Post(first, VK_ESCAPE);
    EXPECT_EQ((std::vector<WPARAM>{VK_RETURN, VK_ESCAPE}), first.offered);
    EXPECT_EQ(std::vector<WPARAM>{VK_ESCAPE}, second.offered);
    // Other keys are not dialog keys.
    Post(first, 'A');
    EXPECT_EQ(2u, first.offered.size());
}

TEST_F(FormKeys, AMultiLineEditKeepsItsEnterAndModifiersKeepTheirs) {
    edit.SetFocus();
    Post(edit, VK_RETURN);
    EXPECT_TRUE(first.offered.empty());

    BYTE keys[256];
    ::GetKeyboardState(keys);
    BYTE shifted[256];
    std::copy(std::begin(keys), std::end(keys), shifted);
    shifted[VK_SHIFT] = 0x80;
    ::SetKeyboardState(shifted);
    Post(first, VK_RETURN);
    ::SetKeyboardState(keys);
    EXPECT_TRUE(first.offered.empty());
}

TEST_F(FormKeys, EveryControlHearsWhereTheFocusWent) {
    first.focus_news.clear();
    second.focus_news.clear();
    second.SetFocus();
    ASSERT_FALSE(first.focus_news.empty());
    EXPECT_EQ(&second, first.focus_news.back());
    EXPECT_EQ(&second, second.focus_news.back());
    edit.SetFocus();
    EXPECT_EQ(&edit, first.focus_news.back());
}

}  // namespace
}  // namespace census
