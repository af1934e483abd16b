// The lines of a native multi-line edit, read and written in the window
// itself (no second copy of the text).
#pragma once

#include "runtime/control.h"
#include "runtime/string_list.h"

namespace census {

// Lines of a native multi-line edit window. Appending sets the selection to
// the end and replaces it, so a block of lines costs one window update.
class EditLines : public Strings {
public:
    explicit EditLines(Control& edit) : edit_(edit) {}
    std::wstring Text() const override;
    void SetText(const std::wstring& text) override;
    void Clear() override { SetText(std::wstring()); }
    int Count() const override;
    std::wstring Get(int index) const override;
    void AddStrings(std::span<const std::wstring> lines) override;

private:
    HWND Window() const;
    Control& edit_;
};

}  // namespace census
