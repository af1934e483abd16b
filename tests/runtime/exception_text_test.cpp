#include "runtime/application.h"
#include "runtime/errors.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace census {
namespace {

// An exception of any kind reaches the user with its text read as UTF-8,
// never byte by byte.
TEST(ExceptionText, WhatOfAnyExceptionIsShownReadAsUtf8) {
    Application& app = Application::Instance();
    std::wstring shown;
    app.OnException = [&](const std::wstring& text) { shown = text; };
    const struct {
        std::string what;
        std::wstring shown;
    } cases[] = {
        {"plain", L"plain."},
        {"\xD0\x9D\xD0\xB5\xD1\x82 \xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB8", L"Нет папки."},
        {"caf\xC3\xA9 \xE2\x82\xAC.", L"café €."},
    };
    for (const auto& c : cases) {
        shown.clear();
        app.HandleException(std::make_exception_ptr(std::runtime_error(c.what)));
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_EQ(FromUtf8(ToUtf8(c.shown)), c.shown) << c.what;
    }
    app.OnException = nullptr;
}

// A failed result code reaches the user as the platform's text for it;
// success codes, S_FALSE among them, are no failure.
TEST(ExceptionText, AFailedResultCodeIsThrownWithThePlatformsText) {
    for (const HRESULT success : {S_OK, S_FALSE}) EXPECT_NO_THROW(ThrowIfFailed(success)) << success;
    for (const HRESULT failure : {E_FAIL, E_ACCESSDENIED, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)}) {
        try {
            ThrowIfFailed(failure);
            ADD_FAILURE() << "no exception for " << failure;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), SystemErrorMessage(static_cast<unsigned long>(failure))) << failure;
        }
    }
}

}  // namespace
}  // namespace census
