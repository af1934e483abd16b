#include "runtime/push_button.h"

namespace census {

PushButton::PushButton() { SetTabStop(true); }

void PushButton::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_name = L"BUTTON";
    params.style |= BS_PUSHBUTTON;
}

bool PushButton::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND && HIWORD(wp) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return false;
}

}  // namespace census
