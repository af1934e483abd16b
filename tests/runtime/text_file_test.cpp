#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/string_list.h"
#include "runtime/text_file.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

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

// Bytes of the list are the same on every machine. This table runs in every
// test run, and once more under a machine code page other than 1251 (see
// tests/CMakeLists.txt), where a conversion through the machine's page fails it.
TEST(TextFile, CodePage1251BytesDoNotDependOnTheMachinesCodePage) {
    if (const char* expected = std::getenv("CENSUS_EXPECT_ANSI_CODE_PAGE"))
        ASSERT_EQ(static_cast<UINT>(std::atoi(expected)), ::GetACP()) << "the run is not where it claims to be";
    TempTree tree;
    WriteTextFile(tree.Path(L"out.txt"), L"Ёж ёж АЯ ая № Ђђ \u20AC\r\n");
    EXPECT_EQ(std::string("\xA8\xE6 \xB8\xE6 \xC0\xDF \xE0\xFF \xB9 \x80\x90 \x88\r\n"), ReadBytes(tree.Path(L"out.txt")));
}

// Every character as the platform's own table for page 1251 writes it, asked
// for that page by number: the file is byte for byte what it always was.
TEST(TextFile, CodePage1251AgreesWithThePlatformsTableForEveryCharacter) {
    std::wstring all;
    for (unsigned c = 1; c < 0x10000; ++c)
        if (c < 0xD800 || c > 0xDFFF) all += static_cast<wchar_t>(c);
    all += L"\xD83D\xDE00 \xD83D \xDE00";  // a pair, a lone high and a lone low surrogate
    std::string platform(all.size() * 2, '\0');
    int n = ::WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, all.data(), static_cast<int>(all.size()),
                                  platform.data(), static_cast<int>(platform.size()), "?", nullptr);
    platform.resize(static_cast<size_t>(n));
    EXPECT_EQ(platform, ToCodePage1251(all));
}

TEST(TextFile, GreekAndJapaneseNamesInBothEncodings) {
    const std::wstring text = L"a\\Ελληνικά.txt\r\nb\\файл.txt\r\nc\\日本語\\下.txt\r\nd\\καλό 日.txt\r\n";
    EncodedList cp = EncodeList(text, ListEncoding::CodePage1251);
    EXPECT_EQ(std::string("a\\????????.txt\r\nb\\\xF4\xE0\xE9\xEB.txt\r\nc\\???\\?.txt\r\nd\\???? ?.txt\r\n"), cp.bytes);
    EXPECT_EQ(3, cp.lines_replaced);

    EncodedList utf8 = EncodeList(text, ListEncoding::Utf8);
    EXPECT_EQ(0, utf8.lines_replaced);
    EXPECT_EQ(std::string("\xEF\xBB\xBF") + ToUtf8(text), utf8.bytes);
    EXPECT_EQ("\xEF\xBB\xBF\xF0\x9F\x98\x80", EncodeList(L"\xD83D\xDE00", ListEncoding::Utf8).bytes);
    // A line without a break at the end counts as well.
    EXPECT_EQ(1, EncodeList(L"ok\r\n日", ListEncoding::CodePage1251).lines_replaced);
}

// A write that fails part way, with or without an old file, leaves the old
// bytes and nothing else in the folder.
TEST(TextFile, AWriteFailingPartWayKeepsTheOldFileAndLeavesNoTemporary) {
    for (bool old_file : {true, false}) {
        TempTree tree;
        if (old_file) tree.File(L"out.txt", "precious");
        std::string big(3u << 20, 'x');  // several writes
        for (int failing : {0, 2}) {
            WriteFaults faults;
            faults.failing_write = failing;
            EXPECT_THROW(WriteFileBytes(tree.Path(L"out.txt"), big, faults), StreamWriteError);
            EXPECT_EQ(old_file ? "precious" : "", ReadBytes(tree.Path(L"out.txt")));
            EXPECT_EQ(old_file ? 1 : 0, testing::CountEntries(tree.Root())) << failing;
        }
    }
}

// A folder that takes no new file (the platform refuses the temporary) but
// holds a writable target: the target is written in place.
TEST(TextFile, AFolderRefusingNewFilesStillHasItsWritableTargetWritten) {
    TempTree tree;
    tree.File(L"out.txt", "old contents, longer than the new");
    WriteFaults faults;
    faults.temporary_refused = ERROR_ACCESS_DENIED;
    WriteFileBytes(tree.Path(L"out.txt"), "new", faults);
    EXPECT_EQ("new", ReadBytes(tree.Path(L"out.txt")));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));
    // Without a target there is nothing to write in place: the refusal is reported.
    EXPECT_THROW(WriteFileBytes(tree.Path(L"other.txt"), "new", faults), FileCreateError);
    EXPECT_FALSE(testing::FileExists(tree.Path(L"other.txt")));
}

