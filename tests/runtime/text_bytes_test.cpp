#include "runtime/text_bytes.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(TextBytes, EachPageHoldsWhatItCanAndSaysWhatItReplaced) {
    struct Case {
        const char* what;
        const wchar_t* text;
        unsigned page;
        Unfit unfit;
        const char* bytes;
        bool replaced;
    } cases[] = {
        {"nothing", L"", kUtf8CodePage, Unfit::Question, "", false},
        {"Cyrillic in UTF-8", L"a\u0416", kUtf8CodePage, Unfit::Question, "a\xD0\x96", false},
        {"a pair of surrogates", L"\xD83D\xDE00", kUtf8CodePage, Unfit::Question, "\xF0\x9F\x98\x80", false},
        {"a lone surrogate", L"a\xD83D", kUtf8CodePage, Unfit::Question, "a\xEF\xBF\xBD", true},
        {"a lone surrogate, best fit", L"\xDE00", kUtf8CodePage, Unfit::BestFit, "\xEF\xBF\xBD", true},
        {"Cyrillic in 1251", L"a\u0416\u0451\u2116", kCyrillicCodePage, Unfit::Question, "a\xC6\xB8\xB9", false},
        {"no such letter in 1251", L"\u00E9\u65E5", kCyrillicCodePage, Unfit::Question, "??", true},
        {"Cyrillic in 866, the platform's", L"\u0416", 866, Unfit::Question, "\x86", false},
        {"no such letter in 866", L"x\u65E5", 866, Unfit::Question, "x?", true},
    };
    for (const Case& c : cases) {
        std::string out = "kept ";
        EXPECT_EQ(AppendBytes(c.text, c.page, c.unfit, out), c.replaced) << c.what;
        EXPECT_EQ(out, std::string("kept ") + c.bytes) << c.what;
    }
}

}  // namespace
}  // namespace census
