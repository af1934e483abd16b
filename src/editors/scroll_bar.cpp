#include "editors/scroll_bar.h"

#include "editors/edit_container.h"
#include "runtime/errors.h"

#include <algorithm>

namespace census {

namespace {

constexpr UINT_PTR kRepeatTimerId = 1;
// How far the cursor may stray from a bar while dragging its thumb before the
// position snaps back: along the bar and across it (at 96 pixels per inch).
constexpr int kTrackSlackAlong = 34;
constexpr int kTrackSlackAcross = 136;


}  // namespace

ScrollBar::ScrollBar() {
    SetBounds(0, 0, 121, SystemMetricForDpi(SM_CYHSCROLL, Dpi()));
    look_and_feel_.AddListener(this);
    theme_notificator_ = std::make_unique<ThemeChangedNotificator>([this] {
        UpdateMinThumbSize();
        RecalculateLayout();
        Invalidate();
    });
    UpdateMinThumbSize();
    RecalculateLayout();
}

ScrollBar::~ScrollBar() {
    look_and_feel_.RemoveListener(this);
    DestroyHandle();
}

void ScrollBar::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_style = CS_DBLCLKS;
}

void ScrollBar::WindowCreated() { RecalculateLayout(); }

ScrollBarMetrics ScrollBar::Metrics() const {
    ScrollBarMetrics m;
    m.horizontal = kind_ == ScrollBarKind::Horizontal;
    m.width = Width();
    m.height = Height();
    m.arrow_size = SystemMetricForDpi(m.horizontal ? SM_CYHSCROLL : SM_CXVSCROLL, Dpi());
    m.fixed_thumb = SystemMetricForDpi(m.horizontal ? SM_CXHTHUMB : SM_CYVTHUMB, Dpi());
    m.min_thumb = min_thumb_;
    m.enabled = Enabled();
    return m;
}

void ScrollBar::UpdateMinThumbSize() { min_thumb_ = Scaled(Painter().ScrollBarMinThumbSize()); }

void ScrollBar::RecalculateLayout() { layout_ = LayoutScrollBar(Metrics(), range_); }

void ScrollBar::RecalculateThumb() { RecalculateLayout(); }

void ScrollBar::SetKind(ScrollBarKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    RecalculateLayout();
    Invalidate();
}

void ScrollBar::SetScrollParams(int min, int max, bool redraw, int page, int position) {
    if (max < min || max < page) throw Exception(L"Scrollbar property out of range");
    position = std::clamp(position, min, max);
    if (min == range_.min && max == range_.max && page == range_.page && position == range_.position) return;
    range_.min = min;
    range_.max = max;
    range_.page = page;
    bool moved = position != range_.position;
    if (moved) {
        if (!Enabled()) SetEnabled(true);
        range_.position = position;
    }
    RecalculateThumb();
    if (redraw && HandleAllocated()) Repaint();
    if (moved && OnChange) OnChange(*this);
}

void ScrollBar::Scroll(int code) {
    int proposed = range_.position;
    switch (code) {
        case SB_LINEUP: proposed -= small_change_; break;
        case SB_LINEDOWN: proposed += small_change_; break;
        case SB_PAGEUP: proposed -= large_change_; break;
        case SB_PAGEDOWN: proposed += large_change_; break;
        case SB_TOP: proposed = range_.min; break;
        case SB_BOTTOM: proposed = range_.max; break;
        default: break;
    }
    proposed = std::clamp(proposed, range_.min, range_.max);
    if (OnScroll) OnScroll(*this, code, proposed);
    proposed = std::clamp(proposed, range_.min, range_.max);
    if (proposed == range_.position) return;
    if (code == SB_THUMBTRACK) {
        range_.position = proposed;
        if (HandleAllocated()) Repaint();
    } else {
        SetPosition(proposed);
    }
}

int ScrollBar::CodeForPart(ScrollPart part) {
    switch (part) {
        case spLineBack: return SB_LINEUP;
        case spLineForward: return SB_LINEDOWN;
        case spThumb: return SB_THUMBTRACK;
        case spPageBack: return SB_PAGEUP;
        case spPageForward: return SB_PAGEDOWN;
        default: return SB_ENDSCROLL;
    }
}

ButtonState ScrollBar::PartState(ScrollPart part) const {
    if (!Enabled()) return edbsDisabled;
    if (part == spThumb && !Painter().HotTracksButtons()) return edbsNormal;
    if (pressed_ != spNone) return part == pressed_ && part == hot_ ? edbsPressed : edbsNormal;
    return part == hot_ ? edbsHot : edbsNormal;
}

