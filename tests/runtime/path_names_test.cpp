#include "runtime/path_names.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(PathNames, ExtendedFormKeepsNetworkPathsOnTheirShare) {
    struct Case {
        const wchar_t* path;
        const wchar_t* extended;
        const wchar_t* plain;  // the extended form with its prefix taken off again
    } cases[] = {
        {L"C:\\a\\b", L"\\\\?\\C:\\a\\b", L"C:\\a\\b"},
        {L"C:\\", L"\\\\?\\C:\\", L"C:\\"},
        // "\\?\" before the two leading backslashes would name a device.
        {L"\\\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a", L"\\\\server\\share\\a"},
        {L"\\\\server\\share", L"\\\\?\\UNC\\server\\share", L"\\\\server\\share"},
        // Already extended: never prefixed twice.
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a", L"C:\\a"},
        {L"\\\\?\\UNC\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a", L"\\\\server\\share\\a"},
        // A device path is no network path: the same object as its extended form.
        {L"\\\\.\\T:\\folder", L"\\\\?\\T:\\folder", L"T:\\folder"},
        {L"\\\\.\\UNC\\server\\share", L"\\\\?\\UNC\\server\\share", L"\\\\server\\share"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.extended, WithExtendedPrefix(c.path)) << c.path;
        EXPECT_EQ(c.plain, WithoutExtendedPrefix(c.extended)) << c.path;
        EXPECT_EQ(c.plain, WithoutExtendedPrefix(c.plain)) << c.path;
    }
}

TEST(PathNames, NamesCompareAsTheFileSystemComparesThem) {
    struct Case {
        const wchar_t *a, *b;
        int order;  // the sign of a against b
    } cases[] = {
        {L"data", L"Data", 0},
        {L"DATA.TXT", L"data.txt", 0},
        {L"Папка", L"ПАПКА", 0},
        {L"ёлка", L"Ёлка", 0},
        {L"Ελληνικά", L"ΕΛΛΗΝΙΚΆ", 0},
        {L"ώρα", L"ΏΡΑ", 0},
        {L"ελλάς", L"ΕΛΛΆΣ", 0},
        {L"łódź", L"ŁÓDŹ", 0},
        {L"", L"", 0},
        {L"", L"a", -1},
        {L"data", L"data ", -1},
        {L"a", L"B", -1},
        {L"b", L"A", 1},
        {L"\u0131", L"I", 1},  // the dotless i folds to nothing else
        // Unit by unit, not by the user's language: no letter is ignored or
        // taken for another (a locale compare may hold "ss" the same as "ß").
        {L"strasse", L"straße", -1},
        {L"a-b", L"ab", -1},
    };
    for (const Case& c : cases) {
        const int order = CompareNames(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order) << testing::PrintToString(std::wstring(c.a));
        EXPECT_EQ(SameName(c.a, c.b), c.order == 0) << testing::PrintToString(std::wstring(c.a));
    }
}

TEST(PathNames, InsideEndsAtABackslash) {
    struct Case {
        const wchar_t *inner, *outer;
        bool inside, same;
    } cases[] = {
        {L"C:\\a", L"C:\\a", true, true},
        {L"C:\\a\\b", L"C:\\a", true, false},
        {L"C:\\A\\B\\", L"c:\\a\\", true, false},
        {L"C:\\a\\", L"c:\\A", true, true},
        {L"C:\\ab", L"C:\\a", false, false},
        {L"C:\\a", L"C:\\ab", false, false},
        {L"C:\\a", L"C:\\a\\b", false, false},
        {L"C:\\a b\\c", L"C:\\a", false, false},
        // A drive's root holds everything on the drive, written either way.
        {L"C:\\x", L"C:\\", true, false},
        {L"C:\\x", L"C:", true, false},
        {L"C:\\", L"c:\\", true, true},
        {L"C:\\", L"C:", true, true},
        {L"D:\\x", L"C:\\", false, false},
        {L"CD:\\x", L"C:\\", false, false},
        // Letters fold as names do.
        {L"C:\\ПАПКА\\файл", L"c:\\папка", true, false},
        // The extended-length prefix changes nothing.
        {L"\\\\?\\C:\\a\\b", L"C:\\A", true, false},
        {L"C:\\a\\b", L"\\\\?\\C:\\a", true, false},
        {L"\\\\?\\UNC\\server\\share\\a", L"\\\\SERVER\\share", true, false},
        {L"\\\\server\\share", L"\\\\?\\UNC\\server\\share\\", true, true},
        {L"\\\\server\\shared", L"\\\\server\\share", false, false},
        // An empty path is nothing.
        {L"", L"", false, true},
        {L"C:\\a", L"", false, false},
        {L"", L"C:\\", false, false},
    };
    for (const Case& c : cases) {
        const std::string shown = testing::PrintToString(std::wstring(c.inner) + L" | " + c.outer);
        EXPECT_EQ(SameOrInside(c.inner, c.outer), c.inside) << shown;
        EXPECT_EQ(SamePath(c.inner, c.outer), c.same) << shown;
    }
}

// The plain form ends where a folder could no longer hold an 8.3 name.
TEST(PathNames, LongPathsTakeTheExtendedForm) {
    const std::wstring base = L"C:\\";
    struct Case {
        std::size_t length;
        bool extended;
    } cases[] = {{3, false}, {247, false}, {248, true}, {259, true}, {300, true}};
    for (const Case& c : cases) {
        const std::wstring path = base + std::wstring(c.length - base.size(), L'a');
        EXPECT_EQ(ExtendedPath(path), c.extended ? L"\\\\?\\" + path : path) << c.length;
    }
    const std::wstring share = L"\\\\server\\share\\" + std::wstring(260, L'a');
    EXPECT_EQ(ExtendedPath(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(260, L'a'));
}

TEST(PathNames, PartsAndJoining) {
    struct Case {
        const wchar_t* path;
        const wchar_t* parent;
        const wchar_t* last;
    } cases[] = {
        {L"C:\\a\\b", L"C:\\a", L"b"},
        {L"C:\\a\\b\\\\", L"C:\\a", L"b"},
        {L"C:\\a", L"C:\\", L"a"},
        {L"\\\\server\\share\\a", L"\\\\server\\share", L"a"},
        {L"\\\\?\\UNC\\server\\share\\a", L"\\\\?\\UNC\\server\\share", L"a"},
        {L"name", L"", L"name"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.parent, ParentPart(c.path)) << c.path;
        EXPECT_EQ(c.last, LastPart(c.path)) << c.path;
    }
    EXPECT_EQ(L"C:\\a", JoinPath(L"C:\\", L"a"));
    EXPECT_EQ(L"\\\\server\\share\\a", JoinPath(L"\\\\server\\share", L"a"));
    EXPECT_EQ(L"\\\\server\\share\\a", JoinPath(L"\\\\server\\share\\", L"a"));
    EXPECT_EQ(L"\\", WithoutTrailingBackslashes(L"\\\\\\"));
    EXPECT_EQ(L"C:\\", WithTrailingBackslash(L"C:\\"));
    EXPECT_EQ(L"C:\\Data\\", WithTrailingBackslash(L"C:\\Data"));
    EXPECT_EQ(L"", WithTrailingBackslash(L""));
}

}  // namespace
}  // namespace census
