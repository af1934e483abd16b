// The standard message handling: painting, mouse and key messages translated
// into the control's virtuals and events, focus, cursor and bounds.
#include "runtime/control.h"

#include "runtime/form.h"

#include <windowsx.h>

namespace census {

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    bool handled = false;
    LRESULT r = HandleStandardMessage(msg, wp, lp, handled);
    return handled ? r : DefaultHandler(msg, wp, lp);
}

LRESULT Control::HandleStandardMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_PAINT:
            if (native_) break;
            PaintWindow();
            return 0;
        case WM_ERASEBKGND:
            if (native_) break;
            return EraseBackground(reinterpret_cast<HDC>(wp)) ? 1 : 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            return MouseDownMessage(msg, wp, lp);
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE:
            return MouseUpOrMoveMessage(msg, wp, lp);
        case CM_MOUSEENTER:
            MouseEnter();
            return 0;
        case CM_MOUSELEAVE:
            MouseLeave();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
            return KeyMessage(msg, wp, lp);
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return FocusMessage(msg, wp, lp);
        case WM_SETCURSOR:
            if (SetOwnCursor(lp)) return TRUE;
            break;
        case WM_SIZE:
        case WM_MOVE:
            TakeBoundsFromWindow();
            break;
        default:
            break;
    }
    handled = false;
    return 0;
}

void Control::PaintWindow() {
    PaintDc dc(hwnd_.get());
    Canvas canvas(dc.get());
    canvas.SetFontHandle(FontHandle(), font_.color);
    Paint(canvas);
}

// The native window handles the press first (capture, focus); the control's
// own handling follows while the window still exists.
LRESULT Control::MouseDownMessage(UINT msg, WPARAM wp, LPARAM lp) {
    MouseButton b = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)   ? MouseButton::Left
                    : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) ? MouseButton::Right
                                                                         : MouseButton::Middle;
    unsigned shift = ShiftFromMouseFlags(wp);
    bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    if (dbl) shift |= ssDouble;
    LRESULT r = DefaultHandler(msg, wp, lp);
    if (dbl && b == MouseButton::Left && OnDblClick) OnDblClick(*this);
    if (hwnd_) MouseDown(b, shift, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    return r;
}

LRESULT Control::MouseUpOrMoveMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = DefaultHandler(msg, wp, lp);
    if (!hwnd_) return r;
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (msg == WM_MOUSEMOVE) {
        MouseMove(ShiftFromMouseFlags(wp), x, y);
        return r;
    }
    MouseButton b = msg == WM_LBUTTONUP ? MouseButton::Left
                    : msg == WM_RBUTTONUP ? MouseButton::Right
                                          : MouseButton::Middle;
    MouseUp(b, ShiftFromMouseFlags(wp), x, y);
    return r;
}

// A key or character the control's handler set to 0 never reaches the native window.
LRESULT Control::KeyMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR) {
        wchar_t ch = static_cast<wchar_t>(wp);
        KeyPress(ch);
        return ch == 0 ? 0 : DefaultHandler(msg, ch, lp);
    }
    WORD key = static_cast<WORD>(wp);
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        KeyDown(key, ShiftFromKeys());
    else
        KeyUp(key, ShiftFromKeys());
    return key == 0 ? 0 : DefaultHandler(msg, key, lp);
}

LRESULT Control::FocusMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = DefaultHandler(msg, wp, lp);
    if (msg == WM_KILLFOCUS) {
        DoExit();
        return r;
    }
    if (Form* form = ParentForm()) form->FocusChanged(this);
    DoEnter();
    return r;
}

bool Control::SetOwnCursor(LPARAM lp) {
    if (!cursor_ || LOWORD(lp) != HTCLIENT) return false;
    ::SetCursor(cursor_);
    return true;
}

// The window was moved or sized from outside (by Windows or a native parent):
// the control's bounds follow it.
void Control::TakeBoundsFromWindow() {
    if (!hwnd_ || ::IsIconic(hwnd_.get()) || !parent_) return;
    RECT r;
    ::GetWindowRect(hwnd_.get(), &r);
    POINT tl{r.left, r.top};
    ::ScreenToClient(parent_->hwnd_.get(), &tl);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (tl.x == left_ && tl.y == top_ && w == width_ && h == height_) return;
    left_ = tl.x;
    top_ = tl.y;
    width_ = w;
    height_ = h;
    BoundsChanged();
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

bool Control::EraseBackground(HDC dc) {
    RECT r;
    ::GetClientRect(hwnd_.get(), &r);
    UniqueBrush brush(::CreateSolidBrush(ColorToRgb(color_)));
    ::FillRect(dc, &r, brush.get());
    return true;
}

LRESULT Control::Perform(UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); }

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
