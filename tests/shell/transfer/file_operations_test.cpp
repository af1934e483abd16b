#include "shell/transfer/file_operations.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "shell/namespace/com_object.h"
#include "shell/transfer/small_drive.h"
#include "shell/transfer/tree_data_object.h"

#include "support/recorded_messages.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstring>

namespace census {
namespace {

using namespace census::testing;

// src\inner\a.txt, src\b.txt, dst, dst\taken, taken
class FileOperationsTest : public ::testing::Test {
protected:
    FileOperationsTest() {
        temp.Dir(L"src");
        temp.Dir(L"src\\inner");
        temp.File(L"src\\inner\\a.txt", "abc");
        temp.File(L"src\\b.txt", "b");
        temp.Dir(L"dst");
        temp.Dir(L"dst\\taken");
        temp.Dir(L"taken");
    }

    // What a drop or a paste asks of the layer, run to its end without a word.
    TransferReport Carry(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect) {
        TransferProgress quiet;
        return files->Run(sources, folder, effect, quiet);
    }
    // The link found by a walk to its end; empty when there is none or the walk could not look everywhere.
    std::wstring FirstLinkInside(const std::wstring& path) {
        TransferProgress whole;
        const LinkSearch search = files->FindLinkInside(path, whole);
        return search.reason == StayReason::Link ? search.detail : std::wstring{};
    }
    bool SourceIntact() { return ReadBytes(temp.Path(L"src\\inner\\a.txt")) == "abc" && ReadBytes(temp.Path(L"src\\b.txt")) == "b"; }