// --- painting ----------------------------------------------------------------------

void ScrollBar::Paint(Canvas& screen) {
    if (Width() <= 0 || Height() <= 0) return;
    if (!buffer_ || buffer_->Width() != Width() || buffer_->Height() != Height()) {
        buffer_ = std::make_unique<MemoryBitmap>(Width(), Height(), screen.Handle());
    }
    {
        Canvas canvas(buffer_->Dc());
        PainterCanvas surface(canvas, Dpi());
        const LookAndFeelPainter& painter = Painter();
        const bool horizontal = kind_ == ScrollBarKind::Horizontal;
        if (layout_.thumb.Empty()) {
            painter.PaintScrollBarPart(surface, horizontal, {0, 0, Width(), Height()}, spPageBack, edbsNormal);
        } else {
            painter.PaintScrollBarPart(surface, horizontal, ToRect(layout_.thumb), spThumb, PartState(spThumb));
        }
        painter.PaintScrollBarPart(surface, horizontal, ToRect(layout_.line_back), spLineBack, PartState(spLineBack));
        painter.PaintScrollBarPart(surface, horizontal, ToRect(layout_.line_forward), spLineForward,
                                   PartState(spLineForward));
        if (!layout_.page_back.Empty()) {
            painter.PaintScrollBarPart(surface, horizontal, ToRect(layout_.page_back), spPageBack,
                                       PartState(spPageBack));
        }
        if (!layout_.page_forward.Empty()) {
            painter.PaintScrollBarPart(surface, horizontal, ToRect(layout_.page_forward), spPageForward,
                                       PartState(spPageForward));
        }
    }
    ::BitBlt(screen.Handle(), 0, 0, Width(), Height(), buffer_->Dc(), 0, 0, SRCCOPY);
}

void ScrollBar::PaintNow() {
    if (HandleAllocated()) Repaint();
}

// --- state changes -------------------------------------------------------------------

void ScrollBar::BoundsChanged() {
    if (Width() > 0 && Height() > 0) RecalculateLayout();
    Invalidate();
}

void ScrollBar::DpiChanged(int old_dpi) {
    Control::DpiChanged(old_dpi);
    UpdateMinThumbSize();
    RecalculateLayout();
    Invalidate();
}

void ScrollBar::EnabledChanged() {
    RecalculateLayout();
    if (!Enabled()) StopPressing();
    Invalidate();
}

void ScrollBar::VisibleChanged() {
    if (!Visible()) StopPressing();
}

void ScrollBar::LookAndFeelChanged(LookAndFeel&, LookAndFeelValues) {
    UpdateMinThumbSize();
    RecalculateLayout();
    Invalidate();
}

LRESULT ScrollBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kRepeatTimerId) {
                TimerTick();
                return 0;
            }
            break;
        case WM_CANCELMODE:
            StopPressing();
            break;
        default:
            break;
    }
    return Control::WndProc(msg, wp, lp);
}

// --- mouse -------------------------------------------------------------------------------

void ScrollBar::StartTimer(UINT interval) {
    if (!HandleAllocated()) return;
    timer_interval_ = interval;
    timer_running_ = true;
    ::SetTimer(Handle(), kRepeatTimerId, interval, nullptr);
}

void ScrollBar::StopTimer() {
    if (timer_running_ && HandleAllocated()) ::KillTimer(Handle(), kRepeatTimerId);
    timer_running_ = false;
}

void ScrollBar::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    Control::MouseDown(button, shift, x, y);
    if (button != MouseButton::Left) return;
    ScrollPart part = HitTest(x, y);
    if (part == spNone) return;
    if (HandleAllocated()) ::SetCapture(Handle());
    pressed_ = hot_ = part;
    if (part == spThumb) {
        drag_start_ = {x, y};
        drag_start_position_ = range_.position;
        drag_start_thumb_ = layout_.thumb;
        Scroll(SB_THUMBTRACK);
    } else {
        Scroll(CodeForPart(part));
        StartTimer(kFirstRepeatDelay);
    }
    PaintNow();
}

void ScrollBar::TimerTick() {
    if (HandleAllocated() && ::GetCapture() == Handle() && HoldingArrowOrPage()) {
        if (timer_interval_ == kFirstRepeatDelay) StartTimer(kRepeatInterval);
        Scroll(CodeForPart(pressed_));
        POINT p{};
        ::GetCursorPos(&p);
        p = ScreenToClient(p);
        if (HitTest(p.x, p.y) != pressed_) StopTimer();
        return;
    }
    StopPressing();
}

