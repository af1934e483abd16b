#include "support/temp_tree.h"

#include "runtime/handles.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace census::testing {

namespace {

// Depth first without recursion: a test tree may be a chain of folders far
// deeper than the thread's stack would allow.
void RemoveTree(const std::wstring& top) {
    struct Entry {
        std::wstring path;
        bool opened = false;
    };
    std::vector<Entry> todo{{top}};
    while (!todo.empty()) {
        const std::wstring path = todo.back().path;
        DWORD attrs = ::GetFileAttributesW(path.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) {
            todo.pop_back();
            continue;
        }
        bool real_folder = (attrs & FILE_ATTRIBUTE_DIRECTORY) && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT);
        if (real_folder && !todo.back().opened) {
            todo.back().opened = true;
            WIN32_FIND_DATAW fd;
            UniqueFindHandle h(::FindFirstFileW((path + L"\\*").c_str(), &fd));
            if (!h) continue;
            do {
                std::wstring name = fd.cFileName;
                if (name != L"." && name != L"..") todo.push_back({path + L"\\" + name});
            } while (::FindNextFileW(h.get(), &fd));
            continue;
        }
        todo.pop_back();
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL | (attrs & FILE_ATTRIBUTE_DIRECTORY));
        // A directory link may go either way, depending on the platform.
        if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || !::RemoveDirectoryW(path.c_str())) ::DeleteFileW(path.c_str());
    }
}

}  // namespace

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

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

bool TempTree::DirLink(const std::wstring& relative, const std::wstring& target) const {
    std::wstring link = Path(relative);
    auto exists = [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; };
    ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged create */);
    if (exists()) return true;
    // Under Wine the link call may claim success without making one; a host
    // symbolic link made by the host's own ln serves the same purpose.
    wchar_t unix_link[4096] = L"", unix_target[4096] = L"";
    using ToUnix = char* (*)(const wchar_t*);
    auto to_unix = reinterpret_cast<ToUnix>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                             "wine_get_unix_file_name"));
    if (!to_unix) return false;
    auto convert = [&](const std::wstring& windows_path, wchar_t* out) {
        char* unix_path = to_unix(windows_path.c_str());
        if (!unix_path) return false;
        ::MultiByteToWideChar(CP_UTF8, 0, unix_path, -1, out, 4096);
        ::HeapFree(::GetProcessHeap(), 0, unix_path);
        return true;
    };
    if (!convert(target, unix_target)) return false;
    // The link does not exist yet: convert its folder and add the name.
    size_t slash = link.find_last_of(L'\\');
    if (!convert(link.substr(0, slash), unix_link)) return false;
    std::wstring command = L"ln -s \"" + std::wstring(unix_target) + L"\" \"" + std::wstring(unix_link) + L"/" +
                           link.substr(slash + 1) + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), 10000);
    // A host process may be reported finished a moment before its work shows.
    for (int i = 0; i < 100 && !exists(); ++i) ::Sleep(20);
    return exists();
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

}  // namespace census::testing
