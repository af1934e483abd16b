// A copy stopped because the program is ending undoes its half-made item
// only as long as an ending program waits; what is left then bears a name
// that says it is incomplete, never the item's own. The source is whole
// either way.
#include "shell/transfer/file_operations.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace census {
namespace {

using namespace census::testing;

constexpr int kFiles = 50;
constexpr int kCopiedBeforeTheEnd = 20;

// The program ends once `after` files are copied; the undo must be over by `deadline`.
class EndingAfter : public TransferProgress {
public:
    EndingAfter(std::uint64_t after, std::uint64_t deadline) : after_(after), deadline_(deadline) {}
    void Advanced(std::uint64_t files_done, std::uint64_t, const std::wstring&) override { done_ = files_done; }
    bool CancelRequested() override { return done_ >= after_; }
    std::uint64_t UndoDeadline() override { return done_ >= after_ ? deadline_ : 0; }

private:
    std::uint64_t after_, deadline_, done_ = 0;
};

TEST(TransferEnding, TheUndoGoesOnTillTheDeadlineAndWhatIsLeftIsMarked) {
    const std::wstring mark = L"many (неполная копия)";
    struct Case {
        const char* name;
        std::uint64_t deadline;
        std::wstring taken;  // a folder already at the target under the mark's name
        std::wstring left;   // what stays at the target of the copy; empty: nothing
    } cases[] = {
        {"time enough", ::GetTickCount64() + 3600000, L"", L""},
        {"no time left", 1, L"", mark},
        {"the mark's name is taken", 1, mark, mark + L" 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree t;
        t.ManyFiles(L"many", kFiles, 16);
        t.Dir(L"dst");
        if (!c.taken.empty()) {
            t.Dir(L"dst\\" + c.taken);
            t.File(L"dst\\" + c.taken + L"\\mine.txt", "mine");
        }
        std::unique_ptr<FileOperations> files = MakeFileOperations();
        EndingAfter ending(kCopiedBeforeTheEnd, c.deadline);
        const TransferReport report = files->Run({t.Path(L"many")}, t.Path(L"dst"), DROPEFFECT_COPY, ending);

        ASSERT_EQ(report.items.size(), 1u);
        EXPECT_EQ(report.items[0].fate, ItemFate::Stayed);
        EXPECT_EQ(report.items[0].reason, StayReason::Cancelled);
        EXPECT_FALSE(FileExists(t.Path(L"dst\\many"))) << "nothing half-made bears the item's name";
        if (c.left.empty()) {
            EXPECT_EQ(CountEntries(t.Path(L"dst")), c.taken.empty() ? 0 : 1) << "nothing of the copy is left";
        } else {
            EXPECT_EQ(CountEntries(t.Path(L"dst\\" + c.left)), kCopiedBeforeTheEnd) << "the part copied, marked";
            EXPECT_EQ(report.items[0].detail, t.Path(L"dst\\" + c.left)) << "the report names where it is";
        }
        if (!c.taken.empty()) {
            EXPECT_EQ(ReadBytes(t.Path(L"dst\\" + c.taken + L"\\mine.txt")), "mine");
        }
        EXPECT_EQ(CountEntries(t.Path(L"many")), kFiles) << "the source is whole";
        EXPECT_EQ(ReadBytes(t.Path(L"many\\f00049.txt")), std::string(16, 'x'));
    }
}

}  // namespace
}  // namespace census