void ScrollBar::MouseMove(unsigned shift, int x, int y) {
    Control::MouseMove(shift, x, y);
    if (pressed_ == spThumb) {
        DragThumb(x, y);
        return;
    }
    ScrollPart part = HitTest(x, y);
    if (HoldingArrowOrPage()) {
        bool over = part == pressed_;
        if (over && !timer_running_) StartTimer(timer_interval_ ? timer_interval_ : kRepeatInterval);
        if (!over && timer_running_) StopTimer();
    }
    if (part != hot_) {
        hot_ = part;
        if (Painter().HotTracksButtons() || HoldingArrowOrPage()) PaintNow();
    }
}

void ScrollBar::DragThumb(int x, int y) {
    const bool horizontal = kind_ == ScrollBarKind::Horizontal;
    RECT area{0, 0, Width(), Height()};
    if (horizontal) {
        ::InflateRect(&area, Scaled(kTrackSlackAlong), Scaled(kTrackSlackAcross));
    } else {
        ::InflateRect(&area, Scaled(kTrackSlackAcross), Scaled(kTrackSlackAlong));
    }
    if (!unlimited_tracking_ && !::PtInRect(&area, POINT{x, y})) {
        SetPosition(drag_start_position_);
        Scroll(SB_THUMBTRACK);
        return;
    }
    IntRect thumb = drag_start_thumb_;
    if (horizontal) {
        int left = std::clamp(thumb.left + x - static_cast<int>(drag_start_.x), layout_.line_back.right,
                              layout_.line_forward.left - thumb.Width());
        thumb = {left, thumb.top, left + thumb.Width(), thumb.bottom};
    } else {
        int top = std::clamp(thumb.top + y - static_cast<int>(drag_start_.y), layout_.line_back.bottom,
                             layout_.line_forward.top - thumb.Height());
        thumb = {thumb.left, top, thumb.right, top + thumb.Height()};
    }
    layout_.thumb = thumb;
    LayoutPages(Metrics(), layout_);
    PaintNow();
    int position = PositionFromThumb(Metrics(), range_, layout_);
    if (position != range_.position) {
        range_.position = std::clamp(position, range_.min, range_.max);
        Scroll(SB_THUMBTRACK);
    }
}

void ScrollBar::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    Control::MouseUp(button, shift, x, y);
    if (button != MouseButton::Left || pressed_ == spNone) return;
    StopPressing();
    hot_ = HitTest(x, y);
}

void ScrollBar::StopPressing() {
    if (pressed_ == spNone) return;
    if (pressed_ == spThumb) {
        range_.position = std::clamp(PositionFromThumb(Metrics(), range_, layout_), range_.min, range_.max);
        Scroll(SB_THUMBPOSITION);
    }
    StopTimer();
    pressed_ = hot_ = spNone;
    if (HandleAllocated() && ::GetCapture() == Handle()) ::ReleaseCapture();
    Scroll(SB_ENDSCROLL);
    RecalculateThumb();
    Invalidate();
}

void ScrollBar::MouseEnter() {
    Control::MouseEnter();
    if (Painter().HotTracksButtons() || HoldingArrowOrPage()) PaintNow();
}

void ScrollBar::MouseLeave() {
    Control::MouseLeave();
    if (!(Painter().HotTracksButtons() || HoldingArrowOrPage())) return;
    if (pressed_ != spThumb) hot_ = spNone;
    Invalidate();
}

// --- control scroll bar --------------------------------------------------------------------

ControlScrollBar::ControlScrollBar(LookAndFeel* owner_look_and_feel) {
    SetColor(clBtnFace);
    SetTabStop(false);
    SetVisible(false);
    if (owner_look_and_feel) GetLookAndFeel().SetMaster(owner_look_and_feel);
}

void ControlScrollBar::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (button == MouseButton::Left) FocusParent();
    ScrollBar::MouseDown(button, shift, x, y);
}

void ControlScrollBar::FocusParent() {
    Control* parent = Parent();
    if (!parent || !parent->CanFocus()) return;
    auto* container = dynamic_cast<EditContainer*>(parent);
    if (!container || !container->InnerControl()) {
        if (!parent->Focused()) parent->SetFocus();
        return;
    }
    // The keyboard belongs in the inner control. Focusing the container's own
    // window from there would strand it: the container lets a focus that comes
    // from its inner control pass without handing it back.
    Control* inner = container->InnerControl();
    if (!inner->HandleAllocated() || !inner->Focused()) container->SetFocus();
}

}  // namespace census
