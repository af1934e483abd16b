#include "app/census_line.h"

#include <gtest/gtest.h>

namespace census {
namespace {

struct LineCase {
    const wchar_t* prefix;
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* line;
};

TEST(CensusLine, FullAndRelativeLines) {
    const LineCase cases[] = {
        {L"", L"C:\\Data\\", L"a.txt", L"C:\\Data\\a.txt"},
        {L"", L"C:\\Data\\Sub\\", L"b.doc", L"C:\\Data\\Sub\\b.doc"},
        {L"C:\\Data\\ ", L"C:\\Data\\", L"a.txt", L"a.txt"},
        {L"C:\\Data\\ ", L"C:\\Data\\Sub\\", L"b.doc", L"Sub\\b.doc"},
        {L"C:\\ ", L"C:\\Windows\\", L"win.ini", L"Windows\\win.ini"},
        // A folder shorter than the reference folder leaves nothing of itself.
        {L"C:\\Data\\Deep\\ ", L"C:\\Data\\", L"x", L"x"},
        // The current directory (empty folder) gives bare names.
        {L"", L"", L"a.txt", L"a.txt"},
        {L"C:\\Каталог\\ ", L"C:\\Каталог\\Подкаталог\\", L"файл.txt", L"Подкаталог\\файл.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.line, CensusLine(c.folder, c.name, c.prefix)) << c.folder << c.name;
}

TEST(SaveFileName, TxtIsAddedUnlessTheFileNameHoldsIt) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\out\\list", L"C:\\out\\list.txt"},
        {L"C:\\out\\list.txt", L"C:\\out\\list.txt"},
        {L"C:\\out\\list.TXT", L"C:\\out\\list.TXT.txt"},
        {L"C:\\out\\list.doc", L"C:\\out\\list.doc.txt"},
        // A ".txt" in a folder name does not count.
        {L"C:\\notes.txt\\list", L"C:\\notes.txt\\list.txt"},
        {L"  C:\\out\\list", L"C:\\out\\list.txt"},
        {L"list", L"list.txt"},
    };
    for (const auto& [typed, written] : cases) EXPECT_EQ(written, SaveFileName(typed).value()) << typed;
}

TEST(SaveFileName, EmptyNameAsksForOneButBlanksDoNot) {
    EXPECT_FALSE(SaveFileName(L"").has_value());
    EXPECT_EQ(L".txt", SaveFileName(L"   ").value());
}

}  // namespace
}  // namespace census
