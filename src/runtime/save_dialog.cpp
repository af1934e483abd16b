#include "runtime/save_dialog.h"

#include "runtime/application.h"
#include "runtime/form.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <vector>

namespace census {

namespace {

std::wstring WindowText(HWND h) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Room for the longest path the system accepts anywhere (32767 characters, in
// the extended-length form) and its terminating null: the user may pick any.
constexpr std::size_t kLongestPathBuffer = 32768;

std::wstring FolderOf(HWND dialog) {
    std::vector<wchar_t> folder(kLongestPathBuffer, L'\0');
    LRESULT n = ::SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    return n > 0 ? std::wstring(folder.data()) : std::wstring();
}

bool IsAbsolute(const std::wstring& name) {
    return (name.size() >= 3 && name[1] == L':' && name[2] == L'\\') || name.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::wstring SaveDialog::TypedFullName(const std::wstring& folder, std::wstring typed) {
    if (typed.size() >= 2 && typed.front() == L'"' && typed.back() == L'"') typed = typed.substr(1, typed.size() - 2);
    if (typed.empty() || IsAbsolute(typed)) return typed;
    if (typed.front() == L'\\') return folder.size() >= 2 && folder[1] == L':' ? folder.substr(0, 2) + typed : typed;
    if (folder.empty()) return typed;
    return folder + (folder.back() == L'\\' ? L"" : L"\\") + typed;
}

// The dialog's own window is subclassed while it runs: its OK command is
// seen before the platform's dialog code handles the typed name.
struct SaveDialogHook {
    static constexpr UINT_PTR kSubclassId = 0x5D1A;

    static UINT_PTR CALLBACK Hook(HWND child, UINT msg, WPARAM, LPARAM lp) {
        if (msg == WM_INITDIALOG) {
            auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lp);
            ::SetWindowSubclass(::GetParent(child), &Subclass, kSubclassId, ofn->lCustData);
        }
        return 0;
    }

    static LRESULT CALLBACK Subclass(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
        if (msg == WM_COMMAND && LOWORD(wp) == IDOK && TakeLongName(dialog, *reinterpret_cast<SaveDialog*>(ref)))
            return 0;
        if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(dialog, &Subclass, id);
        return ::DefSubclassProc(dialog, msg, wp, lp);
    }

    static bool TakeLongName(HWND dialog, SaveDialog& self) {
        HWND field = ::GetDlgItem(dialog, cmb13);
        if (!field) field = ::GetDlgItem(dialog, edt1);
        if (!field) return false;
        std::wstring name = SaveDialog::TypedFullName(FolderOf(dialog), WindowText(field));
        if (name.size() < SaveDialog::kLongName) return false;
        self.FileName = name;
        LRESULT type = ::SendDlgItemMessageW(dialog, cmb1, CB_GETCURSEL, 0, 0);
        if (type >= 0) self.FilterIndex = static_cast<int>(type) + 1;
        self.took_long_name_ = true;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }
};

bool SaveDialog::Execute() {
    if (ExecuteOverride) return ExecuteOverride(*this);
    std::wstring filter = Filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');

    std::vector<wchar_t> buffer(kLongestPathBuffer, L'\0');
    FileName.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    Form* main = Application::Instance().MainForm();
    ofn.hwndOwner = main && main->HandleAllocated() ? main->Handle() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    ofn.lpfnHook = &SaveDialogHook::Hook;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    Application::Instance().Hints().CancelHint();
    took_long_name_ = false;
    if (!::GetSaveFileNameW(&ofn)) return took_long_name_;
    FileName = buffer.data();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

}  // namespace census
