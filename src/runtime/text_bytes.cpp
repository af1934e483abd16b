#include "runtime/text_bytes.h"

#include <windows.h>

#include <array>
#include <cstdint>

namespace census {

namespace {

// The characters of bytes 0x80..0xFF of code page 1251 (0x98 is the control
// character U+0098, as the platform's own table has it). Bytes below 0x80
// are the characters of the same number.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The reverse of kHighHalf for the characters U+0000..U+FFFF: 0 where the page has none.
const std::array<std::uint8_t, 0x10000>& ReverseTable() {
    static const auto table = [] {
        std::array<std::uint8_t, 0x10000> t{};
        for (size_t i = 0; i < kHighHalf.size(); ++i) t[kHighHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
        return t;
    }();
    return table;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next character of `text` from `i` (advanced past it); a lone
// surrogate, which UTF-8 cannot hold, becomes U+FFFD and counts as replaced.
char32_t NextCharacter(std::wstring_view text, size_t& i, bool& replaced) {
    wchar_t c = text[i++];
    if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(text[i])) {
        char32_t low = text[i++];
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00);
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
        replaced = true;
        return 0xFFFD;
    }
    return static_cast<char32_t>(c);
}

// One UTF-16 code unit in code page 1251; '?' when the page has no such character.
char CodePage1251Byte(wchar_t c, bool& replaced) {
    if (c < 0x80) return static_cast<char>(c);
    std::uint8_t b = ReverseTable()[static_cast<std::uint16_t>(c)];
    if (b != 0) return static_cast<char>(b);
    replaced = true;
    return '?';
}

// The platform's conversion, for the pages the program has no table of.
bool AppendPlatformBytes(std::wstring_view text, unsigned code_page, Unfit unfit, std::string& out) {
    const DWORD flags = unfit == Unfit::Question ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL defaulted = FALSE;
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    ::WideCharToMultiByte(code_page, flags, text.data(), size, out.data() + at, n, nullptr, &defaulted);
    return defaulted != FALSE;
}

}  // namespace

bool AppendBytes(std::wstring_view text, unsigned code_page, Unfit unfit, std::string& out) {
    bool replaced = false;
    if (code_page == kUtf8CodePage) {
        for (std::size_t i = 0; i < text.size();) AppendUtf8(out, NextCharacter(text, i, replaced));
    } else if (code_page == kCyrillicCodePage && unfit == Unfit::Question) {
        for (wchar_t c : text) out += CodePage1251Byte(c, replaced);
    } else {
        replaced = AppendPlatformBytes(text, code_page, unfit, out);
    }
    return replaced;
}

}  // namespace census
