// An edit container with an edit value: the editing permission, Tab and
// Escape handling, and change events that a nestable lock batches into one
// OnChange and one OnEditValueChanged.
#pragma once

#include "editors/edit_container.h"

#include <functional>
#include <string>

namespace census {

class CustomEdit;

class EditProperties {
public:
    virtual ~EditProperties() = default;
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool v) { Set(read_only_, v); }
    virtual bool WantsTabs() const { return false; }

    std::function<void(CustomEdit& sender)> OnChange;
    std::function<void(CustomEdit& sender)> OnEditValueChanged;
    // May change the text or refuse it with an error text.
    std::function<void(CustomEdit& sender, std::wstring& text, std::wstring& error, bool& failed)> OnValidate;
    std::function<void()> OnPropertiesChanged;

protected:
    void Changed() {
        if (OnPropertiesChanged) OnPropertiesChanged();
    }
    // Stores a changed value and tells the editor.
    template <typename T>
    void Set(T& field, T value) {
        if (field == value) return;
        field = value;
        Changed();
    }

private:
    bool read_only_ = false;
};

class CustomEdit : public EditContainer {
public:
    CustomEdit();

    virtual EditProperties& Properties() = 0;

    virtual std::wstring EditValue() { return edit_value_; }
    void SetEditValue(const std::wstring& value);

    // The user (or a clipboard action) may change the text now.
    bool DoEditing();

    void LockChangeEvents() { ++change_lock_; }
    void UnlockChangeEvents();

    std::function<void(CustomEdit& sender, bool& can_edit)> OnEditing;

protected:
    // The text of the inner control changed; from_user marks a modification.
    void EditTextChanged(bool from_user);
    // Keys of the inner control, before it sees them; key 0 consumes.
    virtual void EditKeyDown(WORD& key, unsigned shift);
    void InnerEntered();
    void InnerExited();
    // Puts a value back into the inner control (Escape).
    virtual void RestoreValue(const std::wstring& value) { SetEditValue(value); }
    // Escape takes back only what the user changed, never what the program
    // put in meanwhile (a census appends while the user may be typing).
    // The program replaced the whole text: that is where Escape returns to now.
    void ProgramReplacedText();
    // The program added to the text: `add` makes the same addition to the
    // value Escape puts back.
    void ProgramAddedText(const std::function<void(std::wstring& value)>& add);

private:
    void ChangeEvent();
    void EditValueChangedEvent();

    std::wstring edit_value_;
    std::wstring value_at_enter_;
    bool modified_after_enter_ = false;
    bool entered_ = false;
    int change_lock_ = 0;
    bool change_due_ = false;
    bool value_change_due_ = false;
};

}  // namespace census
