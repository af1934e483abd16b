#include "shell/transfer/file_operations.h"

#include "shell/namespace/shell_context_menu.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/transfer/file_identity.h"
#include "shell/transfer/file_tree_walk.h"
#include "shell/transfer/transfer_names.h"

#include <shlobj.h>

namespace census {
namespace {

constexpr wchar_t kLinkExtension[] = L".lnk";
// Added to the name of what is left of a half-made copy.
constexpr wchar_t kIncompleteMark[] = L" (неполная копия)";

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolderPath(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TransferKind KindOf(DWORD effect) {
    if (effect == DROPEFFECT_MOVE) return TransferKind::Move;
    if (effect == DROPEFFECT_LINK) return TransferKind::Link;
    return TransferKind::Copy;
}

std::wstring TargetOf(const std::wstring& source, const std::wstring& folder, TransferKind kind) {
    return JoinPath(folder, LastPart(source) + (kind == TransferKind::Link ? kLinkExtension : L""));
}

void Stay(ItemOutcome& item, StayReason reason, std::wstring detail = {}) {
    item.fate = ItemFate::Stayed;
    item.reason = reason;
    item.detail = std::move(detail);
}

void Stay(ItemOutcome& item, const Failure& failure) {
    Stay(item, failure.reason, failure.detail);
}

bool Pending(const ItemOutcome& item) {
    return item.fate == ItemFate::Stayed && item.reason == StayReason::None;
}

// Whether the item would go into itself; a target whose real location
// cannot be read may lie anywhere, so it is refused too.
bool IntoItself(ItemOutcome& item, const std::wstring& folder) {
    switch (IdentitySameOrInside(folder, item.source)) {
    case Containment::Outside: return false;
    case Containment::Inside: Stay(item, StayReason::IntoItself, item.source); break;
    case Containment::Unknown:
        Stay(item, StayReason::Failed,
             L"не удалось выяснить, где на самом деле лежит папка \u00AB" + folder +
                 L"\u00BB, а значит, и проверить, что она не внутри самого объекта");
        break;
    }
    return true;
}

// Every check that needs no walk through the items, done before anything
// is touched: what is missing, what would go into itself, and every name
// that clashes with another item's or with one at the target.
TransferReport Planned(const std::vector<std::wstring>& sources, const std::wstring& folder, TransferKind kind) {
    TransferReport report;
    report.kind = kind;
    std::vector<std::wstring> names, taken;
    for (const std::wstring& source : sources) {
        report.items.push_back(ItemOutcome{source, TargetOf(source, folder, kind)});
        names.push_back(LastPart(report.items.back().target));
        if (Exists(report.items.back().target)) taken.push_back(names.back());
    }
    const bool folder_there = IsFolderPath(folder);
    const std::vector<std::size_t> clashes = NameClashes(names, taken);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        ItemOutcome& item = report.items[i];
        if (!folder_there)
            Stay(item, StayReason::NotFound, folder);
        else if (!Exists(item.source))
            Stay(item, StayReason::NotFound, item.source);
        else if (kind != TransferKind::Link && IntoItself(item, folder))
            continue;
        else if (clashes[i] < sources.size())
            Stay(item, StayReason::NameTaken, sources[clashes[i]]);
        else if (clashes[i] == sources.size())
            Stay(item, StayReason::NameTaken);
    }
    return report;
}

bool SameVolume(const std::wstring& a, const std::wstring& b) {
    FileIdentity ia, ib;
    return IdentityOf(a, ia) && IdentityOf(b, ib) && ia.volume == ib.volume;
}

bool MakeShortcut(const std::wstring& source, const std::wstring& link) {
    ComPtr<IShellLinkW> shortcut;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shortcut.put_void())) ||
        !shortcut || FAILED(shortcut->SetPath(source.c_str()))) {
        return false;
    }
    ComPtr<IPersistFile> file = shortcut.query<IPersistFile>(IID_IPersistFile);
    return file && SUCCEEDED(file->Save(link.c_str(), TRUE)) && Exists(link);
}

