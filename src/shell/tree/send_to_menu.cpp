#include "shell/tree/send_to_menu.h"

#include "runtime/path_names.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/namespace/system_image_list.h"

#include <algorithm>

namespace census {
namespace {

std::vector<SendToEntry> ReadSendToEntries() {
    std::vector<SendToEntry> entries;
    const std::wstring folder = GetSpecialFolderPath(CSIDL_SENDTO);
    if (folder.empty()) return entries;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
    if (!search) return entries;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
        SendToEntry entry{found.cFileName, -1};
        UniqueIdList list;
        if (SUCCEEDED(ParsePath(JoinPath(folder, entry.name), list))) entry.icon = GetItemIconIndex(list.get(), kSmallIcon);
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(search.get(), &found));
    std::sort(entries.begin(), entries.end(), [](const SendToEntry& a, const SendToEntry& b) {
        return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.name.c_str(), -1, b.name.c_str(), -1) ==
               CSTR_LESS_THAN;
    });
    return entries;
}

// Upper case by the platform's tables, which know every alphabet.
wchar_t Upper(wchar_t c) {
    ::CharUpperBuffW(&c, 1);
    return c;
}

}  // namespace

const std::vector<SendToEntry>& SendToEntries() {
    static const std::vector<SendToEntry> entries = ReadSendToEntries();
    return entries;
}

std::wstring ShownName(const std::wstring& name) {
    const std::size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

MenuCharAnswer AnswerMenuChar(const std::vector<std::wstring>& shown_names, int highlighted, wchar_t typed) {
    const wchar_t wanted = Upper(typed);
    auto starts = [&](int i) {
        const std::wstring& n = shown_names[static_cast<std::size_t>(i)];
        return !n.empty() && Upper(n[0]) == wanted;
    };
    const int count = static_cast<int>(shown_names.size());
    int matches = 0;
    for (int i = 0; i < count; ++i) matches += starts(i) ? 1 : 0;
    if (matches == 0) return {};
    for (int step = 1; step <= count; ++step) {
        const int i = ((highlighted < 0 ? -1 : highlighted) + step) % count;
        if (starts(i)) return {matches > 1 ? MenuCharCommand::Select : MenuCharCommand::Execute, i};
    }
    return {};
}

}  // namespace census
