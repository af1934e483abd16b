// The window registry and subclassing: which control a window belongs to,
// how its messages reach WndProc, and the control's plain window state.
#include "runtime/control.h"

#include "runtime/application.h"
#include "runtime/errors.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace census {

namespace {

// Which control each of our windows belongs to and, for wrapped native
// windows, the procedure ours replaced. Looked up on every message, so it is
// kept in the process: a window property or the common controls' subclass
// chain (itself built on properties) costs a round trip to another process on
// some platforms, which made every message to a wrapped control tens of
// microseconds dearer.
struct WindowEntry {
    Control* control = nullptr;
    WNDPROC native_proc = nullptr;
};

class WindowRegistry {
public:
    WindowEntry Find(HWND hwnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = entries_.find(hwnd);
        return it == entries_.end() ? WindowEntry{} : it->second;
    }
    void Set(HWND hwnd, const WindowEntry& entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_[hwnd] = entry;
    }
    void Erase(HWND hwnd) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.erase(hwnd);
    }

private:
    std::mutex mutex_;
    std::unordered_map<HWND, WindowEntry> entries_;
};

WindowRegistry& Registry() {
    static WindowRegistry registry;
    return registry;
}

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// One registered own-class name per class style.
std::wstring OwnClassName(UINT class_style, WNDPROC proc) {
    std::wstring name = L"CensusWindow." + std::to_wstring(class_style);
    WNDCLASSEXW existing{sizeof(existing)};
    if (!::GetClassInfoExW(Instance(), name.c_str(), &existing)) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.style = class_style;
        wc.lpfnWndProc = proc;
        wc.hInstance = Instance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(1));
        wc.lpszClassName = name.c_str();
        ::RegisterClassExW(&wc);
    }
    return name;
}

}  // namespace

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? Registry().Find(hwnd).control : nullptr;
}

void Control::CreateWindowHandle(const CreateParams& params) {
    native_ = !params.class_name.empty();
    std::wstring cls = native_ ? params.class_name : OwnClassName(params.class_style, &Control::OwnClassProc);
    HWND hwnd = ::CreateWindowExW(params.ex_style, cls.c_str(), params.caption.c_str(), params.style, params.x,
                                  params.y, params.width, params.height, params.parent, nullptr, Instance(),
                                  native_ ? nullptr : this);
    if (!hwnd) return;
    if (native_) {
        native_proc_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::NativeSubclassProc)));
        Bind(hwnd);
    }
}

void Control::Bind(HWND hwnd) {
    hwnd_.reset(hwnd);
    Registry().Set(hwnd, WindowEntry{this, native_ ? native_proc_ : nullptr});
}

void Control::Unbind() {
    if (!hwnd_) return;
    HWND hwnd = hwnd_.release();
    const auto ours = reinterpret_cast<LONG_PTR>(&Control::NativeSubclassProc);
    if (native_ && ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != ours) {
        // Someone subclassed the window after us: the chain still runs through
        // our procedure, which passes everything on to the native one.
        Registry().Set(hwnd, WindowEntry{nullptr, native_proc_});
        return;
    }
    if (native_) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(native_proc_));
    Registry().Erase(hwnd);
}

LRESULT CALLBACK Control::OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<Control*>(cs->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    Control* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT r = ::DefWindowProcW(hwnd, msg, wp, lp);
        self->Unbind();
        return r;
    }
    return self->SafeWndProc(msg, wp, lp);
}

LRESULT CALLBACK Control::NativeSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const WindowEntry entry = Registry().Find(hwnd);
    if (!entry.native_proc) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        if (entry.control) entry.control->Unbind();
        const LRESULT r = ::CallWindowProcW(entry.native_proc, hwnd, msg, wp, lp);
        Registry().Erase(hwnd);
        return r;
    }
    if (!entry.control) return ::CallWindowProcW(entry.native_proc, hwnd, msg, wp, lp);
    return entry.control->SafeWndProc(msg, wp, lp);
}

LRESULT Control::SafeWndProc(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return WndProc(msg, wp, lp);
    } catch (...) {
        Application::Instance().HandleException(std::current_exception());
        return 0;
    }
}

LRESULT Control::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    if (!hwnd_) return 0;
    if (native_) return ::CallWindowProcW(native_proc_, hwnd_.get(), msg, wp, lp);
    return ::DefWindowProcW(hwnd_.get(), msg, wp, lp);
}

// --- bounds ---------------------------------------------------------------------

void Control::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (HandleAllocated()) {
        ::SetWindowPos(hwnd_.get(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BoundsChanged();
}

RECT Control::ClientRect() {
    RECT r{0, 0, width_, height_};
    if (HandleAllocated()) ::GetClientRect(hwnd_.get(), &r);
    return r;
}

POINT Control::ScreenToClient(POINT p) {
    ::ScreenToClient(Handle(), &p);
    return p;
}

POINT Control::ClientToScreen(POINT p) {
    ::ClientToScreen(Handle(), &p);
    return p;
}

// --- state ----------------------------------------------------------------------

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (HandleAllocated()) ::ShowWindow(hwnd_.get(), visible ? SW_SHOWNA : SW_HIDE);
    VisibleChanged();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (HandleAllocated()) ::EnableWindow(hwnd_.get(), enabled);
    EnabledChanged();
}

void Control::EnabledChanged() { Invalidate(); }

void Control::SetCaption(const std::wstring& caption) {
    if (caption == caption_ && (!HandleAllocated() || WindowText() == caption)) return;
    caption_ = caption;
    if (HandleAllocated()) ::SetWindowTextW(hwnd_.get(), caption_.c_str());
    TextChanged();
}

std::wstring Control::WindowText() {
    if (!HandleAllocated()) return caption_;
    int n = ::GetWindowTextLengthW(hwnd_.get());
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd_.get(), text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

void Control::TextChanged() { Invalidate(); }

void Control::SetTabStop(bool value) {
    tab_stop_ = value;
    if (HandleAllocated()) {
        LONG_PTR style = ::GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        ::SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, style);
    }
}

void Control::Invalidate() {
    if (HandleAllocated()) ::InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

void Control::Update() {
    if (HandleAllocated()) ::UpdateWindow(hwnd_.get());
}

void Control::Repaint() {
    Invalidate();
    Update();
}

void Control::BringToFront() {
    if (HandleAllocated())
        ::SetWindowPos(hwnd_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SetFocus() {
    if (CanFocus()) ::SetFocus(Handle());
}

bool Control::Focused() const { return hwnd_ && ::GetFocus() == hwnd_.get(); }

bool Control::CanFocus() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_ || !c->enabled_) return false;
    return true;
}

void Control::Click() {
    if (OnClick) OnClick(*this);
}

}  // namespace census
