#include "editors/edit_container.h"

#include "runtime/form.h"

namespace census {

EditContainer::EditContainer() : style_(this) {
    SetTabStop(true);
    SetParentColor(false);
    Control::SetColor(clWindow);
    look_and_feel_.SetMaster(&style_.GetLookAndFeel());
    look_and_feel_.AddListener(this);
    style_.OnChanged = [this] { StyleChanged(); };
    CalculateViewInfo(false);
}

EditContainer::~EditContainer() {
    destroying_container_ = true;
    look_and_feel_.RemoveListener(this);
    DestroyHandle();
}

bool EditContainer::IsFocused() const {
    HWND focus = ::GetFocus();
    if (!focus) return false;
    if (Focused()) return true;
    return inner_ && inner_->HandleAllocated() && inner_->Focused();
}

void EditContainer::SetFocus() {
    if (!CanFocus()) return;
    Control::SetFocus();
    if (Focused() && inner_ && inner_->CanFocus()) inner_->SetFocus();
}

void EditContainer::CalculateViewInfo(bool consider_mouse) {
    ContainerViewInputs in;
    in.width = Width();
    in.height = Height();
    in.enabled = Enabled();
    in.focused = IsFocused();
    if (consider_mouse && HandleAllocated()) {
        POINT p{};
        ::GetCursorPos(&p);
        RECT screen = ScreenBounds();
        in.mouse_inside = ::PtInRect(&screen, p) != FALSE;
    }
    in.border_style = style_.BorderStyle();
    in.border_never_drawn = !DrawsBorder();
    in.hot_track = style_.HotTrack();
    in.transparent_border = style_.TransparentBorder();
    in.shadow_size = Scaled(kShadowDepth);
    in.shadow = style_.Shadow();
    in.edges = style_.Edges();
    in.color = style_.Color();
    in.border_color = style_.BorderColor();
    view_ = CalculateContainerViewInfo(in);
}

RECT EditContainer::ScreenBounds() {
    RECT r{0, 0, Width(), Height()};
    if (HandleAllocated()) ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void EditContainer::ShortRefreshContainer(bool consider_mouse) {
    if (destroying_container_ || moving_inner_) return;
    CalculateViewInfo(consider_mouse);
    PlaceInnerControl();
    UpdateWindowRegion();
    if (inner_) {
        InvalidateBorderRing();
    } else {
        Invalidate();
    }
}

void EditContainer::PlaceInnerControl() {
    if (!inner_) return;
    IntRect c = InnerBounds();
    moving_inner_ = true;
    if (inner_->Left() != c.left || inner_->Top() != c.top || inner_->Width() != c.Width() ||
        inner_->Height() != c.Height()) {
        inner_->SetBounds(c.left, c.top, c.Width(), c.Height());
    }
    moving_inner_ = false;
    inner_->SetColor(view_.background);
    FontSpec font = Font();
    if (!Enabled()) font.color = clBtnShadow;
    inner_->SetFont(font);
    if (inner_->Enabled() != Enabled()) inner_->SetEnabled(Enabled());
}

void EditContainer::UpdateWindowRegion() {
    if (!HandleAllocated()) return;
    Region wanted(ToRect(OuterBorderRect(view_)));
    if (view_.shadow) {
        IntRect s = OuterBorderRect(view_);
        const int d = view_.shadow_size;
        Region shadow(RECT{s.left + d, s.top + d, s.right + d, s.bottom + d});
        wanted.Combine(shadow, RegionOp::Or);
    }
    if (!region_.Handle() || !region_.Equals(wanted)) {
        UniqueRegion given(::CreateRectRgn(0, 0, 0, 0));
        ::CombineRgn(given.get(), wanted.Handle(), nullptr, RGN_COPY);
        // The window owns the region once the call succeeds; a refused one
        // stays ours to delete, and the next update tries again.
        if (!::SetWindowRgn(Handle(), given.get(), TRUE)) return;
        given.release();
        region_ = std::move(wanted);
    }
}

void EditContainer::InvalidateBorderRing() {
    if (!HandleAllocated()) return;
    const IntRect& b = view_.border_rect;
    const RECT strips[] = {{0, 0, Width(), b.top},
                           {0, b.bottom, Width(), Height()},
                           {0, b.top, b.left, b.bottom},
                           {b.right, b.top, Width(), b.bottom}};
    for (const RECT& r : strips) ::InvalidateRect(Handle(), &r, FALSE);
}

void EditContainer::StyleChanged() {
    if (destroying_container_) return;
    CalculateViewInfo(style_.HotTrack());
    bool parent_color = ParentColor();
    Control::SetColor(style_.Color());
    if (parent_color) SetParentColor(true);
    Control::SetFont(style_.Font());
    ShortRefreshContainer(style_.HotTrack());
}

void EditContainer::WindowCreated() { ShortRefreshContainer(style_.HotTrack()); }
void EditContainer::BoundsChanged() { ShortRefreshContainer(style_.HotTrack()); }

// The container's font is its style's.
void EditContainer::ScaleFont(int new_dpi, int old_dpi) {
    FontSpec font = style_.Font();
    font.height = ScaleDpi(font.height, new_dpi, old_dpi);
    style_.SetFont(font);
}

void EditContainer::DpiChanged(int old_dpi) {
    Control::DpiChanged(old_dpi);
    ShortRefreshContainer(style_.HotTrack());
    Invalidate();
}

void EditContainer::EnabledChanged() {
    ShortRefreshContainer(style_.HotTrack());
    Invalidate();
}

void EditContainer::InnerFocusChanged() { ShortRefreshContainer(style_.HotTrack()); }

// --- mouse ---------------------------------------------------------------------------

void EditContainer::MouseEnter() {
    Control::MouseEnter();
    ShortRefreshContainer(style_.HotTrack());
}

void EditContainer::MouseMove(unsigned shift, int x, int y) {
    Control::MouseMove(shift, x, y);
    if (!style_.HotTrack()) return;
    ShortRefreshContainer(true);
}

void EditContainer::MouseLeave() {
    Control::MouseLeave();
    // The mouse is over neither the container nor its inner control, even
    // where another window covers its bounds.
    ShortRefreshContainer(false);
}

void EditContainer::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (button == MouseButton::Left && !IsFocused()) SetFocus();
    Control::MouseDown(button, shift, x, y);
    ShortRefreshContainer(style_.HotTrack());
}

void EditContainer::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    Control::MouseUp(button, shift, x, y);
    ShortRefreshContainer(style_.HotTrack());
}

