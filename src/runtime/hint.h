// The hint mechanism: which control's hint to show, when, and in what window.
//
// The manager watches the mouse messages of the message loop. When the mouse
// rests on a control that shows hints, it waits HintPause ms (HintShortPause
// when a hint was shown a moment ago), takes the part of the control's hint
// before "|", lets OnShowHint adjust or veto it, and shows it in a window made
// by the hint window factory, below the cursor. The hint goes on the messages
// its window names (clicks and keys), when the mouse leaves the control, after
// HintHidePause ms, or when a check every 100 ms finds the mouse outside all
// of the program's windows.
#pragma once

#include "runtime/control.h"
#include "runtime/timer.h"

#include <functional>
#include <memory>
#include <string>

namespace census {

struct HintInfo {
    Control* control = nullptr;
    POINT cursor_pos{};    // in the control's client coordinates
    RECT cursor_rect{};    // moving out of it ends the hint
    int max_width = 0;
    int hide_timeout = 0;  // ms
    TColor color = clInfoBk;  // the hint window's colour
};

// A pop-up window that shows one hint. The default draws the text on clInfoBk
// with a one-pixel frame.
class HintWindow : public Control {
public:
    HintWindow();
    ~HintWindow() override;
    // The text's rectangle at the window's font, wrapped at `max_width`, with
    // 6 pixels more in width and 2 in height.
    virtual RECT CalcHintRect(int max_width, const std::wstring& hint);
    // Shows the hint in the given screen rectangle (as CalcHintRect gave it,
    // moved to the hint's place).
    virtual void ActivateHint(RECT rect, const std::wstring& hint);
    virtual void ReleaseHint();
    // Whether a message of the loop ends the hint: keys, mouse buttons and the
    // wheel, commands and non-client mouse moves.
    virtual bool IsHintMsg(const MSG& msg) const;
    static bool IsDefaultHintMsg(const MSG& msg);
    // Every mouse move of the loop while the hint is shown, wherever it goes
    // (a window that lets the mouse through sees none of its own).
    virtual void MouseMoved(POINT screen) {}

protected:
    void FillCreateParams(CreateParams& params) override;
    void Paint(Canvas& canvas) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class HintManager {
public:
    HintManager();
    ~HintManager();

    unsigned HintPause = 500;
    unsigned HintShortPause = 50;
    unsigned HintHidePause = 2500;
    bool ShowHints = true;
    TColor HintColor = clInfoBk;

    // Makes the hint window; a component installs its own window class with
    // SetHintWindowFactory.
    using WindowFactory = std::function<std::unique_ptr<HintWindow>()>;
    const WindowFactory& HintWindowFactory() const { return factory_; }
    // Ends any hint, destroys the hint window and makes one of the new class
    // at once (its constructor may take over OnShowHint).
    void SetHintWindowFactory(WindowFactory factory);
    // May change the text or forbid the hint.
    std::function<void(std::wstring& hint, bool& can_show, HintInfo& info)> OnShowHint;

    // The part of a hint before "|".
    static std::wstring ShortHint(const std::wstring& hint);

    void MessageSeen(const MSG& msg);
    void ControlHintChanged(Control& control);
    void ControlGone(Control& control);
    void CancelHint();
    // Frees the hint window and timers (before the application shuts down).
    void Release();
    HintWindow* Window() const { return window_.get(); }

private:
    void MouseMovedOver(Control* control, POINT screen);
    void ActivateHint();
    void HideHint();
    void CheckMouse();

    Control* control_ = nullptr;      // the control whose hint applies under the mouse
    bool showing_ = false;
    unsigned long long last_hidden_ = 0;
    RECT cursor_rect_{};
    WindowFactory factory_;
    std::unique_ptr<HintWindow> window_;
    std::unique_ptr<Timer> show_timer_;
    std::unique_ptr<Timer> hide_timer_;
    std::unique_ptr<Timer> check_timer_;
};

}  // namespace census
