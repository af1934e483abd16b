// Names a folder of the shell namespace, either by an absolute item
// identifier list or by a special-folder id. A new locator holds no list,
// which names the desktop.
#pragma once

#include "shell/namespace/id_list.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace census {

enum class LocatorKind { IdList = 0, SpecialFolder = 1 };

class ShellLocator {
public:
    // Stored whenever a list is set: no special folder.
    static constexpr std::uint8_t kNoSpecialFolder = 50;

    ShellLocator() = default;
    ShellLocator(const ShellLocator&) = delete;
    ShellLocator& operator=(const ShellLocator&) = delete;

    LocatorKind Kind() const { return kind_; }
    LPITEMIDLIST HeldList() const { return held_.get(); }
    std::uint8_t SpecialFolder() const { return special_; }

    // The absolute list this locator names: the held list (null = desktop),
    // or the special folder resolved once and kept.
    LPITEMIDLIST IdList();

    // Takes a copy of list (none for an empty list). Fires OnLocationChange
    // only when the location really changes.
    void SetIdList(PCUIDLIST_RELATIVE list);
    void SetSpecialFolder(std::uint8_t id);

    bool Equals(const ShellLocator& other) const;
    // Copies other's location (null: back to the desktop with no list).
    void Assign(const ShellLocator* other);

    // The "Pidl" form property: present only for a held list or a special folder.
    bool HasStoredForm() const { return held_ || kind_ == LocatorKind::SpecialFolder; }
    std::vector<std::uint8_t> WriteStored() const;
    // Refuses malformed data (StoredLocationError) and then keeps what it had.
    void ReadStored(const std::vector<std::uint8_t>& data);

    // Window that owns any dialog the shell shows while resolving.
    void SetOwnerWindow(HWND owner) { owner_ = owner; }

    std::function<void()> OnLocationChange;

private:
    void Changed();

    LocatorKind kind_ = LocatorKind::IdList;
    UniqueIdList held_;
    UniqueIdList resolved_;  // the special folder's list, once asked for
    std::uint8_t special_ = kNoSpecialFolder;
    HWND owner_ = nullptr;
};

}  // namespace census
