#include "shell/transfer/drop_blocks.h"

#include "shell/namespace/id_list_bytes.h"

#include <algorithm>
#include <utility>

namespace census::dropblocks {
namespace {

static_assert(sizeof(wchar_t) == 2, "file-drop paths are UTF-16 units");

void PutU32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The offsets of a block with count items: the table must lie inside it.
std::optional<std::vector<std::size_t>> ReadOffsets(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return std::nullopt;
    const std::uint64_t count = GetU32(data);
    const std::uint64_t table_end = 4 + 4 * (count + 1);
    if (table_end > size) return std::nullopt;
    std::vector<std::size_t> offsets;
    for (std::uint64_t i = 0; i <= count; ++i) {
        const std::size_t offset = GetU32(data + 4 + 4 * i);
        if (offset < table_end || offset >= size) return std::nullopt;
        offsets.push_back(offset);
    }
    return offsets;
}

// Every list must end inside the block and no two lists may share bytes.
bool Disjoint(std::vector<std::pair<std::size_t, std::size_t>> ranges) {
    std::sort(ranges.begin(), ranges.end());
    for (std::size_t i = 1; i < ranges.size(); ++i)
        if (ranges[i].first < ranges[i - 1].first + ranges[i - 1].second) return false;
    return true;
}

// The paths from offset on, in units of Char (little-endian); nothing when a
// path or the list runs out of the block.
template <typename Char>
std::optional<std::vector<std::basic_string<Char>>> ReadPaths(const std::uint8_t* data, std::size_t size,
                                                              std::size_t at) {
    std::vector<std::basic_string<Char>> paths;
    std::basic_string<Char> current;
    for (; at + sizeof(Char) <= size; at += sizeof(Char)) {
        unsigned unit = 0;
        for (std::size_t i = 0; i < sizeof(Char); ++i) unit |= unsigned{data[at + i]} << (8 * i);
        if (unit != 0) {
            current.push_back(static_cast<Char>(unit));
        } else if (current.empty()) {
            return paths;
        } else {
            paths.push_back(std::move(current));
            current.clear();
        }
    }
    return std::nullopt;
}

}  // namespace

Bytes WriteIdListArray(const Bytes& parent, const std::vector<Bytes>& items) {
    const std::size_t table_end = 4 + 4 * (items.size() + 1);
    Bytes out(table_end);
    PutU32(out, 0, static_cast<std::uint32_t>(items.size()));
    auto append = [&out](std::size_t slot, const Bytes& list) {
        PutU32(out, 4 + 4 * slot, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), list.begin(), list.end());
    };
    append(0, parent);
    for (std::size_t i = 0; i < items.size(); ++i) append(i + 1, items[i]);
    return out;
}

std::optional<IdListArrayBlock> ReadIdListArray(const std::uint8_t* data, std::size_t size) {
    if (!data) return std::nullopt;
    const auto offsets = ReadOffsets(data, size);
    if (!offsets) return std::nullopt;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::vector<Bytes> lists;
    for (std::size_t offset : *offsets) {
        const auto length = idlist::FindListLength(data + offset, size - offset);
        if (!length) return std::nullopt;
        ranges.emplace_back(offset, *length);
        lists.emplace_back(data + offset, data + offset + *length);
    }
    if (!Disjoint(std::move(ranges))) return std::nullopt;
    IdListArrayBlock block;
    block.parent = std::move(lists.front());
    block.items.assign(std::make_move_iterator(lists.begin() + 1), std::make_move_iterator(lists.end()));
    return block;
}

Bytes WriteFileDrop(const std::vector<std::wstring>& paths) {
    std::size_t units = 1;
    for (const std::wstring& path : paths) units += path.size() + 1;
    Bytes out(kFileDropHeaderSize + 2 * units, 0);
    PutU32(out, 0, static_cast<std::uint32_t>(kFileDropHeaderSize));
    PutU32(out, 16, 1);  // wide
    std::size_t at = kFileDropHeaderSize;
    for (const std::wstring& path : paths) {
        for (wchar_t c : path) {
            out[at++] = static_cast<std::uint8_t>(c);
            out[at++] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(c) >> 8);
        }
        at += 2;
    }
    return out;
}

std::optional<FileDropBlock> ReadFileDrop(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kFileDropHeaderSize) return std::nullopt;
    const std::size_t names = GetU32(data);
    if (names < kFileDropHeaderSize || names >= size) return std::nullopt;
    FileDropBlock block;
    block.wide = GetU32(data + 16) != 0;
    if (block.wide) {
        auto paths = ReadPaths<wchar_t>(data, size, names);
        if (!paths) return std::nullopt;
        block.wide_paths = std::move(*paths);
    } else {
        auto paths = ReadPaths<char>(data, size, names);
        if (!paths) return std::nullopt;
        block.ansi_paths = std::move(*paths);
    }
    return block;
}

}  // namespace census::dropblocks
