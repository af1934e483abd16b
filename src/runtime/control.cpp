#include "runtime/control.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/form.h"

#include <commctrl.h>
#include <windowsx.h>

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

Control::Control() { font_ = FontSpec{}; }

Control::~Control() {
    MarkDestroying();
    DestroyHandle();
    // Children are owned elsewhere (by the form); forget the links both ways.
    for (Control* child : children_) child->parent_ = nullptr;
    children_.clear();
    if (parent_) parent_->RemoveChild(this);
}

// --- parent and children -------------------------------------------------------

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (HandleAllocated()) DestroyHandle();
    if (parent_) parent_->RemoveChild(this);
    parent_ = parent;
    if (!parent_) return;
    parent_->children_.push_back(this);
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

void Control::SetTabStop(bool value) {
    tab_stop_ = value;
    if (HandleAllocated()) {
        LONG_PTR style = ::GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        ::SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, style);
    }
}

// --- window ---------------------------------------------------------------------

HWND Control::Handle() {
    if (!HandleAllocated()) CreateHandle();
    return hwnd_.get();
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? Registry().Find(hwnd).control : nullptr;
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

void Control::DestroyHandle() {
    if (!HandleAllocated()) return;
    for (Control* child : children_) child->DestroyHandle();
    Application::Instance().Hints().ControlGone(*this);
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

LRESULT Control::Perform(UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); }

void Control::Click() {
    if (OnClick) OnClick(*this);
}

// --- message dispatch -------------------------------------------------------------

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

LRESULT Control::CallNativeProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Ours is the first subclass, put in place at creation: what it replaced,
    // which the default handler calls, is the class procedure.
    return DefaultHandler(msg, wp, lp);
}

bool Control::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    UINT reflected = 0;
    switch (msg) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lp);
            reflected = CN_COMMAND;
            break;
        case WM_NOTIFY:
            child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
            reflected = CN_NOTIFY;
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
            reflected = CN_DRAWITEM;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
            child = reinterpret_cast<HWND>(lp);
            reflected = CN_CTLCOLOR;
            break;
        default:
            return false;
    }
    Control* target = FromHandle(child);
    if (!target || target == this) return false;
    return target->Reflected(reflected, wp, lp, result);
}

unsigned Control::ShiftFromKeys() {
    unsigned s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

unsigned Control::ShiftFromMouseFlags(WPARAM flags) {
    unsigned s = 0;
    if (flags & MK_SHIFT) s |= ssShift;
    if (flags & MK_CONTROL) s |= ssCtrl;
    if (flags & MK_LBUTTON) s |= ssLeft;
    if (flags & MK_RBUTTON) s |= ssRight;
    if (flags & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    bool handled = false;
    LRESULT r = HandleStandardMessage(msg, wp, lp, handled);
    return handled ? r : DefaultHandler(msg, wp, lp);
}

LRESULT Control::HandleStandardMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, result)) return result;
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (msg) {
        case WM_PAINT:
            if (native_) break;
            {
                PaintDc dc(hwnd_.get());
                Canvas canvas(dc.get());
                canvas.SetFontHandle(FontHandle(), font_.color);
                Paint(canvas);
            }
            return 0;
        case WM_ERASEBKGND:
            if (native_) break;
            return EraseBackground(reinterpret_cast<HDC>(wp)) ? 1 : 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            MouseButton b = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)   ? MouseButton::Left
                            : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) ? MouseButton::Right
                                                                                 : MouseButton::Middle;
            unsigned shift = ShiftFromMouseFlags(wp);
            bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
            if (dbl) shift |= ssDouble;
            LRESULT r = DefaultHandler(msg, wp, lp);
            if (dbl && b == MouseButton::Left && OnDblClick) OnDblClick(*this);
            if (hwnd_) MouseDown(b, shift, x, y);
            return r;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            MouseButton b = msg == WM_LBUTTONUP ? MouseButton::Left
                            : msg == WM_RBUTTONUP ? MouseButton::Right
                                                  : MouseButton::Middle;
            LRESULT r = DefaultHandler(msg, wp, lp);
            if (hwnd_) MouseUp(b, ShiftFromMouseFlags(wp), x, y);
            return r;
        }
        case WM_MOUSEMOVE: {
            LRESULT r = DefaultHandler(msg, wp, lp);
            if (hwnd_) MouseMove(ShiftFromMouseFlags(wp), x, y);
            return r;
        }
        case CM_MOUSEENTER:
            MouseEnter();
            return 0;
        case CM_MOUSELEAVE:
            MouseLeave();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            WORD key = static_cast<WORD>(wp);
            KeyDown(key, ShiftFromKeys());
            if (key == 0) return 0;
            return DefaultHandler(msg, key, lp);
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            WORD key = static_cast<WORD>(wp);
            KeyUp(key, ShiftFromKeys());
            if (key == 0) return 0;
            return DefaultHandler(msg, key, lp);
        }
        case WM_CHAR: {
            wchar_t ch = static_cast<wchar_t>(wp);
            KeyPress(ch);
            if (ch == 0) return 0;
            return DefaultHandler(msg, ch, lp);
        }
        case WM_SETFOCUS: {
            LRESULT r = DefaultHandler(msg, wp, lp);
            if (Form* form = ParentForm()) form->FocusChanged(this);
            DoEnter();
            return r;
        }
        case WM_KILLFOCUS: {
            LRESULT r = DefaultHandler(msg, wp, lp);
            DoExit();
            return r;
        }
        case WM_SETCURSOR:
            if (cursor_ && LOWORD(lp) == HTCLIENT) {
                ::SetCursor(cursor_);
                return TRUE;
            }
            break;
        case WM_SIZE:
        case WM_MOVE:
            if (hwnd_ && !::IsIconic(hwnd_.get()) && parent_) {
                RECT r;
                ::GetWindowRect(hwnd_.get(), &r);
                POINT tl{r.left, r.top};
                ::ScreenToClient(parent_->hwnd_.get(), &tl);
                int w = r.right - r.left, h = r.bottom - r.top;
                if (tl.x != left_ || tl.y != top_ || w != width_ || h != height_) {
                    left_ = tl.x;
                    top_ = tl.y;
                    width_ = w;
                    height_ = h;
                    BoundsChanged();
                }
            }
            break;
        default:
            break;
    }
    handled = false;
    return 0;
}

bool Control::EraseBackground(HDC dc) {
    RECT r;
    ::GetClientRect(hwnd_.get(), &r);
    UniqueBrush brush(::CreateSolidBrush(ColorToRgb(color_)));
    ::FillRect(dc, &r, brush.get());
    return true;
}

void Control::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void Control::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void Control::MouseMove(unsigned shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void Control::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}

void Control::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}

void Control::KeyDown(WORD& key, unsigned shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void Control::KeyUp(WORD& key, unsigned shift) {
    if (OnKeyUp) OnKeyUp(*this, key, shift);
}

void Control::KeyPress(wchar_t& ch) {
    if (OnKeyPress) OnKeyPress(*this, ch);
}

void Control::DoEnter() {
    if (OnEnter) OnEnter(*this);
}

void Control::DoExit() {
    if (OnExit) OnExit(*this);
}

}  // namespace census
