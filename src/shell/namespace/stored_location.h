// The stored form of a folder locator (the "Pidl" form property).
//
//   byte 0      kind: 0 = identifier list, anything else = special folder
//   byte 1      (special folder) the folder id; nothing follows
//   bytes 1..4  (list) little-endian length N of the list with its
//               terminator, 0 when there is none
//   bytes 5..   (list) the N list bytes
//
// A list kind with N = 0 reads back as the desktop special folder.
#pragma once

#include "runtime/errors.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace census {

struct StoredSpecialFolder {
    std::uint8_t id = 0;
};

struct StoredIdList {
    std::vector<std::uint8_t> bytes;  // a whole list, terminator included
};

using StoredLocation = std::variant<StoredSpecialFolder, StoredIdList>;

std::vector<std::uint8_t> EncodeStoredLocation(const StoredLocation& location);

// Stored data is outside input: a short record, a length that does not match
// the bytes present, or items that run past the length or lack their
// terminator are refused with a StoredLocationError naming the fault.
StoredLocation DecodeStoredLocation(const std::vector<std::uint8_t>& data);

class StoredLocationError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace census
