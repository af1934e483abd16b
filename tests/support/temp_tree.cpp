#include "support/temp_tree.h"

#include "runtime/handles.h"
#include "runtime/path_names.h"

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace census::testing {

namespace {

// Without recursion: a test tree may be a chain of folders far deeper than
// the thread's stack would allow. Files and links go while their folder is
// listed, before any folder is removed: a link whose target went first would
// no longer be listed (so never removed) under Wine.
void RemoveTree(const std::wstring& top) {
    DWORD attrs = ::GetFileAttributesW(top.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirLink(top);
        return;
    }
    std::vector<std::wstring> folders;  // parents before their sub-folders
    std::vector<std::wstring> to_list{top};
    while (!to_list.empty()) {
        std::wstring folder = std::move(to_list.back());
        to_list.pop_back();
        WIN32_FIND_DATAW fd;
        UniqueFindHandle h(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
        if (h) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring path = folder + L"\\" + name;
                bool real_folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                   !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
                if (real_folder) {
                    to_list.push_back(std::move(path));
                } else {
                    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    RemoveDirLink(path);
                }
            } while (::FindNextFileW(h.get(), &fd));
        }
        folders.push_back(std::move(folder));
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        ::SetFileAttributesW(it->c_str(), FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY);
        ::RemoveDirectoryW(it->c_str());
    }
}

}  // namespace

std::wstring Long(const std::wstring& path) { return WithExtendedPrefix(path); }

TempTree::TempTree() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t longer[MAX_PATH];
    ::GetLongPathNameW(temp, longer, MAX_PATH);
    static unsigned counter = 0;
    root_ = std::wstring(longer) + L"census-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++counter);
    RemoveTree(root_);
    if (!::CreateDirectoryW(root_.c_str(), nullptr)) throw std::runtime_error("cannot make the test folder");
}

TempTree::~TempTree() { RemoveTree(Long(root_)); }

void TempTree::Dir(const std::wstring& relative) const {
    if (!::CreateDirectoryW(Long(Path(relative)).c_str(), nullptr)) throw std::runtime_error("cannot make folder");
}

void TempTree::File(const std::wstring& relative, const std::string& bytes) const {
    UniqueFileHandle f(::CreateFileW(Long(Path(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw std::runtime_error("cannot make file");
    DWORD written = 0;
    ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TempTree::Attributes(const std::wstring& relative, unsigned long attributes) const {
    ::SetFileAttributesW(Long(Path(relative)).c_str(), attributes);
}

// Under Wine: the host's name for a path of this process.
bool HostPath(const std::wstring& windows_path, std::wstring& out) {
    using ToUnix = char* (*)(const wchar_t*);
    auto to_unix = reinterpret_cast<ToUnix>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                             "wine_get_unix_file_name"));
    if (!to_unix) return false;
    char* unix_path = to_unix(windows_path.c_str());
    if (!unix_path) return false;
    wchar_t wide[4096] = L"";
    ::MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, wide, 4096);
    ::HeapFree(::GetProcessHeap(), 0, unix_path);
    out = wide;
    return true;
}

// Runs a program of the host (under Wine) and waits until `done` holds.
bool RunHost(const wchar_t* program, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), 10000);
    // A host process may be reported finished a moment before its work shows.
    for (int i = 0; i < 100 && !done(); ++i) ::Sleep(20);
    return done();
}

void TempTree::ManyFiles(const std::wstring& relative, int count, unsigned size) const {
    Dir(relative);
    const std::wstring folder = Path(relative);
    std::wstring unix_folder;
    if (HostPath(folder, unix_folder)) {
        const std::wstring command =
            L"sh -c \"cd '" + unix_folder + L"' && head -c " + std::to_wstring(static_cast<unsigned long long>(count) * size) +
            L" /dev/zero | tr '\\0' x | split -b " + std::to_wstring(size) + L" -a 5 -d --additional-suffix=.txt - f\"";
        if (RunHost(L"Z:\\bin\\sh", command, [&] { return CountEntries(folder) == count; })) return;
    }
    const std::string content(size, 'x');
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        ::swprintf(name, 32, L"\\f%05d.txt", i);
        File(relative + name, content);
    }
}

