#include "shell/transfer/drop_blocks.h"

#include "shell/namespace/id_list_fixture.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using dropblocks::Bytes;
using testing::ListBytes;

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v) {
    PutU32(b, at, v);
    return b;
}

const Bytes kParent = ListBytes({{1, 2, 3}, {4}});
const Bytes kItem = ListBytes({{9, 9}});
// count 1, offsets 12 and 22, parent (10 bytes), item (6 bytes): 28 bytes.
const Bytes kOneItemBlock = dropblocks::WriteIdListArray(kParent, {kItem});

TEST(DropBlocks, IdListArrayIsWrittenByteForByte) {
    const Bytes expected = [] {
        Bytes b(12);
        PutU32(b, 0, 1);
        PutU32(b, 4, 12);
        PutU32(b, 8, 12 + 10);
        b.insert(b.end(), kParent.begin(), kParent.end());
        b.insert(b.end(), kItem.begin(), kItem.end());
        return b;
    }();
    EXPECT_EQ(kOneItemBlock, expected);

    const Bytes desktop = ListBytes({});
    const Bytes two = dropblocks::WriteIdListArray(desktop, {kItem, kParent});
    const auto read = dropblocks::ReadIdListArray(two.data(), two.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->parent, desktop);
    EXPECT_EQ(read->items, (std::vector<Bytes>{kItem, kParent}));
}

TEST(DropBlocks, IdListArrayReaderRefusesBlocksThatDoNotAddUp) {
    struct Case {
        const char* name;
        Bytes block;
        bool readable;
    } cases[] = {
        {"as written", kOneItemBlock, true},
        {"with trailing bytes", [] { Bytes b = kOneItemBlock; b.push_back(7); return b; }(), true},
        {"empty", {}, false},
        {"count cut short", {1, 0}, false},
        {"truncated inside the last list", Bytes(kOneItemBlock.begin(), kOneItemBlock.end() - 1), false},
        {"truncated inside the offset table", Bytes(kOneItemBlock.begin(), kOneItemBlock.begin() + 10), false},
        {"count beyond the block", Patched(kOneItemBlock, 0, 1000), false},
        {"count that overflows the table size", Patched(kOneItemBlock, 0, 0xFFFFFFFF), false},
        {"offset past the end", Patched(kOneItemBlock, 8, 28), false},
        {"huge offset", Patched(kOneItemBlock, 4, 0x7FFFFFF0), false},
        {"offset into the offset table", Patched(kOneItemBlock, 8, 4), false},
        {"item overlapping the parent", Patched(kOneItemBlock, 8, 12 + 5), false},
        {"item sharing the parent's bytes", Patched(kOneItemBlock, 8, 12), false},
        {"unterminated item", [] { Bytes b = kOneItemBlock; b.resize(b.size() - 2); return b; }(), false},
        {"item count larger than the bytes left", [] { Bytes b = kOneItemBlock; b[22] = 0x40; return b; }(),
         false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dropblocks::ReadIdListArray(c.block.data(), c.block.size()).has_value(), c.readable) << c.name;
    }
    EXPECT_FALSE(dropblocks::ReadIdListArray(nullptr, 28));
}

TEST(DropBlocks, FileDropIsWideAndSizedFromThePaths) {
    const Bytes block = dropblocks::WriteFileDrop({L"C:\\a"});
    Bytes expected(20, 0);
    expected[0] = 20;
    expected[16] = 1;
    for (wchar_t c : std::wstring(L"C:\\a")) {
        expected.push_back(static_cast<std::uint8_t>(c));
        expected.push_back(0);
    }
    expected.insert(expected.end(), {0, 0, 0, 0});
    EXPECT_EQ(block, expected);
}

TEST(DropBlocks, FileDropPathsSurviveTheRoundTrip) {
    const std::wstring long_path = L"C:\\" + std::wstring(300, L'x') + L"\\end";
    struct Case {
        const char* name;
        std::vector<std::wstring> paths;
    } cases[] = {
        {"one folder", {L"C:\\Data"}},
        {"beyond 260 characters", {long_path}},
        {"outside code page 1251", {L"C:\\Ελληνικά\\日本\\Größe"}},
        {"Cyrillic and several", {L"C:\\Папка", L"D:\\x y"}},
        {"none", {}},
    };
    for (const Case& c : cases) {
        const Bytes block = dropblocks::WriteFileDrop(c.paths);
        const auto read = dropblocks::ReadFileDrop(block.data(), block.size());
        ASSERT_TRUE(read) << c.name;
        EXPECT_TRUE(read->wide) << c.name;
        EXPECT_EQ(read->wide_paths, c.paths) << c.name;
    }
}

TEST(DropBlocks, FileDropReaderRefusesBlocksThatDoNotAddUp) {
    const Bytes good = dropblocks::WriteFileDrop({L"C:\\a", L"C:\\b"});
    Bytes ansi(20, 0);
    ansi[0] = 20;
    for (const char* s : {"C:\\a", "D:\\\xcf"}) {
        for (const char* p = s; *p; ++p) ansi.push_back(static_cast<std::uint8_t>(*p));
        ansi.push_back(0);
    }
    ansi.push_back(0);
    struct Case {
        const char* name;
        Bytes block;
        bool readable;
    } cases[] = {
        {"as written", good, true},
        {"ANSI", ansi, true},
        {"header cut short", Bytes(good.begin(), good.begin() + 19), false},
        {"names inside the header", Patched(good, 0, 8), false},
        {"names past the end", Patched(good, 0, static_cast<std::uint32_t>(good.size())), false},
        {"huge names offset", Patched(good, 0, 0xFFFFFFF0), false},
        {"list without its final zero", Bytes(good.begin(), good.end() - 2), false},
        {"path without its zero", Bytes(good.begin(), good.end() - 4), false},
        {"odd byte at the end", Bytes(good.begin(), good.end() - 1), false},
        {"ANSI without its final zero", Bytes(ansi.begin(), ansi.end() - 1), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dropblocks::ReadFileDrop(c.block.data(), c.block.size()).has_value(), c.readable) << c.name;
    }
    const auto read = dropblocks::ReadFileDrop(ansi.data(), ansi.size());
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->wide);
    EXPECT_EQ(read->ansi_paths, (std::vector<std::string>{"C:\\a", "D:\\\xcf"}));
}

}  // namespace
}  // namespace census
