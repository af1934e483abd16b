// The bytes of a saved list: code page 1251 (the program's file format, the
// same on every machine whatever its own code page) or UTF-8 with a
// byte-order mark, which keeps every name. Plain bytes: no window, no file.
#pragma once

#include <string>
#include <string_view>

namespace census {

enum class ListEncoding { CodePage1251, Utf8 };

struct EncodedList {
    std::string bytes;
    // Lines holding characters the encoding cannot hold, each written as "?".
    int lines_replaced = 0;
};

EncodedList EncodeList(std::wstring_view text, ListEncoding encoding);

// What a UTF-8 list starts with.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// One line of a list, as EncodeList writes it inside a whole list: `line`
// (which holds no line break) and CR LF are appended to `out`. True when a
// character had to be replaced.
bool AppendEncodedLine(std::wstring_view line, ListEncoding encoding, std::string& out);

}  // namespace census
