// Builds item identifier lists from item payloads for the list tests.
#pragma once

#include "shell/namespace/id_list.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace census::testing {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a list whose items carry the given payloads, terminator included.
inline Bytes ListBytes(std::initializer_list<Bytes> items) {
    Bytes out;
    for (const Bytes& item : items) {
        const auto size = static_cast<std::uint16_t>(item.size() + 2);
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
        out.insert(out.end(), item.begin(), item.end());
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

inline UniqueIdList MakeList(std::initializer_list<Bytes> items) {
    const Bytes bytes = ListBytes(items);
    return CopyIdList(reinterpret_cast<PCUIDLIST_RELATIVE>(bytes.data()));
}

inline Bytes BytesOf(PCUIDLIST_RELATIVE list) {
    if (!list) return {};
    const auto* p = reinterpret_cast<const std::uint8_t*>(list);
    return Bytes(p, p + IdListSize(list));
}

}  // namespace census::testing
