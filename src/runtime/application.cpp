#include "runtime/application.h"

#include "runtime/errors.h"
#include "runtime/form.h"

#include <algorithm>

namespace census {

Application& Application::Instance() {
    static Application app;
    return app;
}

void Application::AdoptForm(std::unique_ptr<Form> form) {
    if (!main_form_) main_form_ = form.get();
    forms_.push_back(std::move(form));
}

void Application::FormDestroyed(Form& form) {
    if (main_form_ == &form) main_form_ = nullptr;
}

void Application::DestroyForms() {
    hints_.CancelHint();
    while (!forms_.empty()) {
        std::unique_ptr<Form> last = std::move(forms_.back());
        forms_.pop_back();
        last.reset();
    }
    main_form_ = nullptr;
    hints_.Release();
    mouse_.Release();
}

void Application::Run() {
    if (main_form_) main_form_->Show();
    MSG msg;
    while (!terminated_) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            terminated_ = true;
            break;
        }
        if (got < 0) break;
        if (!PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    DestroyForms();
}

bool Application::ProcessMessage() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (!PreTranslate(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

void Application::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void Application::Terminate() {
    // The loop ends when it sees WM_QUIT; a handler that is pumping messages
    // (a running census) sees the flag and the loop ends once it returns.
    terminated_ = true;
    ::PostQuitMessage(0);
}

bool Application::PreTranslate(MSG& msg) {
    if (msg.message == WM_MOUSEMOVE) mouse_.MouseMoved(msg.hwnd);
    hints_.MessageSeen(msg);
    // Every form's keys, whether or not the application made it.
    if (msg.message == WM_KEYDOWN) {
        Control* target = Control::FromHandle(msg.hwnd);
        Form* form = target ? target->ParentForm() : nullptr;
        if (!form) {
            // An inner window of a control (e.g. a native edit inside a custom one).
            for (HWND h = ::GetParent(msg.hwnd); h && !form; h = ::GetParent(h))
                if (Control* c = Control::FromHandle(h)) form = c->ParentForm();
        }
        if (form && form->PreTranslateKey(msg)) return true;
    }
    return false;
}

std::wstring Application::Title() const {
    if (!title_.empty()) return title_;
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

int Application::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    HWND owner = main_form_ && main_form_->HandleAllocated() ? main_form_->Handle() : nullptr;
    hints_.CancelHint();
    if (MessageBoxOverride) return MessageBoxOverride(text, caption, flags);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void Application::ShowException(const std::wstring& message) {
    std::wstring text = message;
    if (!text.empty() && text.back() != L'.') text += L'.';
    if (OnException) {
        OnException(text);
        return;
    }
    MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

void Application::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Abort&) {
    } catch (const Exception& e) {
        ShowException(e.Message());
    } catch (const std::exception& e) {
        ShowException(FromUtf8(e.what()));
    } catch (...) {
        ShowException(L"Unknown error");
    }
}

}  // namespace census
