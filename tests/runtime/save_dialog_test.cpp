#include "runtime/save_dialog.h"

#include <gtest/gtest.h>

namespace census {
namespace {

// What a long name typed in the dialog stands for, where the program takes
// the name from the dialog itself.
TEST(SaveDialog, TypedNamesBecomeFullNamesInTheDialogsFolder) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* typed;
        const wchar_t* full;
    };
    const Case cases[] = {
        {L"C:\\a", L"list", L"C:\\a\\list"},
        {L"C:\\", L"list", L"C:\\list"},
        {L"C:\\a", L"\"my list\"", L"C:\\a\\my list"},
        {L"C:\\a", L"sub\\list.txt", L"C:\\a\\sub\\list.txt"},
        {L"C:\\a", L"D:\\b\\list", L"D:\\b\\list"},
        {L"C:\\a", L"\\\\server\\share\\list", L"\\\\server\\share\\list"},
        {L"C:\\a", L"\\b\\list", L"C:\\b\\list"},
        {L"", L"list", L"list"},  // a folder without a path
        {L"C:\\a", L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.full, SaveDialog::TypedFullName(c.folder, c.typed)) << c.typed;
}

}  // namespace
}  // namespace census
