// The platform's check box.
#pragma once

#include "runtime/control.h"

#include <functional>

namespace census {

class CheckBox : public Control {
public:
    CheckBox();
    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void(Control& sender)> OnChange;

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool checked_ = false;
};

}  // namespace census
