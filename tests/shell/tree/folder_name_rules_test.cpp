#include "shell/tree/folder_name_rules.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(FolderNameRules, EachRefusedNameHasItsReason) {
    const std::wstring parent = L"C:\\Data";
    struct Case {
        const wchar_t* name;
        NameVerdict verdict;
        wchar_t character;
    } cases[] = {
        {L"plain", NameVerdict::Fine, 0},
        {L"Папка 2.old", NameVerdict::Fine, 0},
        {L"console", NameVerdict::Fine, 0},
        {L"lpt10", NameVerdict::Fine, 0},
        {L".hidden", NameVerdict::Fine, 0},
        {L"", NameVerdict::Blank, 0},
        {L"   ", NameVerdict::Blank, 0},
        {L"a:b", NameVerdict::ForbiddenCharacter, L':'},
        {L"x\\y", NameVerdict::ForbiddenCharacter, L'\\'},
        {L"x/y", NameVerdict::ForbiddenCharacter, L'/'},
        {L"a*b", NameVerdict::ForbiddenCharacter, L'*'},
        {L"a?b", NameVerdict::ForbiddenCharacter, L'?'},
        {L"a|b", NameVerdict::ForbiddenCharacter, L'|'},
        {L"a\"b", NameVerdict::ForbiddenCharacter, L'"'},
        {L"a<b", NameVerdict::ForbiddenCharacter, L'<'},
        {L"a>b", NameVerdict::ForbiddenCharacter, L'>'},
        {L"..\\escaped", NameVerdict::ForbiddenCharacter, L'\\'},
        {L"tab\there", NameVerdict::ForbiddenCharacter, L'\t'},
        {L".", NameVerdict::DotsOnly, 0},
        {L"..", NameVerdict::DotsOnly, 0},
        {L"name.", NameVerdict::TrailingDot, 0},
        {L"con", NameVerdict::ReservedName, 0},
        {L"NUL", NameVerdict::ReservedName, 0},
        {L"lpt1", NameVerdict::ReservedName, 0},
        {L"Com9", NameVerdict::ReservedName, 0},
        {L"con.txt", NameVerdict::ReservedName, 0},
        {L"aux .tar.gz", NameVerdict::ReservedName, 0},
        {L"prn", NameVerdict::ReservedName, 0},
    };
    for (const Case& c : cases) {
        const NameCheck check = CheckFolderName(parent, c.name);
        EXPECT_EQ(check.verdict, c.verdict) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(check.character, c.character) << testing::PrintToString(std::wstring(c.name));
        if (c.verdict != NameVerdict::Fine) EXPECT_FALSE(RefusalText(check, c.name).empty());
    }
}

// The full path (parent, separator, name) must stay under 260 characters,
// and no name may pass the file system's 255.
TEST(FolderNameRules, TheRoomForANameIsWhatTheFullPathLeaves) {
    const std::wstring deep = L"C:\\" + std::wstring(102, L'p');  // 105 characters, like a folder 106 deep with its separator
    struct Case {
        std::wstring parent;
        std::size_t room;
    } cases[] = {
        {L"C:\\", 255},
        {L"C:\\Data", 251},
        {deep, 259 - 106},
        {L"C:\\" + std::wstring(254, L'p'), 1},
        {L"C:\\" + std::wstring(255, L'p'), 0},
        {L"C:\\" + std::wstring(300, L'p'), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(NameRoomIn(c.parent), c.room) << c.parent.size();

    EXPECT_EQ(CheckFolderName(deep, std::wstring(153, L'n')).verdict, NameVerdict::Fine);
    const NameCheck over = CheckFolderName(deep, std::wstring(166, L'n'));
    EXPECT_EQ(over.verdict, NameVerdict::TooLong);
    EXPECT_EQ(over.fit, 153u);
    EXPECT_NE(RefusalText(over, std::wstring(166, L'n')).find(L"153"), std::wstring::npos) << "says how many fit";
    EXPECT_EQ(CheckFolderName(L"C:\\", std::wstring(256, L'n')).fit, 255u);
    EXPECT_EQ(CheckFolderName(L"C:\\", std::wstring(255, L'n')).verdict, NameVerdict::Fine);
}

}  // namespace
}  // namespace census
