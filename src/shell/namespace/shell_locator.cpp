#include "shell/namespace/shell_locator.h"

#include "shell/namespace/stored_location.h"

namespace census {

LPITEMIDLIST ShellLocator::IdList() {
    if (kind_ == LocatorKind::IdList) return held_.get();
    if (!resolved_) {
        ::SHGetSpecialFolderLocation(owner_, special_, resolved_.put());
    }
    return resolved_.get();
}

void ShellLocator::SetIdList(PCUIDLIST_RELATIVE list) {
    bool counts;
    if (kind_ == LocatorKind::SpecialFolder) {
        counts = true;
    } else if (held_) {
        const int c = CompareIdLists(held_.get(), list);
        // Lists that cannot be compared are not known to differ.
        counts = c != 0 && c != kIdListsNotComparable;
    } else {
        counts = IdListSize(list) > 2;
    }
    kind_ = LocatorKind::IdList;
    held_ = IdListSize(list) > 2 ? CopyIdList(list) : UniqueIdList();
    resolved_.reset();
    special_ = kNoSpecialFolder;
    if (counts) Changed();
}

void ShellLocator::SetSpecialFolder(std::uint8_t id) {
    if (kind_ == LocatorKind::SpecialFolder && special_ == id) return;
    kind_ = LocatorKind::SpecialFolder;
    special_ = id;
    held_.reset();
    resolved_.reset();
    Changed();
}

bool ShellLocator::Equals(const ShellLocator& other) const {
    if (this == &other) return true;
    if (kind_ != other.kind_) return false;
    if (kind_ == LocatorKind::IdList) return CompareIdLists(held_.get(), other.held_.get()) == 0;
    return special_ == other.special_;
}

void ShellLocator::Assign(const ShellLocator* other) {
    if (!other) {
        if (!held_) return;
        held_.reset();
        kind_ = LocatorKind::IdList;
        special_ = kNoSpecialFolder;
        Changed();
        return;
    }
    if (Equals(*other)) return;
    kind_ = other->kind_;
    special_ = other->special_;
    resolved_.reset();
    held_ = other->held_ ? CopyIdList(other->held_.get()) : UniqueIdList();
    Changed();
}

std::vector<std::uint8_t> ShellLocator::WriteStored() const {
    if (kind_ == LocatorKind::SpecialFolder) return EncodeStoredLocation(StoredSpecialFolder{special_});
    StoredIdList list;
    if (held_) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(held_.get());
        list.bytes.assign(bytes, bytes + IdListSize(held_.get()));
    }
    return EncodeStoredLocation(list);
}

void ShellLocator::ReadStored(const std::vector<std::uint8_t>& data) {
    const StoredLocation stored = DecodeStoredLocation(data);  // throws before any change
    resolved_.reset();
    if (const auto* special = std::get_if<StoredSpecialFolder>(&stored)) {
        kind_ = LocatorKind::SpecialFolder;
        special_ = special->id;
        held_.reset();
        return;
    }
    const auto& bytes = std::get<StoredIdList>(stored).bytes;
    kind_ = LocatorKind::IdList;
    special_ = kNoSpecialFolder;
    held_ = CopyIdList(reinterpret_cast<PCUIDLIST_RELATIVE>(bytes.data()));
}

void ShellLocator::Changed() {
    if (OnLocationChange) OnLocationChange();
}

}  // namespace census
