// A top-level window that owns and hosts controls.
//
// Tab order: Tab and Shift+Tab move the focus through the form's focusable
// controls by TabOrder unless the focused control asks for Tab itself
// (DLGC_WANTTAB, or WantsTab()). The first showing focuses the first control in
// tab order; re-activation gives the focus back to the control that had it.
//
// Enter and Escape without Shift, Ctrl or Alt, when the focused window does
// not want every key (a multi-line edit does), are offered to the controls as
// CM_DIALOGKEY: the focused or default button clicks on Enter, a cancel
// button on Escape. Native buttons ignore Enter, so this is the only way a
// keyboard user clicks with it.
//
// Pixels per inch: a form is laid out for 96. Once its stored values are
// read it scales itself to the screen's density, and again to its monitor's
// when its window is made on one of another density or is moved to one
// (WM_DPICHANGED, where it takes the size and place the system suggests).
#pragma once

#include "runtime/control.h"

#include <functional>

namespace census {

enum class BorderStyle { Sizeable, Single, Dialog, None };
enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
public:
    Form();
    ~Form() override;

    void SetClientSize(int width, int height);
    void SetBorderStyle(BorderStyle style) { border_style_ = style; }
    void SetBorderIcons(bool minimize, bool maximize) {
        minimize_box_ = minimize;
        maximize_box_ = maximize;
    }
    void SetPosition(FormPosition position) { position_ = position; }

    void Show();
    void Close();

    // Raised when the form becomes the program's active window: at first
    // showing and whenever the focus comes back from another of its windows.
    std::function<void(Control& sender)> OnActivate;
    std::function<void(Control& sender)> OnClose;

    // Moves the focus to the next (or previous) focusable control by tab order.
    void SelectNext(bool forward);
    void SelectFirst();

    // From the message loop: form-level keys (Tab, Enter, Escape). True when consumed.
    bool PreTranslateKey(const MSG& msg);

protected:
    void StoredValuesRead() override;
    void ScaleBounds(int new_dpi, int old_dpi) override;
    void DpiChanged(int old_dpi) override;
    void FillCreateParams(CreateParams& params) override;
    void CreateWindowHandle(const CreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    virtual void Activate();

private:
    friend class Control;
    void FocusChanged(Control* control);
    bool TabKey(const MSG& msg);
    bool DialogKey(const MSG& msg);
    static bool OfferDialogKey(Control& root, WPARAM key);
    static void TellFocusChanged(Control& root, Control* focused);
    void CollectTabControls(Control& root, std::vector<Control*>& out);
    void CenterOnScreen();
    // The outer size for a client size, with the frame at `dpi`.
    SIZE WindowSizeFor(int client_width, int client_height, int dpi);
    void MovedToDpi(int dpi, const RECT& suggested);

    BorderStyle border_style_ = BorderStyle::Sizeable;
    bool minimize_box_ = true;
    bool maximize_box_ = true;
    FormPosition position_ = FormPosition::Designed;
    Control* active_control_ = nullptr;
    bool shown_once_ = false;
    int client_width_ = 0, client_height_ = 0;
};

}  // namespace census
