#include "shell/namespace/id_list_bytes.h"

#include <algorithm>
#include <cstring>

namespace census::idlist {

std::uint16_t ItemSize(const Byte* item) {
    return static_cast<std::uint16_t>(item[0] | (item[1] << 8));
}

std::size_t ListSize(const Byte* list) {
    if (!list) return 0;
    return ItemOffset(list, ItemCount(list)) + kTerminatorSize;
}

int ItemCount(const Byte* list) {
    if (!list) return 0;
    int count = 0;
    for (const Byte* p = list; ItemSize(p) != 0; p += ItemSize(p)) ++count;
    return count;
}

std::size_t ItemOffset(const Byte* list, int index) {
    std::size_t offset = 0;
    for (int i = 0; i < index; ++i) offset += ItemSize(list + offset);
    return offset;
}

int CompareBytes(const Byte* a, std::size_t a_size, const Byte* b, std::size_t b_size) {
    const std::size_t common = std::min(a_size, b_size);
    if (common > 0) {
        if (int r = std::memcmp(a, b, common); r != 0) return r < 0 ? -1 : 1;
    }
    if (a_size == b_size) return 0;
    return a_size < b_size ? -1 : 1;
}

std::optional<std::size_t> FindListLength(const Byte* data, std::size_t size) {
    std::size_t offset = 0;
    for (;;) {
        if (size - offset < kTerminatorSize) return std::nullopt;
        const std::uint16_t item = ItemSize(data + offset);
        if (item == 0) return offset + kTerminatorSize;
        // A count below 2 would not even cover itself and would never advance.
        if (item < kTerminatorSize || item > size - offset) return std::nullopt;
        offset += item;
    }
}

}  // namespace census::idlist