// Names up to the file system's 255 characters, and full paths far over 260.
TEST(TextFile, LongNamesAndLongPathsAreWrittenWhereTheFileSystemTakesThem) {
    TempTree tree;
    const std::wstring folder(200, L'f');
    tree.Dir(folder);
    struct Case {
        std::wstring relative;
        bool accepted;
    };
    const Case cases[] = {
        {std::wstring(250, L'n') + L".txt", true},              // a name of 254 characters
        {folder + L"\\" + std::wstring(255, L'n'), true},       // a path of about 500
        {std::wstring(300, L'n'), false},                      // a name the file system refuses
    };
    for (const Case& c : cases) {
        const std::wstring path = tree.Path(c.relative);
        if (c.accepted) {
            WriteTextFile(path, L"список\r\n");
            EXPECT_EQ("\xF1\xEF\xE8\xF1\xEE\xEA\r\n", ReadBytes(testing::Long(path))) << c.relative.size();
        } else {
            EXPECT_THROW(WriteTextFile(path, L"x"), FileCreateError);
        }
    }
    EXPECT_EQ(2, testing::CountEntries(tree.Root()));  // the folder and the first file: no temporaries
    EXPECT_EQ(1, testing::CountEntries(testing::Long(tree.Path(folder))));
}

// Written line by line, a list has the bytes of the same list written whole,
// in both encodings, and counts the same replaced lines; the old file stays
// until the commit and nothing is left beside the new one.
TEST(ListFileWriter, LineByLineGivesTheBytesOfTheWholeListInBothEncodings) {
    // Enough lines that the writer's buffer goes to the file several times.
    std::vector<std::wstring> lines = {L"a\\Ελληνικά.txt", L"b\\файл.txt", L"c\\\xD83D\xDE00.txt", L""};
    for (int i = 0; i < 20000; ++i) lines.push_back(L"D:\\папка\\" + std::wstring(40, L'x') + std::to_wstring(i));
    std::wstring whole;
    for (const std::wstring& line : lines) whole += line + L"\r\n";
    for (ListEncoding encoding : {ListEncoding::CodePage1251, ListEncoding::Utf8}) {
        TempTree tree;
        tree.File(L"out.txt", "precious");
        ListFileWriter writer(tree.Path(L"out.txt"), encoding);
        for (const std::wstring& line : lines) writer.AddLine(line);
        EXPECT_EQ("precious", ReadBytes(tree.Path(L"out.txt")));
        EXPECT_EQ(2, testing::CountEntries(tree.Root()));  // the old list and the one being written
        writer.Commit();
        const EncodedList expected = EncodeList(whole, encoding);
        EXPECT_EQ(expected.bytes, ReadBytes(tree.Path(L"out.txt")));
        EXPECT_EQ(expected.lines_replaced, writer.LinesReplaced());
        EXPECT_EQ(encoding == ListEncoding::Utf8 ? 0 : 2, writer.LinesReplaced());
        EXPECT_EQ(1, testing::CountEntries(tree.Root()));
    }
}

// A writer that ends without its commit (a failed or interrupted run), or
// whose writing fails part way, leaves the old file and no temporary; one
// that cannot replace the target says so before anything is written.
TEST(ListFileWriter, FailuresAndAbandonedWritersKeepTheOldFile) {
    TempTree tree;
    const std::wstring target = tree.Path(L"out.txt");
    const std::wstring line(1000, L'x');
    tree.File(L"out.txt", "precious");
    {
        ListFileWriter abandoned(target, ListEncoding::CodePage1251);
        for (int i = 0; i < 1000; ++i) abandoned.AddLine(line);
    }
    EXPECT_EQ("precious", ReadBytes(target));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));

    WriteFaults faults;
    faults.failing_write = 1;
    {
        ListFileWriter failing(target, ListEncoding::Utf8, faults);
        EXPECT_THROW(
            {
                for (int i = 0; i < 2000; ++i) failing.AddLine(line);
                failing.Commit();
            },
            StreamWriteError);
    }
    EXPECT_EQ("precious", ReadBytes(target));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));

    // Unlike a whole save, no writing in place where the folder refuses new files.
    faults = {};
    faults.temporary_refused = ERROR_ACCESS_DENIED;
    EXPECT_THROW(ListFileWriter(target, ListEncoding::CodePage1251, faults), FileCreateError);
    {
        UniqueFileHandle lock(::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        try {
            ListFileWriter locked(target, ListEncoding::CodePage1251);
            ADD_FAILURE() << "a locked target was taken";
        } catch (const FileCreateError& e) {
            EXPECT_NE(0u, e.Code());
        }
    }
    EXPECT_THROW(ListFileWriter(tree.Root(), ListEncoding::CodePage1251), FileCreateError);
    EXPECT_EQ("precious", ReadBytes(target));
    EXPECT_EQ(1, testing::CountEntries(tree.Root()));
}

}  // namespace
}  // namespace census
