// Properties a control inherits from its parent until it is given its own:
// colour, font and whether hints show.
#include "runtime/control.h"

#include "runtime/application.h"

namespace census {

void Control::SetColor(TColor color) {
    parent_color_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void Control::SetParentColor(bool value) {
    parent_color_ = value;
    if (value && parent_) ParentColorChanged();
}

void Control::ColorChanged() {
    Invalidate();
    for (Control* child : children_)
        if (child->parent_color_) child->ParentColorChanged();
}

void Control::ParentColorChanged() {
    if (!parent_ || !parent_color_) return;
    if (color_ != parent_->color_) {
        color_ = parent_->color_;
        ColorChanged();
    }
}

void Control::SetFont(const FontSpec& font) {
    parent_font_ = false;
    if (font == font_ && font_handle_) return;
    font_ = font;
    FontChanged();
}

void Control::SetParentFont(bool value) {
    parent_font_ = value;
    if (value && parent_) ParentFontChanged();
}

void Control::ParentFontChanged() {
    if (!parent_ || !parent_font_) return;
    if (!(font_ == parent_->font_)) {
        font_ = parent_->font_;
        FontChanged();
    }
}

void Control::FontChanged() {
    font_handle_.reset();
    ApplyFontToWindow();
    Invalidate();
    for (Control* child : children_)
        if (child->parent_font_) child->ParentFontChanged();
}

HFONT Control::FontHandle() {
    if (!font_handle_) font_handle_ = CreateFontFor(font_);
    return font_handle_.get();
}

void Control::ApplyFontToWindow() {
    if (HandleAllocated()) ::SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

void Control::SetHint(const std::wstring& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    HintChanged();
}

bool Control::ShowHint() const {
    if (show_hint_) return true;
    if (parent_show_hint_ && parent_) return parent_->ShowHint();
    return false;
}

void Control::SetShowHint(bool value) {
    show_hint_ = value;
    parent_show_hint_ = false;
    HintChanged();
}

void Control::HintChanged() { Application::Instance().Hints().ControlHintChanged(*this); }

}  // namespace census
