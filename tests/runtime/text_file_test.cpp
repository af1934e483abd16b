#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/string_list.h"
#include "runtime/text_file.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::ReadBytes;
using testing::TempTree;

TEST(TextFile, WritesCodePage1251WithCrLfAndQuestionMarksOutsideIt) {
    TempTree tree;
    StringList list;
    list.Add(L"C:\\Данные\\файл.txt");
    list.Add(L"ÿ€");
    list.Add(L"日本\u0394");
    list.SaveToFile(tree.Path(L"out.txt"));
    EXPECT_EQ(std::string("C:\\\xC4\xE0\xED\xED\xFB\xE5\\\xF4\xE0\xE9\xEB.txt\r\n?\x88\r\n???\r\n"),
              ReadBytes(tree.Path(L"out.txt")));
}

TEST(TextFile, EmptyTextGivesAnEmptyFileAndReplacesAnOldOne) {
    TempTree tree;
    tree.File(L"out.txt", "old contents");
    WriteTextFile(tree.Path(L"out.txt"), L"");
    EXPECT_TRUE(testing::FileExists(tree.Path(L"out.txt")));
    EXPECT_EQ("", ReadBytes(tree.Path(L"out.txt")));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));  // no temporary left behind
}

TEST(TextFile, MissingFolderIsACreateErrorWithTheFullPath) {
    TempTree tree;
    std::wstring target = tree.Path(L"missing\\out.txt");
    try {
        WriteTextFile(target, L"x");
        FAIL() << "no error";
    } catch (const FileCreateError& e) {
        std::wstring expected = L"Cannot create file \"" + target + L"\". ";
        EXPECT_EQ(expected, e.Message().substr(0, expected.size()));
        EXPECT_GT(e.Message().size(), expected.size());  // the system's reason follows
    }
}

TEST(TextFile, ALockedTargetKeepsItsContentsAndNoTemporaryRemains) {
    TempTree tree;
    tree.File(L"out.txt", "precious");
    {
        UniqueFileHandle lock(::CreateFileW(tree.Path(L"out.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_THROW(WriteTextFile(tree.Path(L"out.txt"), L"new"), FileCreateError);
    }
    EXPECT_EQ("precious", ReadBytes(tree.Path(L"out.txt")));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));
}

}  // namespace
}  // namespace census
