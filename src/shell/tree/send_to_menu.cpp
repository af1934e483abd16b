#include "shell/tree/send_to_menu.h"

#include "runtime/handles.h"
#include "runtime/path_names.h"
#include "shell/namespace/shell_context_menu.h"
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

// Above and below an entry's icon and name.
constexpr int kEntryMargin = 2;

NONCLIENTMETRICSW MenuMetrics() {
    NONCLIENTMETRICSW metrics{sizeof metrics};
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics;
}

int HighlightedPosition(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    return -1;
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

bool SendToSubmenu::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const std::vector<SendToEntry>& entries = SendToEntries();
    switch (msg) {
        case WM_INITMENUPOPUP: {
            HMENU sub = reinterpret_cast<HMENU>(wp);
            if (::GetMenuItemCount(sub) != 1 || !(::GetMenuState(sub, 0, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)))
                return false;
            ::DeleteMenu(sub, 0, MF_BYPOSITION);
            for (std::size_t i = 0; i < entries.size(); ++i)
                ::AppendMenuW(sub, MF_OWNERDRAW, i + 1, reinterpret_cast<LPCWSTR>(i));
            popup_ = sub;
            return true;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item->CtlType != ODT_MENU || item->itemID == 0 || item->itemID > entries.size()) return false;
            const SIZE text = TextSize(ShownName(entries[item->itemID - 1].name));
            // The icon between two gaps of half its width, then the name.
            item->itemWidth = static_cast<UINT>(text.cx + 2 * ::GetSystemMetrics(SM_CXSMICON));
            item->itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) + kEntryMargin);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (item->CtlType != ODT_MENU || static_cast<int>(item->itemID) >= static_cast<int>(kFirstShellCommand))
                return false;
            DrawItem(*item);
            result = TRUE;
            return true;
        }
        case WM_MENUCHAR: {
            // Typed letters choose Send To entries only in the submenu that
            // holds them; elsewhere an answer by position would run whatever
            // command stands there.
            if (!(HIWORD(wp) & MF_POPUP) || !popup_ || reinterpret_cast<HMENU>(lp) != popup_) return false;
            std::vector<std::wstring> names;
            for (const SendToEntry& entry : entries) names.push_back(ShownName(entry.name));
            const MenuCharAnswer answer =
                AnswerMenuChar(names, HighlightedPosition(reinterpret_cast<HMENU>(lp)), static_cast<wchar_t>(LOWORD(wp)));
            result = MAKELRESULT(answer.position, static_cast<WORD>(answer.command));
            return true;
        }
        default:
            return false;
    }
}

SIZE SendToSubmenu::TextSize(const std::wstring& text) const {
    NONCLIENTMETRICSW metrics = MenuMetrics();
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    WindowDc dc(owner_);
    SelectGuard select(dc.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void SendToSubmenu::DrawItem(const DRAWITEMSTRUCT& item) const {
    const bool selected = item.itemState & ODS_SELECTED;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    const int index = static_cast<int>(item.itemID) - 1;
    const std::vector<SendToEntry>& entries = SendToEntries();
    if (static_cast<int>(item.itemID) < 0 || index < 0 || index >= static_cast<int>(entries.size())) return;
    NONCLIENTMETRICSW metrics = MenuMetrics();
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    SelectGuard select(item.hDC, font.get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    const std::wstring name = ShownName(entries[static_cast<std::size_t>(index)].name);
    // Menus and the system's icons are at the screen's density: the gaps follow the icons' size.
    const int icon = ::GetSystemMetrics(SM_CXSMICON);
    ::TextOutW(item.hDC, item.rcItem.left + 2 * icon, item.rcItem.top + kEntryMargin, name.c_str(), static_cast<int>(name.size()));
    if (icons_ && entries[static_cast<std::size_t>(index)].icon >= 0)
        ImageList_Draw(icons_, entries[static_cast<std::size_t>(index)].icon, item.hDC, item.rcItem.left + icon / 2,
                       item.rcItem.top + kEntryMargin, ILD_TRANSPARENT);
}

}  // namespace census
