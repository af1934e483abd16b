#include "shell/send_to_menu.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(SendToMenu, TypedCharactersGoToTheNextEntryWithThatLetter) {
    const std::vector<std::wstring> names{L"Desktop", L"documents", L"Mail", L"Дом"};
    struct Case {
        const char* name;
        int highlighted;
        wchar_t typed;
        MenuCharCommand command;
        int position;
    } cases[] = {
        {"first of two, any case", -1, L'd', MenuCharCommand::Select, 0},
        {"the next after the highlight", 0, L'D', MenuCharCommand::Select, 1},
        {"wrapping to the first", 1, L'd', MenuCharCommand::Select, 0},
        {"the only one is run", -1, L'm', MenuCharCommand::Execute, 2},
        {"the only one, also when highlighted", 2, L'M', MenuCharCommand::Execute, 2},
        {"Cyrillic", 0, L'д', MenuCharCommand::Execute, 3},
        {"no entry closes", 1, L'x', MenuCharCommand::Close, 0},
    };
    for (const Case& c : cases) {
        const MenuCharAnswer answer = AnswerMenuChar(names, c.highlighted, c.typed);
        EXPECT_EQ(answer.command, c.command) << c.name;
        EXPECT_EQ(answer.position, c.position) << c.name;
    }
    EXPECT_EQ(AnswerMenuChar({}, -1, L'a').command, MenuCharCommand::Close);
}

TEST(SendToMenu, EntriesShowTheirNamesWithoutExtension) {
    EXPECT_EQ(ShownName(L"Mail Recipient.MAPIMail"), L"Mail Recipient");
    EXPECT_EQ(ShownName(L"a.b.lnk"), L"a.b");
    EXPECT_EQ(ShownName(L"plain"), L"plain");
    EXPECT_EQ(ShownName(L".hidden"), L".hidden");
}

}  // namespace
}  // namespace census
