#include "runtime/form.h"

#include "runtime/application.h"

#include <algorithm>

namespace census {

namespace {

// WM_GETDPISCALEDSIZE, sent from Windows 10 1703 on (the headers for older
// targets leave it out).
constexpr UINT kGetDpiScaledSize = 0x02E4;

}  // namespace

Form::Form() {
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
}

Form::~Form() {
    MarkDestroying();
    Application::Instance().FormDestroyed(*this);
}

void Form::SetClientSize(int width, int height) {
    client_width_ = width;
    client_height_ = height;
    const SIZE outer = WindowSizeFor(width, height, Dpi());
    SetBounds(Left(), Top(), outer.cx, outer.cy);
}

SIZE Form::WindowSizeFor(int client_width, int client_height, int dpi) {
    RECT r{0, 0, client_width, client_height};
    CreateParams params;
    FillCreateParams(params);
    AdjustWindowRectForDpi(r, params.style, params.ex_style, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

// --- pixels per inch --------------------------------------------------------------

void Form::StoredValuesRead() {
    Control::StoredValuesRead();
    ScaleToDpi(ScreenDpi());
}

// A form keeps its place on the screen; its client area is what scales.
void Form::ScaleBounds(int new_dpi, int old_dpi) {
    SetClientSize(ScaleDpi(client_width_, new_dpi, old_dpi), ScaleDpi(client_height_, new_dpi, old_dpi));
}

void Form::DpiChanged(int old_dpi) {
    Control::DpiChanged(old_dpi);
    // Settings components (the hints') scale with the form that owns them.
    for (size_t i = 0; i < ComponentCount(); ++i) {
        Component& component = ComponentAt(i);
        if (!dynamic_cast<Control*>(&component)) component.ScaleComponent(Dpi(), old_dpi);
    }
}

void Form::MovedToDpi(int dpi, const RECT& suggested) {
    ScaleToDpi(dpi);
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.parent = nullptr;
    params.style = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    switch (border_style_) {
        case BorderStyle::Sizeable: params.style |= WS_THICKFRAME; break;
        case BorderStyle::Single: break;
        case BorderStyle::Dialog: params.ex_style |= WS_EX_DLGMODALFRAME; break;
        case BorderStyle::None: params.style = WS_POPUP | WS_CLIPCHILDREN; break;
    }
    if (minimize_box_ && border_style_ != BorderStyle::Dialog) params.style |= WS_MINIMIZEBOX;
    if (maximize_box_ && border_style_ == BorderStyle::Sizeable) params.style |= WS_MAXIMIZEBOX;
    params.ex_style |= WS_EX_CONTROLPARENT;
    params.class_style = CS_DBLCLKS;
}

void Form::CreateWindowHandle(const CreateParams& params) {
    Control::CreateWindowHandle(params);
    if (!HandleAllocated()) return;
    // Made on a monitor of another density than the screen's: the children,
    // made after this, are made at the monitor's.
    ScaleToDpi(WindowDpi(Handle()));
    // The caption bar's height depends on the system: the client size is what counts.
    if (client_width_ > 0) SetClientSize(client_width_, client_height_);
}

void Form::CenterOnScreen() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + ((work.right - work.left) - Width()) / 2;
    int y = work.top + ((work.bottom - work.top) - Height()) / 2;
    SetBounds(std::max<int>(x, work.left), std::max<int>(y, work.top), Width(), Height());
}

void Form::Show() {
    HWND hwnd = Handle();
    if (!shown_once_ && position_ == FormPosition::ScreenCenter) CenterOnScreen();
    SetVisible(true);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    ::UpdateWindow(hwnd);
}

void Form::Close() {
    if (HandleAllocated()) ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::CollectTabControls(Control& root, std::vector<Control*>& out) {
    std::vector<Control*> kids = root.Controls();
    std::stable_sort(kids.begin(), kids.end(),
                     [](Control* a, Control* b) { return a->TabOrder() < b->TabOrder(); });
    for (Control* c : kids) {
        if (!c->Visible() || !c->Enabled()) continue;
        if (c->TabStop() && c->TabOrder() >= 0) out.push_back(c);
        CollectTabControls(*c, out);
    }
}

void Form::SelectFirst() {
    std::vector<Control*> order;
    CollectTabControls(*this, order);
    if (!order.empty()) order.front()->SetFocus();
}

void Form::SelectNext(bool forward) {
    std::vector<Control*> order;
    CollectTabControls(*this, order);
    if (order.empty()) return;
    // The focus may sit in an inner window of a control: find the outer one.
    Control* current = Control::FromHandle(::GetFocus());
    while (current && std::find(order.begin(), order.end(), current) == order.end()) current = current->Parent();
    auto it = std::find(order.begin(), order.end(), current);
    size_t index = 0;
    if (it != order.end()) {
        size_t pos = static_cast<size_t>(it - order.begin());
        index = forward ? (pos + 1) % order.size() : (pos + order.size() - 1) % order.size();
    } else if (!forward) {
        index = order.size() - 1;
    }
    order[index]->SetFocus();
}

bool Form::PreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_TAB) return TabKey(msg);
    if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) return DialogKey(msg);
    return false;
}