TooDeepChain::TooDeepChain(const TempTree& tree, const std::wstring& top)
    : short_top_(tree.Path(top)), long_top_(top + std::wstring(200, L'y')), renamed_(tree.Path(long_top_)) {
    const std::wstring part(200, L'x');
    std::wstring bottom = Long(short_top_);
    if (!::CreateDirectoryW(bottom.c_str(), nullptr)) throw std::runtime_error("cannot make folder");
    while (::CreateDirectoryW((bottom + L"\\" + part).c_str(), nullptr)) bottom += L"\\" + part;
    // The bottom folder may have room for no file: the one above has.
    while (!UniqueFileHandle(::CreateFileW((bottom + L"\\lost.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr))) {
        ::RemoveDirectoryW(bottom.c_str());
        bottom.resize(bottom.find_last_of(L'\\'));
    }
    if (!::MoveFileW(Long(short_top_).c_str(), Long(renamed_).c_str())) throw std::runtime_error("cannot rename");
    // The first folder down the chain whose contents cannot be listed.
    for (std::wstring folder = renamed_;; folder += L"\\" + part) {
        WIN32_FIND_DATAW entry;
        UniqueFindHandle search(::FindFirstFileW((Long(folder) + L"\\*").c_str(), &entry));
        if (!search) {
            unreadable_ = folder;
            break;
        }
        bool deeper = false;
        do deeper = deeper || std::wstring(entry.cFileName) == part;
        while (::FindNextFileW(search.get(), &entry));
        if (!deeper) break;  // the whole chain can still be read
    }
}

TooDeepChain::~TooDeepChain() { ::MoveFileW(Long(renamed_).c_str(), Long(short_top_).c_str()); }

bool MakeDirLink(const std::wstring& link, const std::wstring& target) {
    auto exists = [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; };
    ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged create */);
    if (exists()) return true;
    // Under Wine the link call may claim success without making one; a host
    // symbolic link made by the host's own ln serves the same purpose.
    std::wstring unix_link, unix_target;
    // The link does not exist yet: convert its folder and add the name.
    size_t slash = link.find_last_of(L'\\');
    if (!HostPath(target, unix_target) || !HostPath(link.substr(0, slash), unix_link)) return false;
    std::wstring command = L"ln -s \"" + unix_target + L"\" \"" + unix_link + L"/" + link.substr(slash + 1) + L"\"";
    return RunHost(L"Z:\\bin\\ln", command, exists);
}

bool RemoveDirLink(const std::wstring& link) {
    // Under Wine, removing a link to a folder as a folder removes the folder
    // it leads to when that is empty, and the link stays: the host's rm
    // removes the link itself.
    std::wstring unix_link;
    if (HostPath(link, unix_link)) {
        auto gone = [&] {
            size_t slash = link.find_last_of(L'\\');
            const std::wstring name = link.substr(slash + 1);
            WIN32_FIND_DATAW fd;
            UniqueFindHandle h(::FindFirstFileW((link.substr(0, slash) + L"\\*").c_str(), &fd));
            if (h) {
                do {
                    if (name == fd.cFileName) return false;
                } while (::FindNextFileW(h.get(), &fd));
            }
            return true;
        };
        if (::DeleteFileW(link.c_str())) return true;  // a file, or a link to one
        return RunHost(L"Z:\\bin\\rm", L"rm -f \"" + unix_link + L"\"", gone);
    }
    return ::RemoveDirectoryW(link.c_str()) || ::DeleteFileW(link.c_str());
}

bool TempTree::DirLink(const std::wstring& relative, const std::wstring& target) const {
    return MakeDirLink(Path(relative), target);
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFileHandle f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int CountEntries(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    UniqueFindHandle h(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
    int n = 0;
    if (h) {
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") ++n;
        } while (::FindNextFileW(h.get(), &fd));
    }
    return n;
}

CurrentDirectoryAt::CurrentDirectoryAt(const std::wstring& folder) {
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    earlier_.resize(length);
    earlier_.resize(::GetCurrentDirectoryW(length, earlier_.data()));
    ::SetCurrentDirectoryW(folder.c_str());
}

CurrentDirectoryAt::~CurrentDirectoryAt() { ::SetCurrentDirectoryW(earlier_.c_str()); }

UniqueFileHandle LockFolder(const std::wstring& path) {
    return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace census::testing
