#include "editors/edit_style.h"

#include "runtime/control.h"

namespace census {

EditStyle::EditStyle(Control* owner) : owner_(owner) { look_and_feel_.AddListener(this); }

EditStyle::~EditStyle() { look_and_feel_.RemoveListener(this); }

ContainerBorderStyle EditStyle::BorderStyle() const {
    if (Has(svBorderStyle)) return border_style_;
    switch (look_and_feel_.Kind()) {
        case lfFlat: return cbsFlat;
        case lfStandard: return cbs3D;
        default: return cbsUltraFlat;
    }
}

TColor EditStyle::Color() const {
    if (Has(svColor)) return color_;
    if (owner_ && owner_->ParentColor() && owner_->Parent()) return owner_->Parent()->Color();
    return clWindow;
}

void EditStyle::SetAssignedValues(unsigned values) {
    if (values == assigned_) return;
    assigned_ = values;
    Changed();
}

void EditStyle::EndUpdate() {
    if (update_count_ > 0 && --update_count_ == 0 && change_pending_) {
        change_pending_ = false;
        if (OnChanged) OnChanged();
    }
}

void EditStyle::Changed() {
    if (update_count_ > 0) {
        change_pending_ = true;
        return;
    }
    if (OnChanged) OnChanged();
}

}  // namespace census
