#include "decor/balloon_hint_window.h"

#include "decor/balloon_hints.h"
#include "decor/frames.h"
#include "decor/gradients.h"
#include "runtime/application.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace census {

namespace {

// Live balloon windows, so that a component that goes can take itself away
// from every window that linked to it.
std::vector<BalloonHintWindow*>& LiveWindows() {
    static std::vector<BalloonHintWindow*> live;
    return live;
}

// The application's show-hint handler while a balloon window is the hint
// window; a type of its own so that the window can tell it is still in place.
struct BalloonShowHint {
    BalloonHintWindow* window;
    void operator()(std::wstring& hint, bool& can_show, HintInfo& info) const {
        window->HandleShowHint(hint, can_show, info);
    }
};

POINT ToPoint(const BalloonPoint& p) { return {p.x, p.y}; }

int PlainTextShift(TextAlignment alignment) {
    switch (alignment) {
        case taRightJustify: return -2;
        case taCenter: return 0;
        default: return 2;
    }
}

UINT AlignmentFlags(TextAlignment alignment) {
    switch (alignment) {
        case taRightJustify: return DT_RIGHT;
        case taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

void Triangle(Canvas& canvas, const std::array<BalloonPoint, 3>& points, TColor color_pen, TColor color_brush) {
    canvas.SetPen({color_pen, 1, PenStyle::Solid});
    canvas.SetBrush({color_brush, BrushStyle::Solid});
    canvas.Polygon({ToPoint(points[0]), ToPoint(points[1]), ToPoint(points[2])});
}

void RoundBody(Canvas& canvas, const RECT& r, TColor pen, TColor brush, int corner) {
    canvas.SetPen({pen, 1, PenStyle::Solid});
    canvas.SetBrush({brush, BrushStyle::Solid});
    canvas.RequirePen();
    canvas.RequireBrush();
    ::RoundRect(canvas.Handle(), r.left, r.top, r.right, r.bottom, corner, corner);
}

// The pixels of a 32-bit memory bitmap, row by row, colour bits only.
std::vector<std::uint32_t> PixelsOf(const MemoryBitmap& bitmap) {
    ::GdiFlush();
    DIBSECTION dib{};
    std::vector<std::uint32_t> pixels;
    if (::GetObjectW(bitmap.Bitmap(), sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits) return pixels;
    if (dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmWidth != bitmap.Width() || dib.dsBm.bmHeight != bitmap.Height())
        return pixels;
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    pixels.assign(bits, bits + static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height()));
    for (std::uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

UniqueRegion RegionOf(const std::vector<PixelRun>& runs) {
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    for (const PixelRun& run : runs) {
        UniqueRegion row(::CreateRectRgn(run.left, run.y, run.right, run.y + 1));
        ::CombineRgn(region.get(), region.get(), row.get(), RGN_OR);
    }
    return region;
}

}  // namespace

void UnlinkBalloonHintWindows(BalloonHints& component) {
    for (BalloonHintWindow* w : LiveWindows())
        if (w->LinkedComponent() == &component) w->Link(nullptr);
}

BalloonHintWindow::BalloonHintWindow() {
    LiveWindows().push_back(this);
    HintManager& hints = Application::Instance().Hints();
    previous_handler_ = hints.OnShowHint;
    hints.OnShowHint = BalloonShowHint{this};
    Link(NewestBalloonHints());
}

BalloonHintWindow::~BalloonHintWindow() {
    Link(nullptr);
    auto& live = LiveWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    HintManager& hints = Application::Instance().Hints();
    // Only a handler that is still ours is given back; a later one stays.
    const auto* current = hints.OnShowHint.target<BalloonShowHint>();
    if (current && current->window == this) hints.OnShowHint = std::move(previous_handler_);
}

void BalloonHintWindow::Link(BalloonHints* component) {
    if (component_ && component_->LinkedHintWindow() == this) component_->SetLinkedHintWindow(nullptr);
    component_ = component;
    if (!component_) return;
    component_->SetLinkedHintWindow(this);
    SetDpi(component_->Dpi());
    caption_width_ = component_->CaptionWidth();
    SetColor(component_->Color());
    corner_ = component_->Corner();
    SetAlignment(component_->Alignment());
    OnSetHintWinSize = component_->OnSetHintWinSize();
    OnSetHintRect = component_->OnSetHintRect();
    SetFont(component_->Font());
}

void BalloonHintWindow::SetAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

bool BalloonHintWindow::ShowBalloon() const { return component_ ? component_->ShowBalloon() : true; }

bool BalloonHintWindow::Shadow() const { return component_ ? component_->Shadow() : false; }

void BalloonHintWindow::FillCreateParams(CreateParams& params) {
    HintWindow::FillCreateParams(params);
    params.style = WS_POPUP;
    // A transparent hit test alone does not let the mouse through on every
    // platform (a window may still catch what falls on it); a layered window
    // marked transparent is passed over by the system itself, so every click
    // and move reaches the window below.
    params.ex_style = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
    params.class_style = CS_SAVEBITS;
}

bool BalloonHintWindow::IsHintMsg(const MSG& msg) const { return IsDefaultHintMsg(msg); }

// --- one showing ------------------------------------------------------------------

void BalloonHintWindow::HandleShowHint(std::wstring& hint, bool& can_show, HintInfo& info) {
    info.color = component_ ? component_->Color() : Color();
    info.max_width = component_ ? component_->CaptionWidth() : caption_width_;
    can_show = true;
    if (component_ && component_->OnShowHint) component_->OnShowHint(hint, can_show, info);
    SetColor(info.color);
    has_anchor_ = info.control && info.control->HandleAllocated();
    if (has_anchor_) anchor_ = info.control->ClientToScreen(info.cursor_pos);
}

void BalloonHintWindow::ActivateHint(RECT rect, const std::wstring& hint) {
    SetCaption(hint);
    WindowDc screen(nullptr);
    Canvas canvas(screen.get());
    canvas.SetFontHandle(FontHandle(), Font().color);
    if (OnSetHintRect) OnSetHintRect(*this, canvas, used_corner_, Caption(), rect);
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);

    const bool balloon = ShowBalloon();
    const BalloonPoint anchor = has_anchor_ ? BalloonPoint{anchor_.x, anchor_.y} : BalloonPoint{Left(), Top()};
    const BalloonMetrics metrics = BalloonMetricsAt(Dpi());
    const BalloonRect frame = BalloonFrame(FromRect<BalloonRect>(rect), used_corner_, balloon, Shadow(), anchor, metrics);
    int width = BalloonWidth(frame.Width(), metrics), height = frame.Height();
    if (OnSetHintWinSize) {
        OnSetHintWinSize(*this, canvas, used_corner_, Caption(), height, width);
        width = BalloonWidth(width, metrics);
    }
    if (!balloon) corner_ = hcLowerRight;
    const BalloonPlacement place = PlaceBalloon(frame, width, height, corner_, ::GetSystemMetrics(SM_CXSCREEN),
                                                ::GetSystemMetrics(SM_CYSCREEN));
    used_corner_ = place.corner;
    SetBounds(place.x, place.y, width, height);
    ApplyShape();
    ::SetWindowPos(Handle(), HWND_TOPMOST, place.x, place.y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
    track_mouse_ = true;
}

void BalloonHintWindow::ReleaseHint() {
    track_mouse_ = false;
    has_anchor_ = false;
    HintWindow::ReleaseHint();
}

void BalloonHintWindow::TextChanged() {
    HintWindow::TextChanged();
    SizeFromText();
}

void BalloonHintWindow::SizeFromText() {
    WindowDc screen(nullptr);
    Canvas canvas(screen.get());
    canvas.SetFontHandle(FontHandle(), Font().color);
    RECT r{0, 0, caption_width_, 0};
    canvas.DrawText(Caption(), r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
    if (OnSetHintRect) OnSetHintRect(*this, canvas, used_corner_, Caption(), r);
    const BalloonMetrics metrics = BalloonMetricsAt(Dpi());
    int width = BalloonWidth(r.right - r.left, metrics), height = r.bottom - r.top;
    if (OnSetHintWinSize) OnSetHintWinSize(*this, canvas, used_corner_, Caption(), height, width);
    SetBounds(Left(), Top(), BalloonWidth(width, metrics), height);
}

// The window keeps the pixels its paint covers: painted over black and over
// white, a pixel that comes out the same was painted. Exact to the pixel
// whatever the platform's rounded shapes and fills do at their edges.
void BalloonHintWindow::ApplyShape() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    auto paint_over = [&](TColor background) {
        MemoryBitmap bitmap(w, h);
        bitmap.Fill(background);
        {
            Canvas canvas(bitmap.Dc());
            canvas.SetFontHandle(FontHandle(), Font().color);
            Paint(canvas);
        }
        return PixelsOf(bitmap);
    };
    const std::vector<std::uint32_t> over_black = paint_over(clBlack), over_white = paint_over(clWhite);
    UniqueRegion region = RegionOf(PaintedRuns(w, h, over_black, over_white));
    // The system owns the region once the window has it.
    if (region && ::SetWindowRgn(Handle(), region.get(), FALSE)) region.release();
}

// --- painting --------------------------------------------------------------------------

void BalloonHintWindow::Paint(Canvas& canvas) {
    const BalloonRect body = BalloonBody(Width(), Height(), used_corner_, ShowBalloon(), Shadow(), BalloonMetricsAt(Dpi()));
    canvas.SetFontHandle(FontHandle(), Font().color);
    canvas.SetBrush({Color(), BrushStyle::Solid});
    canvas.SetPen({clBlack, 1, PenStyle::Solid});
    DrawBalloon(canvas, ToRect(body));
}

void BalloonHintWindow::DrawBalloon(Canvas& canvas, RECT body) {
    if (OnSetHintRect) OnSetHintRect(*this, canvas, used_corner_, Caption(), body);
    const bool balloon = ShowBalloon(), shadow = Shadow();
    const BalloonShape shape = ShapeBalloon(FromRect<BalloonRect>(body), Height(), used_corner_, balloon, shadow,
                                            Scaled(PlainTextShift(alignment_)), BalloonMetricsAt(Dpi()));
    if (!DrawCornerPicture(canvas)) {
        if (balloon)
            DrawBalloonShape(canvas, shape, shadow);
        else
            DrawPlainRectangle(canvas, body, shadow);
    }
    DrawCaption(canvas, ToRect(shape.text));
}

void BalloonHintWindow::DrawBalloonShape(Canvas& canvas, const BalloonShape& shape, bool shadow) {
    const RECT b = ToRect(shape.body);
    const int corner = BalloonMetricsAt(Dpi()).corner;
    if (shadow) {
        RoundBody(canvas, {b.left + 2, b.top + 2, b.right + 2, b.bottom + 2}, clBtnShadow, clBtnShadow, corner);
        RoundBody(canvas, {b.left + 1, b.top + 1, b.right + 1, b.bottom + 1}, cl3DDkShadow, cl3DDkShadow, corner);
    }
    RoundBody(canvas, b, clInfoText, Color(), corner);
    if (shape.has_tail_shadow) {
        Triangle(canvas, shape.tail_shadow[0], clBtnShadow, clBtnShadow);
        Triangle(canvas, shape.tail_shadow[1], cl3DDkShadow, cl3DDkShadow);
    }
    // The tail is always in the hint colour, whatever the body's colour.
    Triangle(canvas, shape.tail, clInfoText, clInfoBk);
    canvas.FillRect(ToRect(shape.join));
}

void BalloonHintWindow::DrawPlainRectangle(Canvas& canvas, const RECT& body, bool shadow) {
    canvas.Rectangle(body);
    if (shadow) {
        RECT inside = FrameSideLines(canvas, body, clBtnHighlight, clBlack, sdAll);
        FrameSideLines(canvas, inside, Color(), clBtnShadow, sdAll);
    } else {
        FrameSideLines(canvas, body, clInfoText, clInfoText, sdAll);
    }
}

bool BalloonHintWindow::DrawCornerPicture(Canvas& canvas) {
    if (!component_) return false;
    const BalloonBitmaps& bitmaps = component_->Bitmaps();
    const std::optional<CornerPicture> choice = ChooseCornerPicture(used_corner_, bitmaps.Present());
    if (!choice) return false;
    HBITMAP picture = bitmaps.Picture(choice->source);
    BITMAP info{};
    if (!::GetObjectW(picture, sizeof(info), &info)) return false;
    // A mirrored picture is read with its edges swapped.
    RECT source{0, 0, info.bmWidth, info.bmHeight};
    if (choice->mirror_x) std::swap(source.left, source.right);
    if (choice->mirror_y) std::swap(source.top, source.bottom);
    StretchDrawTransparent(canvas, picture, {0, 0, Width(), Height()}, source, bitmaps.TransparentColor());
    return true;
}

void BalloonHintWindow::DrawCaption(Canvas& canvas, const RECT& r) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    RECT text = r;
    canvas.DrawText(Caption(), text, AlignmentFlags(alignment_) | DT_NOPREFIX | DT_WORDBREAK);
}

// --- mouse and focus ------------------------------------------------------------------------

void BalloonHintWindow::MouseMoved(POINT screen) {
    if (!track_mouse_ || !has_anchor_ || !HandleAllocated()) return;
    const int still = Scaled(2);
    if (std::abs(screen.x - anchor_.x) <= still && std::abs(screen.y - anchor_.y) <= still) return;
    // Only a move onto the balloon itself counts, as if the balloon had caught it.
    RECT bounds;
    ::GetWindowRect(Handle(), &bounds);
    if (!::PtInRect(&bounds, screen)) return;
    UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(Handle(), shape.get()) != ERROR &&
        !::PtInRegion(shape.get(), screen.x - bounds.left, screen.y - bounds.top))
        return;
    track_mouse_ = false;
    Application::Instance().Hints().CancelHint();
}

void BalloonHintWindow::WindowCreated() {
    HintWindow::WindowCreated();
    // Fully opaque: layered only so that the mouse passes through.
    ::SetLayeredWindowAttributes(Handle(), 0, 255, LWA_ALPHA);
}

LRESULT BalloonHintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_NCPAINT: return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_SETFOCUS:
            if (wp) ::SetFocus(reinterpret_cast<HWND>(wp));
            return 0;
        default: return HintWindow::WndProc(msg, wp, lp);
    }
}

}  // namespace census
