#include "editors/memo_editor.h"

#include "editors/memo_text.h"
#include "runtime/form.h"
#include "runtime/handles.h"

#include <algorithm>
#include <utility>

namespace census {

namespace {

using GetScrollBarInfoFunction = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);

// Looked up by name: where the platform lacks it the native bars stay.
GetScrollBarInfoFunction ScrollBarInfo() {
    static const auto function = reinterpret_cast<GetScrollBarInfoFunction>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetScrollBarInfo"));
    return function;
}

bool HasHorizontal(MemoScrollBars s) { return s == MemoScrollBars::Horizontal || s == MemoScrollBars::Both; }
bool HasVertical(MemoScrollBars s) { return s == MemoScrollBars::Vertical || s == MemoScrollBars::Both; }

}  // namespace

// --- inner edit ------------------------------------------------------------------------

InnerMemo::InnerMemo(MemoEditor& memo) : memo_(memo) {
    SetTabStop(false);
    SetParentColor(true);
    SetParentFont(true);
}

InnerMemo::~InnerMemo() { DestroyHandle(); }

void InnerMemo::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    const MemoProperties& p = memo_.properties_;
    params.class_name = L"EDIT";
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (!p.WordWrap() || HasHorizontal(p.ScrollBars())) params.style |= ES_AUTOHSCROLL;
    if (HasHorizontal(p.ScrollBars())) params.style |= WS_HSCROLL;
    if (HasVertical(p.ScrollBars())) params.style |= WS_VSCROLL;
    if (p.WordWrap()) params.style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (p.WantReturns()) params.style |= ES_WANTRETURN;
    if (!p.HideSelection()) params.style |= ES_NOHIDESEL;
    if (p.ReadOnly()) params.style |= ES_READONLY;
    if (p.OEMConvert()) params.style |= ES_OEMCONVERT;
    if (p.CharCase() == MemoCharCase::Upper) params.style |= ES_UPPERCASE;
    if (p.CharCase() == MemoCharCase::Lower) params.style |= ES_LOWERCASE;
    if (p.Alignment() == MemoAlignment::Right) params.style |= ES_RIGHT;
    if (p.Alignment() == MemoAlignment::Center) params.style |= ES_CENTER;
}

void InnerMemo::WindowCreated() {
    // 0 lifts the native edit's small default limit to the largest possible.
    ::SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(memo_.properties_.MaxLength(), 0)), 0);
    memo_.PostUpdateScrollBars();
}

void InnerMemo::ColorChanged() {
    background_.reset();
    Control::ColorChanged();
}

bool InnerMemo::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_CTLCOLOR) {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, ColorToRgb(Font().color));
        ::SetBkColor(dc, ColorToRgb(Color()));
        if (!background_) background_.reset(::CreateSolidBrush(ColorToRgb(Color())));
        result = reinterpret_cast<LRESULT>(background_.get());
        return true;
    }
    if (msg == CN_COMMAND) {
        WORD code = HIWORD(wp);
        if (code == EN_VSCROLL || code == EN_HSCROLL) memo_.PostUpdateScrollBars();
        if (code == EN_CHANGE && !setting_text_) memo_.InnerTextChanged(true);
    }
    return false;
}

void InnerMemo::KeyDown(WORD& key, unsigned shift) {
    memo_.InnerKeyDown(key, shift);
    memo_.PostUpdateScrollBars();
}

void InnerMemo::KeyPress(wchar_t& ch) {
    const MemoProperties& p = memo_.properties_;
    if (ch == L'\t' && !p.WantTabs()) ch = 0;
    if (ch == L'\r' && !p.WantReturns() && ::GetKeyState(VK_CONTROL) >= 0) ch = 0;
    if (ch == 1 && swallow_select_all_char_) ch = 0;  // Ctrl+A, already handled
    swallow_select_all_char_ = false;
    if (ch != 0) memo_.KeyPress(ch);
}

void InnerMemo::KeyUp(WORD& key, unsigned shift) {
    if (key == VK_TAB && !memo_.properties_.WantTabs()) key = 0;
    if (key != 0 && memo_.OnKeyUp) memo_.OnKeyUp(memo_, key, shift);
}

void InnerMemo::DoEnter() {
    Control::DoEnter();
    memo_.InnerEntered();
}

void InnerMemo::DoExit() {
    Control::DoExit();
    memo_.InnerExited();
}

