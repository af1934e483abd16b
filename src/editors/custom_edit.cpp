#include "editors/custom_edit.h"

#include "runtime/errors.h"
#include "runtime/form.h"

namespace census {

CustomEdit::CustomEdit() = default;

void CustomEdit::SetEditValue(const std::wstring& value) {
    if (value == edit_value_) return;
    edit_value_ = value;
    EditValueChangedEvent();
}

bool CustomEdit::DoEditing() {
    if (Properties().ReadOnly()) return false;
    bool can_edit = true;
    if (OnEditing) OnEditing(*this, can_edit);
    return can_edit;
}

void CustomEdit::UnlockChangeEvents() {
    if (change_lock_ == 0 || --change_lock_ > 0 || Destroying()) return;
    bool change = std::exchange(change_due_, false);
    bool value_change = std::exchange(value_change_due_, false);
    if (change && Properties().OnChange) Properties().OnChange(*this);
    if (value_change && Properties().OnEditValueChanged) Properties().OnEditValueChanged(*this);
}

void CustomEdit::ChangeEvent() {
    if (change_lock_ > 0) {
        change_due_ = true;
    } else if (Properties().OnChange) {
        Properties().OnChange(*this);
    }
}

void CustomEdit::EditValueChangedEvent() {
    if (change_lock_ > 0) {
        value_change_due_ = true;
    } else if (Properties().OnEditValueChanged) {
        Properties().OnEditValueChanged(*this);
    }
}

void CustomEdit::EditTextChanged(bool from_user) {
    if (from_user) modified_after_enter_ = true;
    LockChangeEvents();
    ChangeEvent();
    EditValueChangedEvent();
    UnlockChangeEvents();
}

void CustomEdit::EditKeyDown(WORD& key, unsigned shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt)) && !Properties().WantsTabs()) {
        key = 0;
        if (Form* form = ParentForm()) form->SelectNext(!(shift & ssShift));
    } else if (key == VK_ESCAPE && modified_after_enter_) {
        key = 0;
        modified_after_enter_ = false;
        RestoreValue(value_at_enter_);
    }
}

void CustomEdit::InnerEntered() {
    entered_ = true;
    modified_after_enter_ = false;
    value_at_enter_ = EditValue();
    InnerFocusChanged();
}

void CustomEdit::ProgramReplacedText() {
    // Outside the editor the value is taken afresh on entry.
    if (!entered_) return;
    modified_after_enter_ = false;
    value_at_enter_ = EditValue();
}

void CustomEdit::ProgramAddedText(const std::function<void(std::wstring& value)>& add) {
    if (entered_) add(value_at_enter_);
}

void CustomEdit::InnerExited() {
    entered_ = false;
    if (modified_after_enter_ && Properties().OnValidate) {
        LockChangeEvents();
        std::wstring text = EditValue(), error;
        bool failed = false;
        Properties().OnValidate(*this, text, error, failed);
        UnlockChangeEvents();
        if (failed) {
            ::MessageBeep(MB_OK);
            if (!error.empty()) throw Exception(error);
        }
    }
    InnerFocusChanged();
}

}  // namespace census
