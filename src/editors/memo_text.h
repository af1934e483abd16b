// Text rules of the memo that need no window.
#pragma once

#include <string>

namespace census {

// Every LF CR pair becomes CR LF CR LF, so a line written with the pair the
// wrong way round still ends where it was meant to; CR LF stays as it is.
std::wstring RewriteLineFeedReturns(const std::wstring& text);

// What of a pasted text fits when chars_before characters precede the caret
// and at most max_length are allowed (0: no limit).
std::wstring FitToMaxLength(const std::wstring& text, int chars_before, int max_length);

}  // namespace census
