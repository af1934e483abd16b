#include "cli/console_progress.h"

#include <gtest/gtest.h>

namespace census {
namespace {

// The line never reaches the last column (the cursor would move to the next
// line and the line could no longer be written over); a long folder keeps
// its end, where the walk is.
TEST(ConsoleProgress, TheLineFitsTheConsoleAndKeepsTheFoldersEnd) {
    struct Case {
        std::int64_t files;
        std::wstring folder;
        int width;
        std::wstring expected;
    };
    const Case cases[] = {
        {12345, L"C:\\Data\\Sub\\", 80, L"Файлов: 12345  C:\\Data\\Sub\\"},
        {7, L"C:\\Data\\Sub\\", 24, L"Файлов: 7  C:\\Data\\Sub\\"},  // 23 columns: all of it
        {7, L"C:\\Data\\Sub\\Deeper\\", 27, L"Файлов: 7  …ta\\Sub\\Deeper\\"},
        {123456789, L"C:\\Data\\", 12, L"Файлов: 123"},                  // no room for a folder
        {1, L"C:\\\xD83D\xDE00x\\", 16, L"Файлов: 1  …x\\"},             // no half of a character
    };
    for (const Case& c : cases) {
        const std::wstring line = ConsoleProgress::Text(c.files, c.folder, c.width);
        EXPECT_EQ(c.expected, line) << c.width;
        EXPECT_LT(line.size(), static_cast<size_t>(c.width));
    }
}

}  // namespace
}  // namespace census
