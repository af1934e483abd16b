// A scroll bar painted by a look-and-feel painter instead of the system.
//
// Holding an arrow or a page area scrolls once at once, again after 400 ms
// and then every 60 ms while the cursor stays on that part; dragging the
// thumb tracks the position and snaps back when the cursor strays too far.
// Scroll codes are the platform's SB_* values, so an owner can hand them
// straight to a native window.
#pragma once

#include "editors/look_and_feel.h"
#include "editors/painters.h"
#include "editors/scroll_bar_geometry.h"
#include "editors/theme_service.h"
#include "runtime/control.h"

#include <functional>
#include <memory>

namespace census {

enum class ScrollBarKind { Horizontal, Vertical };

class ScrollBar : public Control, private LookAndFeelListener {
public:
    ScrollBar();
    ~ScrollBar() override;

    ScrollBarKind Kind() const { return kind_; }
    void SetKind(ScrollBarKind kind);
    int Min() const { return range_.min; }
    int Max() const { return range_.max; }
    int PageSize() const { return range_.page; }
    int Position() const { return range_.position; }
    void SetMin(int v) { SetScrollParams(v, range_.max, true, range_.page, range_.position); }
    void SetMax(int v) { SetScrollParams(range_.min, v, true, range_.page, range_.position); }
    void SetPageSize(int v) { SetScrollParams(range_.min, range_.max, true, v, range_.position); }
    void SetPosition(int v) { SetScrollParams(range_.min, range_.max, true, range_.page, v); }
    // Throws when max < min or max < page ("Scrollbar property out of range").
    void SetScrollParams(int min, int max, bool redraw, int page, int position);
    int SmallChange() const { return small_change_; }
    int LargeChange() const { return large_change_; }
    void SetSmallChange(int v) { small_change_ = v; }
    void SetLargeChange(int v) { large_change_ = v; }
    bool UnlimitedTracking() const { return unlimited_tracking_; }
    void SetUnlimitedTracking(bool v) { unlimited_tracking_ = v; }

    LookAndFeel& GetLookAndFeel() { return look_and_feel_; }
    void SetLookAndFeel(const LookAndFeel& source) { look_and_feel_.Assign(source); }

    // Runs one scroll request (SB_LINEUP ... SB_ENDSCROLL).
    void Scroll(int code);

    std::function<void(ScrollBar& sender)> OnChange;
    std::function<void(ScrollBar& sender, int code, int& position)> OnScroll;

    // For owners and tests: the parts as laid out now.
    const ScrollBarLayout& Layout() const { return layout_; }
    ScrollPart PressedPart() const { return pressed_; }
    ScrollPart HitTest(int x, int y) const { return HitTestScrollBar(Metrics(), layout_, x, y); }
    ButtonState PartState(ScrollPart part) const;

    static constexpr UINT kFirstRepeatDelay = 400;
    static constexpr UINT kRepeatInterval = 60;

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(Canvas& canvas) override;
    bool EraseBackground(HDC) override { return true; }
    void BoundsChanged() override;
    void DpiChanged(int old_dpi) override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
    void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
    void MouseMove(unsigned shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;

    const LookAndFeelPainter& Painter() const { return look_and_feel_.Painter(); }
    void StopPressing();

private:
    void LookAndFeelChanged(LookAndFeel& sender, LookAndFeelValues changed) override;
    void LookAndFeelDestroying(LookAndFeel&) override {}

    ScrollBarMetrics Metrics() const;
    void RecalculateLayout();
    void RecalculateThumb();
    void UpdateMinThumbSize();
    void PaintNow();
    void StartTimer(UINT interval);
    void StopTimer();
    void TimerTick();
    void DragThumb(int x, int y);
    static int CodeForPart(ScrollPart part);
    bool HoldingArrowOrPage() const { return pressed_ != spNone && pressed_ != spThumb; }

    ScrollBarKind kind_ = ScrollBarKind::Horizontal;
    ScrollRange range_;
    int small_change_ = 1;
    int large_change_ = 1;
    bool unlimited_tracking_ = false;
    int min_thumb_ = 8;
    ScrollBarLayout layout_;
    ScrollPart pressed_ = spNone;
    ScrollPart hot_ = spNone;
    POINT drag_start_{};
    int drag_start_position_ = 0;
    IntRect drag_start_thumb_;
    UINT timer_interval_ = 0;
    bool timer_running_ = false;
    std::unique_ptr<MemoryBitmap> buffer_;
    LookAndFeel look_and_feel_;
    std::unique_ptr<ThemeChangedNotificator> theme_notificator_;
};

// The scroll bar a control puts over its own content: painted in the owner's
// style, hidden until the owner shows it, and handing the focus to its parent
// on a click.
class ControlScrollBar : public ScrollBar {
public:
    explicit ControlScrollBar(LookAndFeel* owner_look_and_feel);

protected:
    void MouseDown(MouseButton button, unsigned shift, int x, int y) override;

private:
    void FocusParent();
};

}  // namespace census
