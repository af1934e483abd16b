// A plain etched line across the control's width.
#pragma once

#include "runtime/control.h"

namespace census {

class Bevel : public Control {
protected:
    void Paint(Canvas& canvas) override;
};

}  // namespace census
