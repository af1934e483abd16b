// The platform's push button.
#pragma once

#include "runtime/control.h"

namespace census {

class PushButton : public Control {
public:
    PushButton();

protected:
    void FillCreateParams(CreateParams& params) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace census