// What is left of a half-made copy takes a name that says so; the path it
// is left under (its own when no such name could be given).
std::wstring MarkIncomplete(const std::wstring& target) {
    for (int n = 1; n < 100; ++n) {
        const std::wstring marked = target + kIncompleteMark + (n > 1 ? L" " + std::to_wstring(n) : L"");
        if (::MoveFileExW(ExtendedPath(target).c_str(), ExtendedPath(marked).c_str(), 0)) return marked;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    return target;
}

// A copy of the whole item, or nothing of it at the target. Only a program
// that is ending may run out of time to undo a copy: what is left then is
// marked, so nothing half-made ever bears the item's own name.
Failure CopyWhole(const ItemOutcome& item, Meter& meter, CopiedSources* read = nullptr) {
    Journal journal;
    Failure failed = CopyTree(item.source, item.target, journal, meter, read);
    if (failed && !journal.Undo(&meter)) failed.detail = MarkIncomplete(item.target);
    return failed;
}

void CopyItem(ItemOutcome& item, Meter& meter) {
    if (Failure failed = CopyWhole(item, meter)) return Stay(item, failed);
    item.fate = ItemFate::Copied;
}

// The item itself must be what its path names: a rename of a link the
// platform follows regardless would move what it leads to. Across volumes
// the source goes entry by entry as its copy recorded it, never by a walk
// of what is there by then: another program may have added to it or
// changed it meanwhile, and that stays.
void MoveItem(ItemOutcome& item, Meter& meter) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(item.source).c_str());
    const EntryCheck check = CheckEntry(item.source, ExpectedFinalPath(item.source), attributes);
    if (check.kind == EntryKind::HiddenLink) return Stay(item, StayReason::Link, item.source);
    if (check.kind == EntryKind::DeviceName) return Stay(item, StayReason::DeviceName, item.source);
    if (::MoveFileExW(ExtendedPath(item.source).c_str(), ExtendedPath(item.target).c_str(), 0)) {
        item.fate = ItemFate::Moved;
        meter.FileDone(item.source);
        return;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_NOT_SAME_DEVICE) return Stay(item, FailureOf(error, item.source));
    CopiedSources read;
    if (Failure failed = CopyWhole(item, meter, &read)) return Stay(item, failed);
    item.fate = ItemFate::Copied;
    if (Failure failed = RemoveCopied(read, meter)) {
        item.reason = failed.reason;
        item.detail = failed.detail;
        std::uint64_t bytes = 0;
        if (Exists(item.source)) Measure(item.source, item.left, bytes);
        return;
    }
    item.fate = ItemFate::Moved;
}

void LinkItem(ItemOutcome& item, Meter& meter) {
    if (!MakeShortcut(item.source, item.target)) return Stay(item, FailureOf(::GetLastError(), item.target));
    item.fate = ItemFate::Linked;
    meter.FileDone(item.source);
}

// Files and bytes the work will go through: a rename is one step.
void Plan(const TransferReport& report, const std::wstring& folder, Meter& meter) {
    std::uint64_t files = 0, bytes = 0;
    for (const ItemOutcome& item : report.items) {
        if (!Pending(item)) continue;
        if (report.kind == TransferKind::Copy || (report.kind == TransferKind::Move && !SameVolume(item.source, folder)))
            Measure(item.source, files, bytes);
        else
            ++files;
    }
    meter.Planned(files, bytes);
}

void CancelRest(TransferReport& report) {
    report.cancelled = true;
    for (ItemOutcome& item : report.items) {
        if (Pending(item)) Stay(item, StayReason::Cancelled);
    }
}

std::wstring FirstRefusal(const TransferReport& report) {
    for (const ItemOutcome& item : report.items) {
        if (!Pending(item)) {
            TransferReport one;
            one.kind = report.kind;
            one.items.push_back(item);
            const std::wstring summary = one.Summary();
            return summary.substr(summary.find(L'\n') + 1);
        }
    }
    return {};
}

