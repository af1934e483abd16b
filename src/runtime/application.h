// The application object: message loop, processing of waiting messages,
// termination, the main form, exception display, the hint mechanism and
// the mouse's entering and leaving of controls.
//
// Failures: an exception that escapes an event handler (or any window
// procedure) reaches HandleException(), which shows its message in a stop-icon
// box titled with the application's title, adding a full stop when the
// message lacks one; an Abort is swallowed silently. The loop then goes on.
#pragma once

#include "runtime/hint.h"
#include "runtime/mouse_tracking.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

namespace census {

class Form;

class Application {
public:
    static Application& Instance();

    // Creates a form; the first form created becomes the main form. The
    // application owns it until the loop ends.
    template <typename T, typename... Args>
    T& CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *form;
        AdoptForm(std::move(form));
        return ref;
    }
    Form* MainForm() const { return main_form_; }

    // Shows the main form and runs the message loop until Terminate().
    void Run();
    // Handles every message that is waiting, then returns.
    void ProcessMessages();
    // Handles one waiting message; false when none was waiting.
    bool ProcessMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Destroys the forms (end of Run, or a test's tear-down).
    void DestroyForms();

    // The title of message boxes: the executable's name without extension.
    std::wstring Title() const;
    void SetTitle(std::wstring title) { title_ = std::move(title); }

    void HandleException(std::exception_ptr error);
    void ShowException(const std::wstring& message);
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);

    // Replace how exceptions and message boxes are shown (tests record them
    // instead of opening a box).
    std::function<void(const std::wstring& message)> OnException;
    std::function<int(const std::wstring& text, const std::wstring& caption, UINT flags)> MessageBoxOverride;

    HintManager& Hints() { return hints_; }
    MouseTracker& Mouse() { return mouse_; }

    // Called by a form's destructor.
    void FormDestroyed(Form& form);

private:
    Application() = default;
    void AdoptForm(std::unique_ptr<Form> form);
    bool PreTranslate(MSG& msg);

    std::vector<std::unique_ptr<Form>> forms_;
    Form* main_form_ = nullptr;
    bool terminated_ = false;
    std::wstring title_;
    HintManager hints_;
    MouseTracker mouse_;
};

}  // namespace census