// --- messages and painting ---------------------------------------------------------------

LRESULT EditContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCPAINT:
            return 0;
        case WM_SETFOCUS: {
            HWND from = reinterpret_cast<HWND>(wp);
            if (inner_ && inner_->HandleAllocated() && from == inner_->Handle()) return 0;
            LRESULT r = Control::WndProc(msg, wp, lp);
            if (inner_ && inner_->CanFocus()) inner_->SetFocus();
            InnerFocusChanged();
            return r;
        }
        case WM_KILLFOCUS: {
            HWND to = reinterpret_cast<HWND>(wp);
            if (inner_ && inner_->HandleAllocated() && to == inner_->Handle()) return 0;
            LRESULT r = Control::WndProc(msg, wp, lp);
            InnerFocusChanged();
            return r;
        }
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT) {
                POINT p{};
                ::GetCursorPos(&p);
                p = ScreenToClient(p);
                RECT client = ToRect(view_.client_rect);
                if (!::PtInRect(&client, p)) {
                    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
                    return TRUE;
                }
            }
            break;
        default:
            break;
    }
    return Control::WndProc(msg, wp, lp);
}

void EditContainer::Paint(Canvas& canvas) {
    PainterCanvas surface(canvas, Dpi());
    PaintView(surface);
    PaintContent(surface);
}

void EditContainer::PaintView(PainterCanvas& canvas) {
    SavedDcState saved(canvas.Handle());
    const int w = view_.border_width;
    RECT r = ToRect(view_.border_rect);
    r.left -= w;
    r.top -= w;
    if (view_.edges & sdRight) r.right += w;
    if (view_.edges & sdBottom) r.bottom += w;
    if (view_.shadow) {
        const int d = view_.shadow_size;
        canvas.FillRect({r.left + d, r.bottom, r.right, r.bottom + d}, clBtnShadow);
        canvas.FillRect({r.right, r.top + d, r.right + d, r.bottom + d}, clBtnShadow);
        canvas.ExcludeClipRect({r.left, r.bottom, r.right, r.bottom + d});
        canvas.ExcludeClipRect({r.right, r.top, r.right + d, r.bottom + d});
    }
    if (!(view_.edges & sdRight)) r.right += w;
    if (!(view_.edges & sdBottom)) r.bottom += w;
    switch (view_.drawn_style) {
        case cbsSingle:
        case cbsThick:
            canvas.FrameBorders(r, view_.border_color, sdAll, w);
            break;
        case cbsFlat:
        case cbs3D: {
            canvas.BevelEdge(r, true, view_.edges, true);
            RECT inner = r;
            ::InflateRect(&inner, -1, -1);
            if (view_.drawn_style == cbsFlat) {
                canvas.FrameBorders(inner, clBtnFace, sdAll, 1);
            } else {
                canvas.TwoToneFrame(inner, cl3DDkShadow, 1, view_.edges, cl3DLight);
            }
            break;
        }
        default:
            break;
    }
    canvas.FillRect(ToRect(view_.border_rect), view_.background);
}

}  // namespace census