LRESULT InnerMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DefaultHandler(msg, wp, lp);
            if (::GetKeyState(VK_CONTROL) >= 0) code |= DLGC_WANTTAB;
            return code;
        }
        case EM_REPLACESEL:
            return ReplaceSelection(wp, lp);
        case WM_SETTEXT: {
            const bool was_setting = std::exchange(setting_text_, true);
            LRESULT r = DefaultHandler(msg, wp, lp);
            setting_text_ = was_setting;
            if (!setting_text_) memo_.InnerTextChanged(false);
            memo_.ProgramReplacedText();
            memo_.PostUpdateScrollBars();
            return r;
        }
        case WM_CUT:
            if (memo_.properties_.ReadOnly()) return DefaultHandler(WM_COPY, 0, 0);
            if (!memo_.DoEditing()) return 0;
            break;
        case WM_CLEAR:
            if (memo_.properties_.ReadOnly() || !memo_.DoEditing()) return 0;
            break;
        case WM_PASTE:
            if (!memo_.properties_.ReadOnly()) Paste();
            return 0;
        case WM_ERASEBKGND:
            return EraseBelowLastLine(reinterpret_cast<HDC>(wp)) ? 1 : 0;
        case WM_NCPAINT:
            PaintNonClient(wp, lp);
            return 0;
        case WM_MOUSEWHEEL:
        case WM_WINDOWPOSCHANGED:
        case WM_SIZE: {
            LRESULT r = Control::WndProc(msg, wp, lp);
            memo_.PostUpdateScrollBars();
            return r;
        }
        default:
            break;
    }
    return Control::WndProc(msg, wp, lp);
}

LRESULT InnerMemo::ReplaceSelection(WPARAM wp, LPARAM lp) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(lp);
    std::wstring rewritten = RewriteLineFeedReturns(text ? text : L"");
    setting_text_ = true;
    LRESULT r = DefaultHandler(EM_REPLACESEL, wp, reinterpret_cast<LPARAM>(rewritten.c_str()));
    setting_text_ = false;
    // The edit value is read from the window when asked for, so a replaced
    // selection costs no copy of the whole text (a census appends thousands).
    memo_.InnerTextChanged(false);
    // Lines being added are kept for Escape by the memo; any other replacement
    // by the program becomes the text Escape returns to.
    if (!memo_.adding_lines_) memo_.ProgramReplacedText();
    memo_.PostUpdateScrollBars();
    return r;
}

void InnerMemo::Paste() {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(Handle())) return;
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        LockedGlobal locked(data);
        if (auto* chars = reinterpret_cast<const wchar_t*>(locked.data())) {
            const size_t limit = locked.size() / sizeof(wchar_t);
            text.assign(chars, std::find(chars, chars + limit, L'\0'));
        }
    }
    ::CloseClipboard();
    DWORD start = 0, end = 0;
    ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    text = FitToMaxLength(text, static_cast<int>(start), memo_.properties_.MaxLength());
    if (text.empty() || !memo_.DoEditing()) return;
    std::wstring rewritten = RewriteLineFeedReturns(text);
    setting_text_ = true;
    DefaultHandler(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(rewritten.c_str()));
    setting_text_ = false;
    memo_.InnerTextChanged(true);
    memo_.PostUpdateScrollBars();
}

bool InnerMemo::EraseBelowLastLine(HDC dc) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    int line_height = 0;
    {
        SelectGuard font(dc, FontHandle());
        SIZE size{};
        ::GetTextExtentPoint32W(dc, L"Zg", 2, &size);
        line_height = std::max<int>(size.cy, 1);
    }
    int lines = static_cast<int>(::SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
    int n = std::min<int>(client.bottom / line_height, lines);
    RECT below{0, n * line_height, client.right, client.bottom};
    UniqueBrush brush(::CreateSolidBrush(ColorToRgb(Color())));
    ::FillRect(dc, &below, brush.get());
    return true;
}

