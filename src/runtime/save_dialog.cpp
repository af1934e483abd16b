#include "runtime/save_dialog.h"

#include "runtime/application.h"
#include "runtime/form.h"

#include <commdlg.h>

#include <vector>

namespace census {

bool SaveDialog::Execute() {
    if (ExecuteOverride) return ExecuteOverride(*this);
    std::wstring filter = Filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');

    std::vector<wchar_t> buffer(32768, L'\0');
    FileName.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    Form* main = Application::Instance().MainForm();
    ofn.hwndOwner = main && main->HandleAllocated() ? main->Handle() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    Application::Instance().Hints().CancelHint();
    if (!::GetSaveFileNameW(&ofn)) return false;
    FileName = buffer.data();
    return true;
}

}  // namespace census
