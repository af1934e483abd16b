#include "decor/url_label.h"

#include "decor/link_target.h"

#include <shellapi.h>

namespace census {

namespace {

bool ShellOpen(const std::wstring& target) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No error boxes from the shell; wait for any DDE conversation it starts,
    // so the request is complete when the click returns.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT;
    info.lpVerb = L"Open";
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}

void RunCommandLine(const std::wstring& command_line) {
    std::wstring buffer = command_line;  // CreateProcess may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    UniqueKernelHandle process_handle(process.hProcess), thread_handle(process.hThread);
}

}  // namespace

LinkShell SystemLinkShell() { return {&ShellOpen, &RunCommandLine}; }

HCURSOR HandCursor() {
    // A shared system cursor: it is never destroyed.
    static const HCURSOR cursor = ::LoadCursorW(nullptr, IDC_HAND);
    return cursor;
}

UrlLabel::UrlLabel() {
    SetTextStyle(tsNormal);
    FontSpec font = Font();
    font.color = clHighlight;
    font.style |= fsUnderline;
    SetFont(font);
    SetCursor(HandCursor());
}

void UrlLabel::SetVisited(bool value) {
    visited_ = value;
    ShowVisitState();
}

void UrlLabel::SetVisitedColor(TColor color) {
    visited_color_ = color;
    ShowVisitState();
}

void UrlLabel::SetUnvisitedColor(TColor color) {
    unvisited_color_ = color;
    ShowVisitState();
}

void UrlLabel::ShowVisitState() {
    FontSpec font = Font();
    font.color = visited_ ? visited_color_ : unvisited_color_;
    SetFont(font);
    Invalidate();
}

void UrlLabel::Click() {
    DecoratedLabel::Click();
    const std::wstring target = LinkTarget(url_, Caption());
    if (IsBlankText(target)) return;
    if (Shell.open && Shell.open(target)) {
        SetVisited(true);
        return;
    }
    // Nothing is shown on failure; a page gets the program chooser.
    if (OffersProgramChooser(target) && Shell.run) Shell.run(kHtmlChooserCommand);
}

}  // namespace census