void InnerMemo::PaintNonClient(WPARAM wp, LPARAM lp) {
    if (!MemoEditor::CustomScrollBarsAvailable()) {
        DefaultHandler(WM_NCPAINT, wp, lp);
        return;
    }
    HWND h = Handle();
    LONG_PTR style = ::GetWindowLongPtrW(h, GWL_STYLE);
    const LONG_PTR bars = WS_HSCROLL | WS_VSCROLL;
    ::SetWindowLongPtrW(h, GWL_STYLE, style & ~bars);
    DefaultHandler(WM_NCPAINT, wp, lp);
    ::SetWindowLongPtrW(h, GWL_STYLE, style);
    if ((style & bars) != bars) return;
    SCROLLBARINFO hinfo{sizeof(hinfo)}, vinfo{sizeof(vinfo)};
    if (!ScrollBarInfo()(h, OBJID_HSCROLL, &hinfo) || !ScrollBarInfo()(h, OBJID_VSCROLL, &vinfo)) return;
    const DWORD hidden = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if ((hinfo.rgstate[0] & hidden) || (vinfo.rgstate[0] & hidden)) return;
    RECT window;
    ::GetWindowRect(h, &window);
    RECT corner{vinfo.rcScrollBar.left - window.left, hinfo.rcScrollBar.top - window.top,
                vinfo.rcScrollBar.right - window.left, hinfo.rcScrollBar.bottom - window.top};
    WindowDc dc(h, true);
    UniqueBrush face(::CreateSolidBrush(ColorToRgb(clBtnFace)));
    ::FillRect(dc.get(), &corner, face.get());
}

// --- lines -------------------------------------------------------------------------------

MemoLines::MemoLines(MemoEditor& memo) : EditLines(memo.inner_), memo_(memo) {}

void MemoLines::AddStrings(std::span<const std::wstring> lines) {
    memo_.adding_lines_ = true;
    EditLines::AddStrings(lines);
    memo_.adding_lines_ = false;
    memo_.ProgramAddedText([lines](std::wstring& value) { value += AppendedText(EmptyOrEndsWithBreak(value), lines); });
}

// --- memo --------------------------------------------------------------------------------

MemoEditor::MemoEditor() : inner_(*this), lines_(std::make_unique<MemoLines>(*this)) {
    SetBounds(Left(), Top(), 185, 89);
    SetInnerControl(&inner_);
    inner_.SetParent(this);
    hbar_ = std::make_unique<ControlScrollBar>(&GetLookAndFeel());
    vbar_ = std::make_unique<ControlScrollBar>(&GetLookAndFeel());
    vbar_->SetKind(ScrollBarKind::Vertical);
    for (ControlScrollBar* bar : {hbar_.get(), vbar_.get()}) {
        bar->SetParent(this);
        bar->OnScroll = [this](ScrollBar& sender, int code, int& position) { BarScrolled(sender, code, position); };
    }
    properties_.OnPropertiesChanged = [this] { PropertiesChanged(); };
    ShortRefreshContainer(false);
}

MemoEditor::~MemoEditor() {
    BeginDestroyingContainer();
    DestroyHandle();
    hbar_->SetParent(nullptr);
    vbar_->SetParent(nullptr);
    inner_.SetParent(nullptr);
}

std::wstring MemoEditor::EditValue() { return lines_->Text(); }

void MemoEditor::RestoreValue(const std::wstring& value) { lines_->SetText(value); }

IntRect MemoEditor::InnerBounds() const {
    IntRect r = ViewInfo().client_rect;
    return {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void MemoEditor::PaintContent(PainterCanvas& canvas) {
    const IntRect& c = ViewInfo().client_rect;
    canvas.FrameBorders({c.left, c.top, c.right, c.bottom}, ViewInfo().background, sdAll, 1);
}

void MemoEditor::PropertiesChanged() {
    if (Destroying()) return;
    bool recreate = properties_.ScrollBars() != applied_scroll_bars_ || properties_.WordWrap() != applied_word_wrap_;
    applied_scroll_bars_ = properties_.ScrollBars();
    applied_word_wrap_ = properties_.WordWrap();
    if (inner_.HandleAllocated()) {
        if (recreate) {
            inner_.RecreateWnd();
        } else {
            HWND h = inner_.Handle();
            ::SendMessageW(h, EM_SETREADONLY, properties_.ReadOnly(), 0);
            ::SendMessageW(h, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(properties_.MaxLength(), 0)), 0);
        }
        inner_.Invalidate();
    }
    PostUpdateScrollBars();
}

void MemoEditor::InnerKeyDown(WORD& key, unsigned shift) {
    if ((key == 'A') && (shift & ssCtrl) && !(shift & ssAlt) && Lines().Count() > 0) {
        ::SendMessageW(inner_.Handle(), EM_SETSEL, 0, -1);
        inner_.swallow_select_all_char_ = true;
        key = 0;
        return;
    }
    EditKeyDown(key, shift);
}

void MemoEditor::VisibleChanged() {
    CustomEdit::VisibleChanged();
    PostUpdateScrollBars();
}

LRESULT MemoEditor::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kUpdateScrollBarsMessage:
            update_posted_ = false;
            UpdateScrollBars();
            return 0;
        case WM_WINDOWPOSCHANGED:
        case WM_NCCALCSIZE:
        case WM_SHOWWINDOW: {
            LRESULT r = CustomEdit::WndProc(msg, wp, lp);
            PostUpdateScrollBars();
            return r;
        }
        default:
            return CustomEdit::WndProc(msg, wp, lp);
    }
}

