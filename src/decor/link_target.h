// What a link click opens, and what it does when the shell cannot open it.
#pragma once

#include <string>

namespace census {

// Blanks and control characters count as nothing.
bool IsBlankText(const std::wstring& text);

// The address if it has any visible character, else the caption; returned
// as it stands, blanks around it included.
std::wstring LinkTarget(const std::wstring& url, const std::wstring& caption);

// The extension of a name or address: from its last "." that follows the
// last "\" or ":", upper-cased; empty when there is none.
std::wstring UpperExtension(const std::wstring& target);

// For a page the shell cannot open, the system's chooser of a program is
// offered instead: it runs this command line.
inline constexpr wchar_t kHtmlChooserCommand[] = L"RunDLL32.exe Shell32.dll,OpenAs_RunDLL *.htm";
bool OffersProgramChooser(const std::wstring& target);

}  // namespace census