    RecordedMessages recorded;
    TempTree temp;
    std::unique_ptr<FileOperations> files = MakeFileOperations();
};

TEST_F(FileOperationsTest, RefusalsLeaveEverythingInPlaceAndAreReported) {
    struct Case {
        const char* name;
        std::wstring source, folder;
        DWORD effect;
    };
    std::vector<Case> cases = {
        {"missing source", temp.Path(L"gone"), temp.Path(L"dst"), DROPEFFECT_COPY},
        {"into itself", temp.Path(L"src"), temp.Path(L"src"), DROPEFFECT_MOVE},
        {"into its own child", temp.Path(L"src"), temp.Path(L"src\\inner"), DROPEFFECT_COPY},
        {"into its child, other case", temp.Path(L"src"), temp.Path(L"SRC\\INNER"), DROPEFFECT_MOVE},
        {"move onto the folder it is in", temp.Path(L"src"), temp.Root(), DROPEFFECT_MOVE},
        {"name taken at the destination", temp.Path(L"taken"), temp.Path(L"dst"), DROPEFFECT_MOVE},
        {"missing destination", temp.Path(L"src"), temp.Path(L"nowhere"), DROPEFFECT_COPY},
    };
    // j\via leads into src: a link part-way down the target's path.
    temp.Dir(L"j");
    ASSERT_TRUE(temp.DirLink(L"j\\via", temp.Path(L"src\\inner")));
    cases.push_back({"into its own child through a link part-way down", temp.Path(L"src"), temp.Path(L"j\\via"),
                     DROPEFFECT_COPY});
    cases.push_back({"moved into its own child through a link part-way down", temp.Path(L"src"), temp.Path(L"j\\via"),
                     DROPEFFECT_MOVE});
    for (const Case& c : cases) {
        recorded.boxes.clear();
        EXPECT_FALSE(files->Refusal({c.source}, c.folder, c.effect).empty()) << c.name;
        const TransferReport report = Carry({c.source}, c.folder, c.effect);
        EXPECT_FALSE(report.Complete()) << c.name;
        EXPECT_FALSE(report.Summary().empty()) << c.name << ": the report says why";
        EXPECT_TRUE(recorded.boxes.empty()) << c.name << ": the layer itself shows nothing";
        EXPECT_TRUE(SourceIntact()) << c.name;
        EXPECT_TRUE(FileExists(temp.Path(L"taken"))) << c.name;
    }
    EXPECT_EQ(CountEntries(temp.Path(L"dst")), 1);
    EXPECT_EQ(CountEntries(temp.Path(L"src\\inner")), 1) << "nothing was written into the source";
    EXPECT_TRUE(files->Refusal({temp.Path(L"src\\inner")}, temp.Path(L"src"), DROPEFFECT_COPY).size() > 0)
        << "a copy into the folder it is in would collide with itself";
    EXPECT_TRUE(files->Refusal({temp.Path(L"src")}, temp.Path(L"src\\inner"), DROPEFFECT_LINK).empty())
        << "a link may live inside what it names";
}

TEST_F(FileOperationsTest, CopyMoveAndLinkCarryTheWholeTree) {
    ASSERT_TRUE(Carry({temp.Path(L"src")}, temp.Path(L"dst"), DROPEFFECT_COPY).Complete());
    EXPECT_EQ(ReadBytes(temp.Path(L"dst\\src\\inner\\a.txt")), "abc");
    EXPECT_TRUE(SourceIntact());

    ASSERT_TRUE(Carry({temp.Path(L"src")}, temp.Path(L"taken"), DROPEFFECT_MOVE).Complete());
    EXPECT_EQ(ReadBytes(temp.Path(L"taken\\src\\b.txt")), "b");
    EXPECT_FALSE(FileExists(temp.Path(L"src")));

    ASSERT_TRUE(Carry({temp.Path(L"taken\\src")}, temp.Root(), DROPEFFECT_LINK).Complete());
    EXPECT_TRUE(FileExists(temp.Path(L"src.lnk")));
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(FileOperationsTest, PathsBeyondTheClassicLimitAndOutsideTheCodePage) {
    std::wstring deep = L"Ελληνικά_日本";
    for (int i = 0; i < 6; ++i) deep += L"\\" + std::wstring(45, static_cast<wchar_t>(L'a' + i));
    for (std::size_t at = 0; (at = deep.find(L'\\', at + 1)) != std::wstring::npos;)
        ::CreateDirectoryW(Long(temp.Path(deep.substr(0, at))).c_str(), nullptr);
    ::CreateDirectoryW(Long(temp.Path(deep)).c_str(), nullptr);
    temp.File(deep + L"\\f.txt", "deep");
    ASSERT_GT(temp.Path(deep).size(), 260u);

    ASSERT_TRUE(Carry({temp.Path(L"Ελληνικά_日本")}, temp.Path(L"dst"), DROPEFFECT_MOVE).Complete());
    EXPECT_EQ(ReadBytes(Long(temp.Path(L"dst\\" + deep + L"\\f.txt"))), "deep");
    EXPECT_FALSE(FileExists(temp.Path(L"Ελληνικά_日本")));
}

// A chain of folders below temp's "relative" until the path is at least
// `length` characters long; its last folder, relative to temp.
std::wstring DeepFolder(const TempTree& temp, std::wstring relative, std::size_t length) {
    for (wchar_t letter = L'a'; temp.Path(relative).size() < length; ++letter) {
        relative += L"\\" + std::wstring(40, letter);
        ::CreateDirectoryW(Long(temp.Path(relative)).c_str(), nullptr);
    }
    return relative;
}

TEST_F(FileOperationsTest, ACopyOfFoldersHoldingPathsPastTheClassicLimitCarriesEveryByte) {
    temp.Dir(L"long");
    const std::wstring past = DeepFolder(temp, L"long", 270), farthest = DeepFolder(temp, past, 390);
    ASSERT_GT(temp.Path(past).size(), 260u);
    ASSERT_GE(temp.Path(farthest).size(), 390u);
    temp.File(past + L"\\past.txt", "past the limit");
    temp.File(farthest + L"\\far.txt", std::string(100000, 'f'));
    temp.File(L"long\\near.txt", "near");

    const TransferReport report = Carry({temp.Path(L"long")}, temp.Path(L"dst"), DROPEFFECT_COPY);
    EXPECT_TRUE(report.Complete()) << ToUtf8(report.Summary());
    EXPECT_EQ(ReadBytes(Long(temp.Path(L"dst\\" + past + L"\\past.txt"))), "past the limit");
    EXPECT_TRUE(ReadBytes(Long(temp.Path(L"dst\\" + farthest + L"\\far.txt"))) == std::string(100000, 'f'));
    EXPECT_EQ(ReadBytes(temp.Path(L"dst\\long\\near.txt")), "near");
    EXPECT_TRUE(ReadBytes(Long(temp.Path(farthest + L"\\far.txt"))) == std::string(100000, 'f')) << "the source stays";
}

// The check before a delete looks inside every folder, however long its
// path: a link at the bottom of a deep folder is found.
TEST_F(FileOperationsTest, AFolderPastTheClassicLimitIsLookedInsideForLinks) {
    temp.Dir(L"long");
    const std::wstring farthest = DeepFolder(temp, L"long", 390);
    ASSERT_TRUE(MakeDirLink(Long(temp.Path(farthest + L"\\up")), temp.Path(L"taken")));
    EXPECT_EQ(FirstLinkInside(temp.Path(L"long")), temp.Path(farthest + L"\\up"));
}

// Another program takes a folder away while the check walks: the check
// could not look at it, so it does not pass.
TEST_F(FileOperationsTest, TheLinkCheckRefusesWhereItCouldNotLook) {
    class TakenAway : public TransferProgress {
    public:
        TakenAway(std::wstring from, std::wstring to) : from_(std::move(from)), to_(std::move(to)) {}
        bool CancelRequested() override {
            if (++asked_ == 2) moved = ::MoveFileExW(from_.c_str(), to_.c_str(), 0);
            return false;
        }
        bool moved = false;

    private:
        std::wstring from_, to_;
        int asked_ = 0;
    } progress(temp.Path(L"src\\inner"), temp.Path(L"taken\\inner"));
    const LinkSearch search = files->FindLinkInside(temp.Path(L"src"), progress);
    ASSERT_TRUE(progress.moved) << "the folder went while the check walked";
    EXPECT_NE(search.reason, StayReason::None) << "a check that could not look does not pass";
    EXPECT_NE(search.reason, StayReason::Link);
    EXPECT_NE(search.detail.find(L"inner"), std::wstring::npos) << ToUtf8(search.detail);
}

TEST_F(FileOperationsTest, TheFirstLinkInsideAFolderIsNamedWhereverItLies) {
    ASSERT_TRUE(temp.DirLink(L"src\\inner\\up", temp.Path(L"taken")));
    ASSERT_TRUE(temp.DirLink(L"alias", temp.Path(L"src")));
    ASSERT_TRUE(MakeDirLink(temp.Path(L"dst\\taken\\b.txt"), temp.Path(L"src\\b.txt")));
    struct Case {
        const wchar_t *path, *link;
    } cases[] = {
        {L"src", L"src\\inner\\up"},
        {L"alias", L"alias"},
        {L"dst", L"dst\\taken\\b.txt"},
        {L"taken", L""},
        {L"src\\b.txt", L""},
    };
    for (const Case& c : cases) {
        const std::wstring expected = *c.link ? temp.Path(c.link) : L"";
        EXPECT_EQ(FirstLinkInside(temp.Path(c.path)), expected) << ::testing::PrintToString(std::wstring(c.path));
    }
}

// A copy keeps what the platform's copy keeps: every byte, the time of the
// last write and the attributes, of a file or a folder, within a drive and
// onto another. As every new file on the platform's file systems, a copied
// file is marked for the next backup (archive).
TEST_F(FileOperationsTest, ACopyKeepsTheBytesTheLastWriteTimeAndTheAttributes) {
    constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY, kHidden = FILE_ATTRIBUTE_HIDDEN,
                    kSystem = FILE_ATTRIBUTE_SYSTEM, kArchive = FILE_ATTRIBUTE_ARCHIVE,
                    kNotIndexed = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    constexpr DWORD kKept = kReadOnly | kHidden | kSystem | kNotIndexed;
    struct Case {
        const wchar_t* name;
        DWORD attributes;
        bool folder;
    } cases[] = {
        {L"plain", FILE_ATTRIBUTE_NORMAL, false},
        {L"archive", kArchive, false},
        {L"read-only", kReadOnly, false},
        {L"hidden", kHidden, false},
        {L"system", kSystem, false},
        {L"not indexed", kNotIndexed, false},
        {L"hidden system read-only", kHidden | kSystem | kReadOnly, false},
        {L"hidden folder", kHidden, true},
        {L"system folder", kSystem, true},
        {L"read-only folder", kReadOnly, true},
    };
    struct Expected {
        std::string bytes;
        FILETIME written;
        DWORD attributes;
    };
    std::vector<Expected> expected;
    temp.Dir(L"kept");
    temp.Dir(L"small");
    for (const Case& c : cases) {
        const std::wstring path = L"kept\\" + std::wstring(c.name);
        if (c.folder) temp.Dir(path);
        else temp.File(path, ToUtf8(c.name));
        FILETIME written{0xD53E8000u + static_cast<DWORD>(expected.size()) * 10000000u, 0x01C0A5B1u};  // early 2001
        if (!c.folder) {
            UniqueFileHandle file(::CreateFileW(temp.Path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &written));
        }
        temp.Attributes(path, c.attributes);
        // What the platform keeps of what was set here is what a copy keeps.
        const DWORD attributes = ::GetFileAttributesW(temp.Path(path).c_str());
        expected.push_back({ReadBytes(temp.Path(path)), written, (attributes & kKept) | (c.folder ? 0 : kArchive)});
    }
    SmallDrive drive(temp.Path(L"small"), 1024);
    ASSERT_TRUE(drive.Mounted()) << "no small drive could be mounted";
    struct Transfer {
        const char* name;
        const wchar_t* folder;
        DWORD effect;
    } transfers[] = {{"a copy within the drive", L"dst", DROPEFFECT_COPY}, {"a move onto another drive", L"small", DROPEFFECT_MOVE}};
    for (const Transfer& t : transfers) {
        ASSERT_TRUE(Carry({temp.Path(L"kept")}, temp.Path(t.folder), t.effect).Complete()) << t.name;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const std::wstring copy = temp.Path(std::wstring(t.folder) + L"\\kept\\" + cases[i].name);
            WIN32_FILE_ATTRIBUTE_DATA data{};
            ASSERT_TRUE(::GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &data)) << t.name << " " << ToUtf8(cases[i].name);
            EXPECT_EQ(data.dwFileAttributes & (kKept | kArchive), expected[i].attributes) << t.name << " " << ToUtf8(cases[i].name);
            if (cases[i].folder) continue;
            EXPECT_EQ(ReadBytes(copy), expected[i].bytes) << t.name << " " << ToUtf8(cases[i].name);
            EXPECT_EQ(::CompareFileTime(&data.ftLastWriteTime, &expected[i].written), 0) << t.name << " " << ToUtf8(cases[i].name);
        }
    }
    EXPECT_FALSE(FileExists(temp.Path(L"kept"))) << "moved";
}

// A data object holding whatever bytes another program put in its "Shell IDList Array".
class RawIdListData : public ComObject<IDataObject> {
public:
    explicit RawIdListData(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (f->cfFormat != ShellIdListFormat()) return DV_E_FORMATETC;
        UniqueGlobal copy(::GlobalAlloc(GMEM_MOVEABLE, bytes_.size()));
        LockedGlobal locked(copy.get());
        std::memcpy(locked.mutable_data(), bytes_.data(), bytes_.size());
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = copy.release();
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::vector<std::uint8_t> bytes_;
};

TEST(DroppedData, AnUnreadableBlockFromAnotherProgramAllowsEverythingAndNamesNothing) {
    // A count of a million items in a 12-byte block.
    ComPtr<IDataObject> data =
        MakeComObject<RawIdListData, IDataObject>(std::vector<std::uint8_t>{0x40, 0x42, 0x0F, 0, 12, 0, 0, 0, 14, 0, 0, 0});
    EXPECT_EQ(CommonDropAttributes(data.get()), 7u);
    EXPECT_TRUE(ReadDroppedPaths(data.get()).empty());
}

}  // namespace
}  // namespace census
