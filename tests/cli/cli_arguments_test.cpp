#include "cli/cli_arguments.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(CliArguments, GoodCommandLinesInAnyOrderAndCase) {
    struct Case {
        std::vector<std::wstring> args;
        CliOptions expected;
    };
    const Case cases[] = {
        {{L"C:\\Data", L"/out", L"list.txt"}, {L"C:\\Data", L"list.txt", false, false, false}},
        {{L"/OUT", L"list.txt", L"-Relative", L"C:\\Data", L"/uTF8"}, {L"C:\\Data", L"list.txt", true, true, false}},
        {{L"-out", L".\\-dash.txt", L"Данные\\日本", L"/relative"}, {L"Данные\\日本", L".\\-dash.txt", true, false, false}},
        {{L".\\-folder", L"/out", L"x"}, {L".\\-folder", L"x", false, false, false}},
        {{L"/?"}, {L"", L"", false, false, true}},
        {{L"C:\\Data", L"-?", L"/nonsense"}, {L"", L"", false, false, true}},
        // No /out, or "/out -": standard output.
        {{L"C:\\Data"}, {L"C:\\Data", L"", false, false, false}},
        {{L"C:\\Data", L"/out", L"-", L"/utf8"}, {L"C:\\Data", L"", false, true, false}},
        {{L"-Q", L"C:\\Data", L"/NoLinks"}, {L"C:\\Data", L"", false, false, false, true, true}},
        {{L"C:\\Data", L"/out", L".\\-utf8", L"/q"}, {L"C:\\Data", L".\\-utf8", false, false, false, true, false}},
    };
    for (const Case& c : cases) {
        ParsedArguments parsed = ParseCliArguments(c.args);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(L"", parsed.error);
        EXPECT_EQ(c.expected.folder, parsed.options.folder);
        EXPECT_EQ(c.expected.out, parsed.options.out);
        EXPECT_EQ(c.expected.relative, parsed.options.relative);
        EXPECT_EQ(c.expected.utf8, parsed.options.utf8);
        EXPECT_EQ(c.expected.help, parsed.options.help);
        EXPECT_EQ(c.expected.quiet, parsed.options.quiet);
        EXPECT_EQ(c.expected.no_links, parsed.options.no_links);
    }
}

TEST(CliArguments, EveryFaultIsAnErrorThatNamesIt) {
    struct Case {
        std::vector<std::wstring> args;
        std::wstring in_error;
    };
    const Case cases[] = {
        {{}, L"не указан каталог"},
        {{L"/out", L"list.txt"}, L"не указан каталог"},
        {{L"C:\\Data", L"/out"}, L"нет имени файла"},
        {{L"C:\\Data", L"/out", L"/utf8"}, L"нет имени файла"},
        {{L"C:\\Data", L"/out", L""}, L"нет имени файла"},
        // A value that looks like an option is one forgotten, not a file's name.
        {{L"C:\\Data", L"/out", L"-utf8"}, L"\"-utf8\" - это ключ"},
        {{L"C:\\Data", L"/out", L"-utf8"}, L".\\-utf8"},
        {{L"C:\\Data", L"/out", L"-relative", L"/relative"}, L"\"-relative\""},
        {{L"C:\\Data", L"/nolinks", L"-NOLINKS"}, L"дважды"},
        {{L"C:\\Data", L"/q", L"/Q"}, L"дважды"},
        {{L"C:\\Data", L"/out", L"a", L"/out", L"b"}, L"дважды"},
        {{L"C:\\Data", L"/out", L"a", L"/utf8", L"-UTF8"}, L"дважды"},
        {{L"C:\\Data", L"/out", L"a", L"/relative", L"/relative"}, L"дважды"},
        {{L"C:\\Data", L"D:\\Other", L"/out", L"a"}, L"\"D:\\Other\""},
        {{L"C:\\Data", L"/out", L"a", L"/full"}, L"\"/full\""},
        {{L"C:\\Data", L"/out", L"a", L"-x"}, L"\"-x\""},
        {{L"C:\\Data", L"/out:a"}, L"\"/out:a\""},
        {{L"C:\\Data", L"/", L"/out", L"a"}, L"\"/\""},
    };
    for (const Case& c : cases) {
        ParsedArguments parsed = ParseCliArguments(c.args);
        EXPECT_NE(std::wstring::npos, parsed.error.find(c.in_error)) << parsed.error;
        EXPECT_EQ(std::wstring::npos, parsed.error.find(L'\n')) << "one line";
    }
}

}  // namespace
}  // namespace census
