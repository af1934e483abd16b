// A control's window: made lazily once the parent has one, destroyed with
// the children's, and made again for styles that only take effect at creation.
#include "runtime/control.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/form.h"

#include <algorithm>

namespace census {

Control::Control() { font_ = FontSpec{}; }

Control::~Control() {
    MarkDestroying();
    DestroyHandle();
    // Children are owned elsewhere (by the form); forget the links both ways.
    for (Control* child : children_) child->parent_ = nullptr;
    children_.clear();
    if (parent_) parent_->RemoveChild(this);
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (HandleAllocated()) DestroyHandle();
    if (parent_) parent_->RemoveChild(this);
    parent_ = parent;
    if (!parent_) return;
    parent_->children_.push_back(this);
    // Sizes are given at the design's density; a parent scaled to another takes its children along.
    if (dpi_ != parent_->dpi_) ScaleToDpi(parent_->dpi_);
    if (parent_font_) ParentFontChanged();
    if (parent_color_) ParentColorChanged();
    if (parent_->HandleAllocated()) CreateHandle();
}

void Control::RemoveChild(Control* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

Form* Control::ParentForm() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<Form*>(c);
}

HWND Control::Handle() {
    if (!HandleAllocated()) CreateHandle();
    return hwnd_.get();
}

void Control::FillCreateParams(CreateParams& params) {
    params.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (visible_) params.style |= WS_VISIBLE;
    if (!enabled_) params.style |= WS_DISABLED;
    if (tab_stop_) params.style |= WS_TABSTOP;
    params.x = left_;
    params.y = top_;
    params.width = width_;
    params.height = height_;
    params.caption = caption_;
    if (parent_) params.parent = parent_->Handle();
}

void Control::CreateHandle() {
    if (HandleAllocated() || Destroying()) return;
    if (parent_ && !parent_->HandleAllocated()) {
        parent_->CreateHandle();  // creates this one among its children
        if (HandleAllocated()) return;
    }
    CreateParams params;
    FillCreateParams(params);
    CreateWindowHandle(params);
    if (!HandleAllocated()) throw Exception(L"Error creating window: " + SystemErrorMessage(::GetLastError()));
    ApplyFontToWindow();
    WindowCreated();
    CreateChildHandles();
    Application::Instance().Hints().ControlHintChanged(*this);
}

void Control::CreateChildHandles() {
    // Copy: a child's creation may re-parent others.
    std::vector<Control*> children = children_;
    for (Control* child : children)
        if (!child->HandleAllocated()) child->CreateHandle();
}

void Control::DestroyHandle() {
    if (!HandleAllocated()) return;
    for (Control* child : children_) child->DestroyHandle();
    Application::Instance().Hints().ControlGone(*this);
    Application::Instance().Mouse().ControlGone(*this);
    WindowDestroying();
    HWND hwnd = hwnd_.get();
    // Stop routing before the window goes, so no message reaches a half-torn object.
    Unbind();
    ::DestroyWindow(hwnd);
}

void Control::RecreateWnd() {
    if (!HandleAllocated() || recreating_) return;
    recreating_ = true;
    caption_ = WindowText();
    // Destroying the focused window hands the focus on; the new window takes it back.
    const bool focused = ::GetFocus() == hwnd_.get();
    DestroyHandle();
    CreateHandle();
    if (focused && HandleAllocated()) ::SetFocus(hwnd_.get());
    recreating_ = false;
}

}  // namespace census
