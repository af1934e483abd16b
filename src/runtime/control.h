// Controls: components with a window, bounds, font, colours, caption, hint,
// tab order and events.
//
// Every control is a real child window. A control either uses the framework's
// own window class (painted by Paint()) or wraps a native class (EDIT, BUTTON,
// SysTreeView32, ...) that it subclasses. Either way all messages reach
// WndProc(); what a control does not handle it passes to DefaultHandler(),
// which is the native procedure or DefWindowProc.
//
// Event convention: events are std::function members named OnXxx. They are
// raised after the control's own handling of the matching virtual (Click(),
// KeyDown(), ...). Key events take the key by reference: setting it to 0
// consumes it, so the native window never sees it.
//
// Windows are made lazily: a control gets its window when its parent has one
// and it is asked for Handle(), or when the parent's window is created. If a
// window has to be re-created (a style that only takes effect at creation),
// RecreateWnd() destroys and makes it again with the same state.
//
// Exceptions never unwind through Windows: the window procedure catches them
// and hands them to the application object.
#pragma once

#include "runtime/canvas.h"
#include "runtime/colors.h"
#include "runtime/component.h"
#include "runtime/dpi.h"
#include "runtime/font.h"
#include "runtime/handles.h"
#include "runtime/private_messages.h"

#include <functional>
#include <string>
#include <vector>

namespace census {

class Form;

// Modifier and button state of a mouse or key event.
enum ShiftState : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

enum class MouseButton { Left, Right, Middle };

class Control : public Component {
public:
    Control();
    ~Control() override;

    // --- Parent and children -------------------------------------------------
    Control* Parent() const { return parent_; }
    void SetParent(Control* parent);
    const std::vector<Control*>& Controls() const { return children_; }
    Form* ParentForm();

    // --- Bounds (relative to the parent's client area) -------------------------
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    RECT ClientRect();
    POINT ScreenToClient(POINT p);
    POINT ClientToScreen(POINT p);

    // --- Pixels per inch ---------------------------------------------------------
    // The density the control's bounds, font and own geometry are for: the
    // design's 96 until its form scales itself to the screen.
    int Dpi() const { return dpi_; }
    // A size given for 96 pixels per inch, at the control's density.
    int Scaled(int design_pixels) const { return ScaleDpi(design_pixels, dpi_); }
    // Scales this control and its children from their density to `dpi`:
    // positions and sizes (by their edges, so neighbours stay neighbours),
    // the font the control was given, and the geometry of its own.
    void ScaleToDpi(int dpi);

    // --- State and appearance -------------------------------------------------
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parent_color_; }
    void SetParentColor(bool value);

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    bool ParentFont() const { return parent_font_; }
    void SetParentFont(bool value);
    // The GDI font for Font(); made on first use and kept until the font changes.
    HFONT FontHandle();

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    // The window text as the window holds it now (edits change it themselves).
    std::wstring WindowText();

    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint);
    bool ShowHint() const;
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parent_show_hint_; }
    void SetParentShowHint(bool value) { parent_show_hint_ = value; }

    int TabOrder() const { return tab_order_; }
    void SetTabOrder(int order) { tab_order_ = order; }
    bool TabStop() const { return tab_stop_; }
    void SetTabStop(bool value);

    HCURSOR Cursor() const { return cursor_; }
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

    // --- Window ------------------------------------------------------------------
    HWND Handle();
    bool HandleAllocated() const { return static_cast<bool>(hwnd_); }
    void HandleNeeded() { Handle(); }
    void RecreateWnd();
    void Invalidate();
    void Update();
    void Repaint();
    void BringToFront();
    void SetFocus();
    bool Focused() const;
    virtual bool CanFocus() const;
    // The control that owns a window of this program, or null.
    static Control* FromHandle(HWND hwnd);

    LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

    // --- Events --------------------------------------------------------------------
    std::function<void(Control& sender)> OnClick;
    std::function<void(Control& sender)> OnDblClick;
    std::function<void(Control& sender)> OnEnter;
    std::function<void(Control& sender)> OnExit;
    std::function<void(Control& sender, WORD& key, unsigned shift)> OnKeyDown;
    std::function<void(Control& sender, WORD& key, unsigned shift)> OnKeyUp;
    std::function<void(Control& sender, wchar_t& ch)> OnKeyPress;
    std::function<void(Control& sender, MouseButton button, unsigned shift, int x, int y)> OnMouseDown;
    std::function<void(Control& sender, MouseButton button, unsigned shift, int x, int y)> OnMouseUp;
    std::function<void(Control& sender, unsigned shift, int x, int y)> OnMouseMove;
    std::function<void(Control& sender)> OnMouseEnter;
    std::function<void(Control& sender)> OnMouseLeave;

    // Raises OnClick (buttons call this for keyboard clicks too).
    virtual void Click();

