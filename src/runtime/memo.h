// The platform's multi-line edit, with a line list that reads and writes the
// window directly (no second copy of the text).
#pragma once

#include "runtime/control.h"
#include "runtime/string_list.h"

#include <memory>

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

class Memo : public Control {
public:
    Memo();
    ~Memo() override;
    Strings& Lines() { return *lines_; }
    void SetWordWrap(bool value) { word_wrap_ = value; }
    void SetScrollBars(bool horizontal, bool vertical) {
        hscroll_ = horizontal;
        vscroll_ = vertical;
    }

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void ColorChanged() override;

private:
    std::unique_ptr<EditLines> lines_;
    UniqueBrush background_;
    bool word_wrap_ = true;
    bool hscroll_ = false;
    bool vscroll_ = false;
};

}  // namespace census