class OwnFileOperations : public FileOperations {
public:
    TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect,
                       TransferProgress& progress) override {
        TransferReport report = Planned(sources, folder, KindOf(effect));
        Meter meter(progress);
        Plan(report, folder, meter);
        for (ItemOutcome& item : report.items) {
            if (!Pending(item)) continue;
            if (meter.Cancelled()) break;
            if (report.kind == TransferKind::Copy) CopyItem(item, meter);
            if (report.kind == TransferKind::Move) MoveItem(item, meter);
            if (report.kind == TransferKind::Link) LinkItem(item, meter);
            if (item.reason == StayReason::Cancelled) break;
        }
        if (meter.Cancelled()) CancelRest(report);
        return report;
    }

    TransferReport Delete(const std::vector<std::wstring>& items, TransferProgress& progress) override {
        TransferReport report;
        report.kind = TransferKind::Delete;
        Meter meter(progress);
        std::uint64_t files = 0, bytes = 0;
        for (const std::wstring& path : items) {
            report.items.push_back(ItemOutcome{path, {}});
            if (!Exists(path)) Stay(report.items.back(), StayReason::NotFound, path);
            else Measure(path, files, bytes);
        }
        meter.Planned(files, 0);
        for (ItemOutcome& item : report.items) {
            if (!Pending(item) || meter.Cancelled()) continue;
            if (Failure failed = RemoveTree(item.source, meter, true)) Stay(item, failed);
            else item.fate = ItemFate::Deleted;
        }
        if (meter.Cancelled()) CancelRest(report);
        return report;
    }

    LinkSearch FindLinkInside(const std::wstring& path, TransferProgress& progress) override {
        Meter meter(progress);
        const Failure found = FirstAwkwardEntry(path, false, &meter);
        return {found.reason, found.detail};
    }

    std::wstring Refusal(const std::vector<std::wstring>& sources, const std::wstring& folder,
                         DWORD effect) override {
        return FirstRefusal(Planned(sources, folder, KindOf(effect)));
    }
};

bool ProbeShellTransfers() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH, temp)) return ShellTransfersFilesFrom(false, false);
    std::wstring folder = temp;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    UniqueIdList list;
    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    ComPtr<IContextMenu> menu;
    const bool obtained = SUCCEEDED(ParsePath(folder, list)) &&
                          SUCCEEDED(SplitParentAndItem(list.get(), parent, parent_list, item)) &&
                          SUCCEEDED(ItemContextMenu(parent.get(), item.get(), nullptr, menu)) && menu;
    return ShellTransfersFilesFrom(obtained,
                                   obtained && FindVerbOffset(menu.get(), L"rename", CMF_EXPLORE | CMF_CANRENAME).has_value());
}

}  // namespace

bool ShellTransfersFilesFrom(bool menu_obtained, bool file_commands_seen) {
    return !menu_obtained || file_commands_seen;
}

bool ShellTransfersFiles() {
    static const bool transfers = ProbeShellTransfers();
    return transfers;
}

DWORD DefaultDropEffect(DWORD keys, DWORD allowed, bool same_drive) {
    const bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
    DWORD chosen = same_drive ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (ctrl && shift) {
        chosen = DROPEFFECT_LINK;
    } else if (ctrl) {
        chosen = DROPEFFECT_COPY;
    } else if (shift) {
        chosen = DROPEFFECT_MOVE;
    } else if (!(allowed & chosen)) {
        // Without modifiers the other transfer is taken when the first is not allowed.
        chosen = chosen == DROPEFFECT_MOVE ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    return (allowed & chosen) ? chosen : DROPEFFECT_NONE;
}

bool SameDrive(const std::wstring& a, const std::wstring& b) {
    auto root = [](const std::wstring& path) -> std::wstring {
        if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
        if (path.rfind(L"\\\\", 0) != 0) return {};
        // \\server\share
        const std::size_t server_end = path.find(L'\\', 2);
        if (server_end == std::wstring::npos) return path;
        const std::size_t share_end = path.find(L'\\', server_end + 1);
        return path.substr(0, share_end);
    };
    const std::wstring ra = root(a), rb = root(b);
    return !ra.empty() && SameName(ra, rb);
}

std::unique_ptr<FileOperations> MakeFileOperations() {
    return std::make_unique<OwnFileOperations>();
}

}  // namespace census
