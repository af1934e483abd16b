#include "runtime/check_box.h"

namespace census {

CheckBox::CheckBox() { SetTabStop(true); }

void CheckBox::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_name = L"BUTTON";
    params.style |= BS_AUTOCHECKBOX;
}

void CheckBox::WindowCreated() {
    ::SendMessageW(const_cast<CheckBox*>(this)->Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::Checked() const { return checked_; }

void CheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    if (HandleAllocated()) ::SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnChange) OnChange(*this);
}

bool CheckBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND && HIWORD(wp) == BN_CLICKED) {
        bool now = ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (now != checked_) {
            checked_ = now;
            if (OnChange) OnChange(*this);
        }
        Click();
        result = 0;
        return true;
    }
    return false;
}

}  // namespace census
