#include "shell/tree/folder_rename.h"

#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/path_names.h"
#include "shell/transfer/transfer_names.h"
#include "shell/tree/folder_name_rules.h"

namespace census {
namespace {

std::wstring Quoted(const std::wstring& text) {
    return L"\u00AB" + text + L"\u00BB";
}

bool Moved(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(WithExtendedPrefix(from).c_str(), WithExtendedPrefix(to).c_str(), 0) != 0;
}

std::wstring PlatformWords(HRESULT answer) {
    std::wstring text = SystemErrorMessage(static_cast<unsigned long>(answer));
    while (!text.empty() && text.back() == L'.') text.pop_back();
    return text;
}

}  // namespace

std::wstring NameOnDisk(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileExW(WithExtendedPrefix(path).c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, 0));
    return search ? std::wstring(found.cFileName) : std::wstring();
}

bool CaseOnlyChange(const std::wstring& path, const std::wstring& name) {
    const std::wstring old_name = LastPart(path);
    return !path.empty() && name != old_name && SameName(name, old_name);
}

CaseRename RenameCaseOnly(const std::wstring& path, const std::wstring& name) {
    const std::wstring folder = ParentPart(path);
    const std::wstring aside_start = L"~rename-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring aside = JoinPath(folder, aside_start + std::to_wstring(attempt));
        if (!Moved(path, aside)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
            return {error};
        }
        if (Moved(aside, JoinPath(folder, name))) return {};
        const DWORD error = ::GetLastError();
        return {error, Moved(aside, path) ? std::wstring() : aside};
    }
    return {ERROR_ALREADY_EXISTS};
}

std::wstring RenameFailureText(const std::wstring& path, const std::wstring& shown, const std::wstring& name,
                               HRESULT answer) {
    const std::wstring old_name = path.empty() ? shown : LastPart(path);
    const std::wstring head = L"Папка " + Quoted(old_name) + L" не переименована в " + Quoted(name) + L": ";
    if (path.empty()) return head + PlatformWords(answer) + L".";
    if (NameOnDisk(path).empty()) return head + L"её больше нет на прежнем месте.";
    const std::wstring taken = NameOnDisk(JoinPath(ParentPart(path), name));
    if (!taken.empty() && !SameName(taken, old_name)) {
        if (taken == name) return head + L"в этой папке уже есть " + Quoted(taken) + L".";
        return head + L"в этой папке уже есть " + Quoted(taken) +
               L", а имена, которые различаются только регистром букв, система считает одинаковыми.";
    }
    const std::size_t bytes = ToUtf8(name).size();
    if (bytes > kLongestNameComponent) {
        return head + L"имя слишком длинное для файловой системы этого диска: в кодировке UTF-8 оно занимает " +
               std::to_wstring(bytes) + L" байт, а многие файловые системы вмещают в имя не больше " +
               std::to_wstring(kLongestNameComponent) + L".";
    }
    return head + L"система отказала в переименовании (" + PlatformWords(answer) + L").";
}

}  // namespace census
