#include "shell/namespace/stored_location.h"

#include "shell/namespace/id_list_bytes.h"

namespace census {
namespace {

constexpr std::size_t kHeaderSize = 5;  // kind byte + 32-bit length

std::uint32_t ReadLength(const std::vector<std::uint8_t>& data) {
    return static_cast<std::uint32_t>(data[1]) | (static_cast<std::uint32_t>(data[2]) << 8) |
           (static_cast<std::uint32_t>(data[3]) << 16) | (static_cast<std::uint32_t>(data[4]) << 24);
}

[[noreturn]] void Refuse(const wchar_t* why) {
    throw StoredLocationError(std::wstring(L"Invalid stored folder location: ") + why);
}

}  // namespace

std::vector<std::uint8_t> EncodeStoredLocation(const StoredLocation& location) {
    if (const auto* special = std::get_if<StoredSpecialFolder>(&location)) {
        return {1, special->id};
    }
    const auto& list = std::get<StoredIdList>(location).bytes;
    const auto n = static_cast<std::uint32_t>(list.size());
    std::vector<std::uint8_t> out{0, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                  static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    out.insert(out.end(), list.begin(), list.end());
    return out;
}

StoredLocation DecodeStoredLocation(const std::vector<std::uint8_t>& data) {
    if (data.empty()) Refuse(L"the data is empty");
    if (data[0] != 0) {
        if (data.size() != 2) Refuse(L"a special folder takes exactly one id byte");
        return StoredSpecialFolder{data[1]};
    }
    if (data.size() < kHeaderSize) Refuse(L"the list length is cut short");
    const std::uint32_t n = ReadLength(data);
    if (n != data.size() - kHeaderSize) Refuse(L"the list length does not match the data");
    if (n == 0) return StoredSpecialFolder{0};
    const auto found = idlist::FindListLength(data.data() + kHeaderSize, n);
    if (!found || *found != n) Refuse(L"the list items do not end in a terminator at the stated length");
    return StoredIdList{{data.begin() + kHeaderSize, data.end()}};
}

}  // namespace census
