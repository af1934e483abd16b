#include "runtime/hint.h"

#include "runtime/mouse_tracking.h"

#include <utility>

namespace census {

// --- hint window --------------------------------------------------------------

HintWindow::HintWindow() {
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clInfoBk);
    FontSpec f;
    f.name = L"Tahoma";
    f.height = -11;
    f.color = clInfoText;
    SetFont(f);
}

HintWindow::~HintWindow() = default;

void HintWindow::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.parent = nullptr;
    params.style = WS_POPUP | WS_BORDER;
    params.ex_style = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.class_style = CS_SAVEBITS;
}

RECT HintWindow::CalcHintRect(int max_width, const std::wstring& hint) {
    WindowDc screen(nullptr);
    Canvas canvas(screen.get());
    canvas.SetFontHandle(FontHandle(), Font().color);
    RECT r{0, 0, max_width, 0};
    canvas.DrawText(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.right += 6;
    r.bottom += 2;
    return r;
}

void HintWindow::ActivateHint(RECT rect, const std::wstring& hint) {
    // The border takes two of the rows; two more keep the text off it.
    rect.bottom += 4;
    SetCaption(hint);
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ::SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void HintWindow::ReleaseHint() {
    if (HandleAllocated()) ::ShowWindow(Handle(), SW_HIDE);
}

void HintWindow::Paint(Canvas& canvas) {
    RECT r = ClientRect();
    r.left += 2;
    r.top += 1;
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

bool HintWindow::IsDefaultHintMsg(const MSG& msg) {
    // Keys from WM_KEYDOWN to WM_SYSDEADCHAR, mouse buttons and the wheel.
    constexpr UINT kLastKey = 0x108, kWheel = 0x20A;
    const UINT m = msg.message;
    return (m >= WM_KEYFIRST && m <= kLastKey) || (m > WM_MOUSEMOVE && m <= kWheel) || m == WM_COMMAND;
}

bool HintWindow::IsHintMsg(const MSG& msg) const { return IsDefaultHintMsg(msg) || msg.message == WM_NCMOUSEMOVE; }

LRESULT HintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return Control::WndProc(msg, wp, lp);
}

// --- manager --------------------------------------------------------------------

HintManager::HintManager() {
    factory_ = [] { return std::make_unique<HintWindow>(); };
}

HintManager::~HintManager() = default;

void HintManager::SetHintWindowFactory(WindowFactory factory) {
    CancelHint();
    // The old window goes first: a window that took over OnShowHint gives it back.
    window_.reset();
    factory_ = std::move(factory);
    if (factory_) window_ = factory_();
}

std::wstring HintManager::ShortHint(const std::wstring& hint) {
    size_t bar = hint.find(L'|');
    return bar == std::wstring::npos ? hint : hint.substr(0, bar);
}

void HintManager::MessageSeen(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE) {
        if (showing_ && window_) window_->MouseMoved(msg.pt);
        // A move over the hint window itself says nothing about the controls.
        if (dynamic_cast<HintWindow*>(Control::FromHandle(msg.hwnd))) return;
        MouseMovedOver(MouseTracker::ControlOf(msg.hwnd), msg.pt);
        return;
    }
    const bool ends_hint = window_ ? window_->IsHintMsg(msg) : HintWindow::IsDefaultHintMsg(msg);
    if (!ends_hint) return;
    CancelHint();
    if (msg.message == WM_NCMOUSEMOVE) control_ = nullptr;
}

void HintManager::MouseMovedOver(Control* control, POINT screen) {
    // The control whose hint applies: the control itself or the nearest parent with a hint.
    Control* target = control;
    while (target && target->Hint().empty()) target = target->Parent();
    bool shows = target && ShowHints && target->ShowHint() && !ShortHint(target->Hint()).empty();
    if (target != control_ || !shows) {
        HideHint();
        control_ = shows ? target : nullptr;
        if (!control_) {
            if (show_timer_) show_timer_->SetEnabled(false);
            return;
        }
        if (!show_timer_) {
            show_timer_ = std::make_unique<Timer>();
            show_timer_->OnTimer = [this](Timer& t) {
                t.SetEnabled(false);
                ActivateHint();
            };
        }
        bool recent = ::GetTickCount64() - last_hidden_ < 300;
        show_timer_->SetInterval(recent ? HintShortPause : HintPause);
        show_timer_->SetEnabled(false);
        show_timer_->SetEnabled(true);
    } else if (showing_ && !::PtInRect(&cursor_rect_, screen)) {
        HideHint();
    }
}

void HintManager::ActivateHint() {
    if (!control_ || !control_->HandleAllocated()) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) == nullptr) return;
    HintInfo info;
    info.control = control_;
    info.cursor_pos = control_->ScreenToClient(cursor);
    RECT bounds;
    ::GetWindowRect(control_->Handle(), &bounds);
    info.cursor_rect = bounds;
    info.max_width = ::GetSystemMetrics(SM_CXSCREEN);
    info.hide_timeout = static_cast<int>(HintHidePause);
    info.color = HintColor;
    std::wstring text = ShortHint(control_->Hint());
    bool can_show = true;
    if (OnShowHint) OnShowHint(text, can_show, info);
    if (!can_show || text.empty()) return;
    if (!window_ && factory_) window_ = factory_();
    if (!window_) return;
    window_->SetColor(info.color);
    RECT r = window_->CalcHintRect(info.max_width, text);
    int cursor_height = ::GetSystemMetrics(SM_CYCURSOR);
    ::OffsetRect(&r, cursor.x, cursor.y + cursor_height / 2 + 4);
    window_->ActivateHint(r, text);
    showing_ = true;
    cursor_rect_ = info.cursor_rect;
    if (!hide_timer_) {
        hide_timer_ = std::make_unique<Timer>();
        hide_timer_->OnTimer = [this](Timer& t) {
            t.SetEnabled(false);
            HideHint();
        };
    }
    hide_timer_->SetInterval(static_cast<unsigned>(info.hide_timeout > 0 ? info.hide_timeout : 2500));
    hide_timer_->SetEnabled(false);
    hide_timer_->SetEnabled(true);
    if (!check_timer_) {
        check_timer_ = std::make_unique<Timer>();
        check_timer_->SetInterval(100);
        check_timer_->OnTimer = [this](Timer&) { CheckMouse(); };
    }
    check_timer_->SetEnabled(true);
}

void HintManager::CheckMouse() {
    POINT p;
    ::GetCursorPos(&p);
    HWND under = ::WindowFromPoint(p);
    DWORD pid = 0;
    if (under) ::GetWindowThreadProcessId(under, &pid);
    if (!under || pid != ::GetCurrentProcessId()) CancelHint();
}

void HintManager::HideHint() {
    if (showing_) {
        if (window_) window_->ReleaseHint();
        showing_ = false;
        last_hidden_ = ::GetTickCount64();
    }
    if (hide_timer_) hide_timer_->SetEnabled(false);
    if (check_timer_) check_timer_->SetEnabled(false);
}

void HintManager::CancelHint() {
    HideHint();
    if (show_timer_) show_timer_->SetEnabled(false);
}

void HintManager::Release() {
    CancelHint();
    control_ = nullptr;
    window_.reset();
    show_timer_.reset();
    hide_timer_.reset();
    check_timer_.reset();
}

void HintManager::ControlHintChanged(Control& control) {
    if (&control == control_ && showing_) CancelHint();
}

void HintManager::ControlGone(Control& control) {
    if (&control == control_) {
        CancelHint();
        control_ = nullptr;
    }
}

}  // namespace census
