#include "runtime/list_encoding.h"

#include "runtime/text_bytes.h"

#include <algorithm>

namespace census {

namespace {

// Appends `text` encoded; true when a character had to be replaced.
bool AppendEncoded(std::wstring_view text, ListEncoding encoding, std::string& out) {
    const unsigned page = encoding == ListEncoding::CodePage1251 ? kCyrillicCodePage : kUtf8CodePage;
    return AppendBytes(text, page, Unfit::Question, out);
}

}  // namespace

EncodedList EncodeList(std::wstring_view text, ListEncoding encoding) {
    EncodedList out;
    out.bytes.reserve(encoding == ListEncoding::Utf8 ? text.size() + 3 : text.size());
    if (encoding == ListEncoding::Utf8) out.bytes = kUtf8ByteOrderMark;
    // Line by line, each with the "\n" that ends it, so a surrogate pair is never split.
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find(L'\n', start), text.size() - 1) + 1;
        out.lines_replaced += AppendEncoded(text.substr(start, end - start), encoding, out.bytes);
        start = end;
    }
    return out;
}

bool AppendEncodedLine(std::wstring_view line, ListEncoding encoding, std::string& out) {
    bool replaced = AppendEncoded(line, encoding, out);
    out += "\r\n";
    return replaced;
}

}  // namespace census
