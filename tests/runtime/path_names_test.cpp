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
}

}  // namespace
}  // namespace census
