// Wide text as bytes in a code page: the one conversion the program makes,
// for saved lists, redirected console text and exception texts alike.
//
// UTF-8 and code page 1251 come from the program's own tables, so a saved
// list has the same bytes on every machine whatever its own code page; any
// other page is the platform's.
#pragma once

#include <string>
#include <string_view>

namespace census {

inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kCyrillicCodePage = 1251;

// What becomes of a character the code page cannot hold.
enum class Unfit {
    Question,  // "?" (in UTF-8, which holds every character, only a lone surrogate: U+FFFD)
    BestFit,   // the platform's nearest character where it has one, as a console shows it; else "?"
};

// Appends `text` in `code_page` to `out`; true when a character had to be
// replaced by "?" or U+FFFD (a best fit is no replacement).
bool AppendBytes(std::wstring_view text, unsigned code_page, Unfit unfit, std::string& out);

}  // namespace census
