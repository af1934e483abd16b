// Drives the built program from another process, as a user would: starts it,
// finds its controls by their texts, clicks them and reads what they show.
#pragma once

#include "runtime/handles.h"

#include <functional>
#include <string>

namespace census::testing {

class CensusDriver {
public:
    ~CensusDriver();

    // Starts census.exe from the folder of the running executable (or the
    // program given) and waits for its main window.
    bool Start(unsigned timeout_ms = 30000, const std::wstring& program = {});
    HWND MainWindow() const { return main_; }
    HANDLE Process() const { return process_.get(); }

    // The first child window whose text satisfies the test (or of the class).
    HWND FindChild(const std::function<bool(const std::wstring& cls, const std::wstring& text)>& match) const;
    HWND FindChildByText(const std::wstring& text) const;
    HWND FindChildByClass(const std::wstring& cls) const;

    static std::wstring Text(HWND window);
    static void Click(HWND window);
    // Polls until the window's text satisfies the test; false on time-out.
    static bool WaitForText(HWND window, const std::function<bool(const std::wstring&)>& done, unsigned timeout_ms);

    // Closes the window and waits for the process to end.
    bool Close(unsigned timeout_ms = 30000);

private:
    UniqueKernelHandle process_;
    DWORD process_id_ = 0;
    HWND main_ = nullptr;
};

// The user's desktop folder (the tree's root at start).
std::wstring DesktopFolder();

}  // namespace census::testing