bool Form::TabKey(const MSG& msg) {
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
    LRESULT code = ::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
    SelectNext(::GetKeyState(VK_SHIFT) >= 0);
    return true;
}

bool Form::DialogKey(const MSG& msg) {
    if (ShiftFromKeys() != 0) return false;
    LRESULT code = ::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    return OfferDialogKey(*this, msg.wParam);
}

bool Form::OfferDialogKey(Control& root, WPARAM key) {
    // Copy: a click handler may change the controls.
    std::vector<Control*> kids = root.Controls();
    for (Control* c : kids) {
        if (c->Perform(CM_DIALOGKEY, key) != 0) return true;
        if (OfferDialogKey(*c, key)) return true;
    }
    return false;
}

void Form::FocusChanged(Control* control) {
    if (!control || control == this) return;
    active_control_ = control;
    TellFocusChanged(*this, control);
}

void Form::TellFocusChanged(Control& root, Control* focused) {
    std::vector<Control*> kids = root.Controls();
    for (Control* c : kids) {
        c->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
        TellFocusChanged(*c, focused);
    }
}

void Form::Activate() {
    if (OnActivate) OnActivate(*this);
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ACTIVATE: {
            LRESULT r = DefaultHandler(msg, wp, lp);
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (Control* c = Control::FromHandle(focus); c && c != this) active_control_ = c;
                return r;
            }
            // The program's own windows only: activation from another program does not count.
            HWND other = reinterpret_cast<HWND>(lp);
            DWORD pid = 0;
            if (other) ::GetWindowThreadProcessId(other, &pid);
            bool from_own_window = other && pid == ::GetCurrentProcessId();
            bool first = !shown_once_;
            shown_once_ = true;
            if (active_control_ && active_control_->HandleAllocated()) {
                ::SetFocus(active_control_->Handle());
            } else if (first) {
                SelectFirst();
            }
            if (first || from_own_window) Activate();
            return r;
        }
        case WM_CLOSE:
            if (OnClose) OnClose(*this);
            if (Application::Instance().MainForm() == this) {
                Application::Instance().Terminate();
                return 0;
            }
            SetVisible(false);
            return 0;
        case WM_GETMINMAXINFO:
            break;
        case kGetDpiScaledSize: {
            // The size the form will take at the new density, so that the
            // rectangle WM_DPICHANGED suggests is exactly that.
            const int dpi = static_cast<int>(wp);
            auto* size = reinterpret_cast<SIZE*>(lp);
            *size = WindowSizeFor(ScaleDpi(client_width_, dpi, Dpi()), ScaleDpi(client_height_, dpi, Dpi()), dpi);
            return TRUE;
        }
        case WM_DPICHANGED:
            MovedToDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            break;
    }
    return Control::WndProc(msg, wp, lp);
}

}  // namespace census
