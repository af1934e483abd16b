#include "app/main_form.h"
#include "runtime/application.h"

#include <commctrl.h>
#include <ole2.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    census::Application& app = census::Application::Instance();
    try {
        app.CreateForm<census::TForm1>();
        app.Run();
    } catch (...) {
        app.HandleException(std::current_exception());
    }
    app.DestroyForms();
    ::OleUninitialize();
    return 0;
}
