// The two byte layouts a dragged or copied folder travels in: the
// "Shell IDList Array" block and the file-drop block. Plain bytes, so they
// can be checked without a window.
//
// "Shell IDList Array" (32-bit little-endian integers, offsets from the
// block's start):
//   n, the item count
//   n + 1 offsets: the parent's absolute list, then each item's list
//   the parent's list, then each item's relative list (each terminated)
//
// File-drop block: a 20-byte header (offset of the names, drop point x and
// y, non-client flag, wide flag), then each path with a terminating zero,
// then one more zero. Paths are written wide; ANSI blocks from other
// programs are read back as their raw bytes.
//
// Blocks come from other processes: the readers never read outside the
// bytes they are given and refuse anything that does not add up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace census::dropblocks {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kFileDropHeaderSize = 20;

// parent and items are whole lists, terminators included.
Bytes WriteIdListArray(const Bytes& parent, const std::vector<Bytes>& items);

struct IdListArrayBlock {
    Bytes parent;
    std::vector<Bytes> items;
};

// Nothing when the count does not fit the block, an offset points outside
// it or into its offset table, a list is unterminated, or two lists share
// bytes.
std::optional<IdListArrayBlock> ReadIdListArray(const std::uint8_t* data, std::size_t size);

// Paths as UTF-16 text (the platform's wide characters).
Bytes WriteFileDrop(const std::vector<std::wstring>& paths);

struct FileDropBlock {
    bool wide = false;
    std::vector<std::wstring> wide_paths;  // when wide
    std::vector<std::string> ansi_paths;   // otherwise, in the writer's code page
};

// Nothing when the names' offset lies outside the block or inside its header,
// or a path or the list is not terminated inside the block.
std::optional<FileDropBlock> ReadFileDrop(const std::uint8_t* data, std::size_t size);

}  // namespace census::dropblocks
