// A plain text label: one line from the top left corner on the parent's
// background, clipped to its bounds, "&" marking a keyboard mnemonic.
#pragma once

#include "runtime/control.h"

namespace census {

class Label : public Control {
public:
    Label();

protected:
    void Paint(Canvas& canvas) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace census