void MemoEditor::AddLinesUnpainted(std::span<const std::wstring> lines) {
    if (lines.empty()) return;
    if (!inner_.HandleAllocated()) {
        lines_->AddStrings(lines);
        return;
    }
    HWND h = inner_.Handle();
    ::SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    lines_->AddStrings(lines);
    ::SendMessageW(h, WM_SETREDRAW, TRUE, 0);
}

void MemoEditor::PaintNow() {
    if (!inner_.HandleAllocated()) return;
    ::InvalidateRect(inner_.Handle(), nullptr, TRUE);
    UpdateScrollBars();
    inner_.Update();
}

bool MemoEditor::CustomScrollBarsAvailable() { return ScrollBarInfo() != nullptr; }

void MemoEditor::PostUpdateScrollBars() {
    if (update_posted_ || IsDestroyingContainer() || Destroying() || !HandleAllocated()) return;
    update_posted_ = ::PostMessageW(Handle(), kUpdateScrollBarsMessage, 0, 0) != FALSE;
}

void MemoEditor::UpdateScrollBars() {
    if (IsDestroyingContainer() || updating_bars_ || !CustomScrollBarsAvailable()) return;
    updating_bars_ = true;
    UpdateBar(*hbar_, true);
    UpdateBar(*vbar_, false);
    updating_bars_ = false;
}

void MemoEditor::UpdateBar(ControlScrollBar& bar, bool horizontal) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    bool shown = !Destroying() && Parent() && HandleAllocated() && inner_.HandleAllocated() &&
                 ScrollBarInfo()(inner_.Handle(), horizontal ? OBJID_HSCROLL : OBJID_VSCROLL, &info) &&
                 !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
    if (shown) {
        bar.SetEnabled(!(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE));
        RECT r = info.rcScrollBar;
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        int w = r.right - r.left, h = r.bottom - r.top;
        if (r.left >= 0 && r.top >= 0 && w <= Width() && h <= Height()) {
            bar.SetBounds(r.left, r.top, w, h);
        } else {
            shown = false;
            bar.SetBounds(0, 0, 0, 0);
        }
    }
    bar.SetVisible(shown);
    if (!shown) return;
    bar.BringToFront();
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS};
    if (!::GetScrollInfo(inner_.Handle(), horizontal ? SB_HORZ : SB_VERT, &si)) return;
    int page = std::min<int>(static_cast<int>(si.nPage), si.nMax);
    bool enabled = bar.Enabled();
    bar.SetScrollParams(si.nMin, std::max(si.nMax, si.nMin), true, std::max(page, 0), si.nPos);
    // Moving the position enables a bar; the native bar's state decides.
    if (bar.Enabled() != enabled) bar.SetEnabled(enabled);
    bar.BringToFront();
}

// A multi-line edit's vertical position is its first visible line. The thumb's
// position goes there by a line scroll rather than through WM_VSCROLL: that
// message packs the position into 16 bits (a long list passes 65,535 lines),
// and Wine's edit keeps its reported position still while it tracks a thumb,
// which would pull the painted thumb back to where the drag began.
void MemoEditor::ScrollToLine(int line) {
    HWND h = inner_.Handle();
    int first = static_cast<int>(::SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0));
    if (line != first) ::SendMessageW(h, EM_LINESCROLL, 0, line - first);
}

void MemoEditor::BarScrolled(ScrollBar& bar, int code, int& position) {
    if (!inner_.HandleAllocated()) return;
    HWND h = inner_.Handle();
    const bool vertical = &bar == vbar_.get();
    if (vertical && (code == SB_LINEUP || code == SB_LINEDOWN)) {
        ::SendMessageW(h, EM_LINESCROLL, 0, code == SB_LINEUP ? -1 : 1);
    } else if (vertical && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)) {
        ScrollToLine(position);
    } else {
        // Tracking is sent as the final position: an edit that tracks keeps its
        // reported position still until the end, and the bar reads it back.
        int sent = code == SB_THUMBTRACK ? SB_THUMBPOSITION : code;
        inner_.NativeScroll(vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(sent, position),
                            reinterpret_cast<LPARAM>(bar.Handle()));
    }
    position = ::GetScrollPos(h, vertical ? SB_VERT : SB_HORZ);
    UpdateScrollBars();
}

}  // namespace census