protected:
    struct CreateParams {
        std::wstring class_name;  // empty: the framework's own class
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD ex_style = 0;
        UINT class_style = CS_DBLCLKS;  // own class only
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;
        std::wstring caption;
    };
    virtual void FillCreateParams(CreateParams& params);
    // Creates the window; derived classes rarely need to override this.
    virtual void CreateWindowHandle(const CreateParams& params);
    // After the window exists (font set, children not yet created).
    virtual void WindowCreated() {}
    // Before the window is destroyed (it still exists).
    virtual void WindowDestroying() {}

    // Every message of the window arrives here first.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    // The native window procedure of a wrapped class (ours is the first
    // subclass, so what it replaced is the class procedure), or DefWindowProc
    // for own-class controls. Called directly, it bypasses WndProc.
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);

    // Own-class controls paint here (WM_PAINT), on a canvas of the paint DC.
    virtual void Paint(Canvas& canvas) {}
    // Background erase for own-class controls: fills with Color() unless overridden.
    virtual bool EraseBackground(HDC dc);

    virtual void BoundsChanged() {}
    // Scaling (ScaleToDpi), children first: the bounds, the font the control
    // was given (not one it follows from its parent), then DpiChanged, where a
    // control recomputes geometry of its own from Dpi().
    virtual void ScaleBounds(int new_dpi, int old_dpi);
    virtual void ScaleFont(int new_dpi, int old_dpi);
    virtual void DpiChanged(int old_dpi) {}
    // For a control whose sizes and font come already scaled from elsewhere
    // (a hint window from its settings): the density its own geometry is for.
    void AdoptDpi(int dpi) { dpi_ = dpi; }
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged() {}
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void HintChanged();

    virtual void MouseDown(MouseButton button, unsigned shift, int x, int y);
    virtual void MouseUp(MouseButton button, unsigned shift, int x, int y);
    virtual void MouseMove(unsigned shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void KeyDown(WORD& key, unsigned shift);
    virtual void KeyUp(WORD& key, unsigned shift);
    virtual void KeyPress(wchar_t& ch);
    virtual void DoEnter();
    virtual void DoExit();

    // WM_COMMAND/WM_NOTIFY/... reflected from the parent (CN_*). Return true
    // with result set when handled.
    virtual bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

    // Destroys the window (and the children's). A derived class whose
    // WindowDestroying() matters calls this from its own destructor.
    void DestroyHandle();

    static unsigned ShiftFromKeys();
    static unsigned ShiftFromMouseFlags(WPARAM flags);

private:
    friend class Form;
    static LRESULT CALLBACK OwnClassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK NativeSubclassProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT SafeWndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleStandardMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
    void PaintWindow();
    LRESULT MouseDownMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT MouseUpOrMoveMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT KeyMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT FocusMessage(UINT msg, WPARAM wp, LPARAM lp);
    bool SetOwnCursor(LPARAM lp);
    void TakeBoundsFromWindow();
    void Bind(HWND hwnd);
    void Unbind();
    void CreateHandle();
    void CreateChildHandles();
    void RemoveChild(Control* child);
    void ApplyFontToWindow();
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int dpi_ = kDesignDpi;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parent_color_ = true;
    FontSpec font_;
    bool parent_font_ = true;
    UniqueFont font_handle_;
    std::wstring caption_;
    std::wstring hint_;
    bool show_hint_ = false;
    bool parent_show_hint_ = true;
    int tab_order_ = -1;
    bool tab_stop_ = false;
    HCURSOR cursor_ = nullptr;
    UniqueHwnd hwnd_;
    bool native_ = false;
    // The wrapped native window's procedure before ours replaced it.
    WNDPROC native_proc_ = nullptr;
    bool recreating_ = false;
};

}  // namespace census
