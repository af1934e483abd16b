#include "shell/transfer/file_operations.h"
#include "shell/transfer/transfer_names.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(TransferNames, EveryMemberOfAClashIsRefusedAndOnlyThey) {
    constexpr std::size_t kFree = std::wstring::npos;
    struct Case {
        const char* name;
        std::vector<std::wstring> names, taken;
        std::vector<std::size_t> expected;
    } cases[] = {
        {"no clash", {L"a", L"b"}, {}, {kFree, kFree}},
        {"case variants among items", {L"Data", L"x", L"data"}, {}, {2, kFree, 0}},
        {"the same name twice", {L"src", L"src"}, {}, {1, 0}},
        {"taken at the target in another case", {L"src", L"b"}, {L"SRC"}, {2, kFree}},
        {"three of a kind", {L"a", L"A", L"a"}, {}, {1, 0, 0}},
        {"a final sigma taken at the target", {L"ελλάς"}, {L"ΕΛΛΆΣ"}, {1}},
    };
    for (const Case& c : cases) EXPECT_EQ(NameClashes(c.names, c.taken), c.expected) << c.name;
}

TEST(TransferNames, PathParts) {
    EXPECT_EQ(LastPart(L"C:\\a\\b\\"), L"b");
    EXPECT_EQ(ParentPart(L"C:\\a\\b"), L"C:\\a");
    EXPECT_EQ(ParentPart(L"C:\\a"), L"C:\\");
    EXPECT_EQ(ParentPart(L"C:\\"), L"");
    EXPECT_EQ(JoinPath(L"C:\\", L"a"), L"C:\\a");
    EXPECT_EQ(JoinPath(L"C:\\a", L"b"), L"C:\\a\\b");
}

TEST(TransferReasons, EachPlatformCodeHasItsOwnReason) {
    struct Case {
        DWORD error;
        StayReason reason;
    } cases[] = {
        {ERROR_DISK_FULL, StayReason::DiskFull},         {ERROR_HANDLE_DISK_FULL, StayReason::DiskFull},
        {ERROR_SHARING_VIOLATION, StayReason::InUse},    {ERROR_LOCK_VIOLATION, StayReason::InUse},
        {ERROR_ACCESS_DENIED, StayReason::AccessDenied}, {ERROR_FILE_NOT_FOUND, StayReason::NotFound},
        {ERROR_PATH_NOT_FOUND, StayReason::NotFound},    {ERROR_FILE_EXISTS, StayReason::NameTaken},
        {ERROR_ALREADY_EXISTS, StayReason::NameTaken},   {ERROR_CANCELLED, StayReason::Cancelled},
        {ERROR_INVALID_DATA, StayReason::Failed},
    };
    for (const Case& c : cases) EXPECT_EQ(ReasonOfError(c.error), c.reason) << c.error;
}

TEST(TransferReasons, TheOwnLayerRunsOnlyOnAPositiveSignThatTheShellDoesNothing) {
    struct Case {
        bool menu_obtained, file_commands_seen, shell_transfers;
    } cases[] = {
        {false, false, true},  // the probe could not ask: the shell is used
        {true, true, true},
        {true, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShellTransfersFilesFrom(c.menu_obtained, c.file_commands_seen), c.shell_transfers)
            << c.menu_obtained << c.file_commands_seen;
}

TEST(TransferReport, OneMessageNamesWhatWasDoneAndWhatStayedAndWhy) {
    TransferReport report;
    report.kind = TransferKind::Move;
    report.items = {
        {L"C:\\s\\one", L"D:\\t\\one", ItemFate::Moved},
        {L"C:\\s\\two", L"D:\\t\\two", ItemFate::Moved},
        {L"C:\\s\\data", L"D:\\t\\data", ItemFate::Stayed, StayReason::NameTaken},
        {L"C:\\s\\big", L"D:\\t\\big", ItemFate::Stayed, StayReason::DiskFull},
        {L"C:\\s\\tree", L"D:\\t\\tree", ItemFate::Stayed, StayReason::Link, L"C:\\s\\tree\\thesis.txt"},
        {L"C:\\s\\log", L"D:\\t\\log", ItemFate::Copied, StayReason::InUse, L"C:\\s\\log\\now.txt"},
        {L"C:\\s\\doc", L"D:\\t\\doc", ItemFate::Copied, StayReason::Changed, L"C:\\s\\doc\\a.txt", 3},
        {L"C:\\s\\inbox", L"D:\\t\\inbox", ItemFate::Copied, StayReason::Added, L"C:\\s\\inbox\\new.txt", 1},
    };
    EXPECT_FALSE(report.Complete());
    EXPECT_EQ(report.Summary(),
              L"Перемещено: 2.\n"
              L"Не перемещено «data»: имя уже занято в папке назначения.\n"
              L"Не перемещено «big»: на диске назначения не хватило места.\n"
              L"Не перемещено «tree»: внутри есть ссылка «C:\\s\\tree\\thesis.txt», перенести её безопасно нельзя.\n"
              L"«log» скопировано, но с прежнего места удалено не полностью: файл «C:\\s\\log\\now.txt» занят другой "
              L"программой.\n"
              L"«doc» скопировано, но с прежнего места удалено не полностью: файл «C:\\s\\doc\\a.txt» изменился после "
              L"копирования и остался на прежнем месте, в копии его прежнее содержимое (там осталось файлов: 3).\n"
              L"«inbox» скопировано, но с прежнего места удалено не полностью: «C:\\s\\inbox\\new.txt» появился после "
              L"копирования и остался на прежнем месте (там осталось файлов: 1).");
    report.items.resize(2);
    EXPECT_TRUE(report.Complete());
    report.cancelled = true;
    EXPECT_EQ(report.Summary(), L"Операция отменена.\nПеремещено: 2.");
    EXPECT_FALSE(TransferReport{}.Complete()) << "a report of nothing claims nothing";
}

}  // namespace
}  // namespace census
