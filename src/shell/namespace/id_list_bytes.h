// The byte layout of item identifier lists, without the platform.
//
// A list is a run of items, each starting with a 16-bit little-endian byte
// count that includes the count itself, ended by a 16-bit zero. The empty
// list (the terminator alone) names the namespace root. A null pointer reads
// as the empty list wherever a list is read.
//
// The walking functions trust their input: they are for lists that the shell
// or this program made. Bytes that come from outside the process go through
// FindListLength first, which never reads past the data it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace census::idlist {

using Byte = std::uint8_t;

constexpr std::size_t kTerminatorSize = 2;

// The byte count of the item at p (0 at the terminator).
std::uint16_t ItemSize(const Byte* item);

// Total bytes including the terminator; 0 for null.
std::size_t ListSize(const Byte* list);

// Number of items; 0 for null and for the empty list.
int ItemCount(const Byte* list);

// Offset of item i (i may equal ItemCount: the terminator's offset).
// Requires 0 <= i <= ItemCount.
std::size_t ItemOffset(const Byte* list, int index);

// Raw order: the bytes over the shorter length decide (unsigned), an equal
// prefix puts the shorter list first. Sizes include the terminators.
int CompareBytes(const Byte* a, std::size_t a_size, const Byte* b, std::size_t b_size);

// When data[0, size) starts with a whole list (every item's count fits and
// is at least 2 bytes, and a terminator follows the last item), the list's
// length including the terminator; otherwise nothing.
std::optional<std::size_t> FindListLength(const Byte* data, std::size_t size);

}  // namespace census::idlist
