#include "shell/tree/folder_name_rules.h"

#include "runtime/path_names.h"

#include <algorithm>
#include <array>

namespace census {
namespace {

constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; }

}  // namespace

std::size_t NameRoomIn(const std::wstring& parent) {
    const bool separated = !parent.empty() && (parent.back() == L'\\' || parent.back() == L'/');
    const std::size_t used = parent.size() + (separated ? 0 : 1);
    const std::size_t room = used >= kLongestRenamePath ? 0 : kLongestRenamePath - used;
    return std::min(room, kLongestNameComponent);
}

NameCheck CheckFolderName(const std::wstring& parent, const std::wstring& name) {
    if (std::all_of(name.begin(), name.end(), Blank)) return {NameVerdict::Blank};
    for (wchar_t c : name)
        if (c < 0x20 || c == 0x7F || kForbidden.find(c) != std::wstring_view::npos)
            return {NameVerdict::ForbiddenCharacter, c};
    if (std::all_of(name.begin(), name.end(), [](wchar_t c) { return c == L'.'; })) return {NameVerdict::DotsOnly};
    if (name.back() == L'.') return {NameVerdict::TrailingDot};
    if (ReservedDeviceName(name)) return {NameVerdict::ReservedName};
    const std::size_t room = NameRoomIn(parent);
    if (name.size() > room) return {NameVerdict::TooLong, 0, room};
    return {};
}

std::wstring RefusalText(const NameCheck& check, const std::wstring& name) {
    switch (check.verdict) {
        case NameVerdict::Fine:
            return {};
        case NameVerdict::Blank:
            return L"Имя папки не может быть пустым или состоять из одних пробелов; папка не переименована.";
        case NameVerdict::ForbiddenCharacter: {
            const std::wstring which = check.character < 0x20 || check.character == 0x7F
                                           ? std::wstring(L"управляющий знак")
                                           : L"знак «" + std::wstring(1, check.character) + L"»";
            return L"Имя папки не может содержать " + which +
                   L" (недопустимы знаки \\ / : * ? \" < > |); папка не переименована.";
        }
        case NameVerdict::DotsOnly:
            return L"Имя папки не может состоять из одних точек; папка не переименована.";
        case NameVerdict::TrailingDot:
            return L"Имя папки не может оканчиваться точкой: система отбросила бы её; папка не переименована.";
        case NameVerdict::ReservedName:
            return L"Имя «" + name + L"» зарезервировано системой для устройства; папка не переименована.";
        case NameVerdict::TooLong:
            if (check.fit == 0) return L"Путь к этой папке слишком длинный: новое имя в нём не поместится.";
            return L"Имя слишком длинное: здесь в имя помещается знаков: " + std::to_wstring(check.fit) +
                   L". Папка не переименована.";
    }
    return {};
}

}  // namespace census
