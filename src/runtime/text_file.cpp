#include "runtime/text_file.h"

#include "runtime/errors.h"
#include "runtime/path_names.h"

#include <windows.h>

#include <algorithm>

namespace census {

std::wstring FullPath(const std::wstring& path) {
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

namespace {

[[noreturn]] void ThrowCreateError(const std::wstring& path, DWORD code) {
    throw FileCreateError(L"Cannot create file \"" + FullPath(path) + L"\". " + SystemErrorMessage(code), code);
}

// A file marked so is deleted by the system when its last handle closes,
// also when the process is ended without a chance to clean up (killed, or
// its console closed where the platform sends no close event). A file
// system that cannot mark files leaves it to the TemporaryFile's cleanup.
void MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition{deleted};
    ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// A fresh file in the target's folder (so the final rename stays on one
// volume), with a short name of its own: it fits wherever the target's name fits.
bool CreateTemporaryBeside(const std::wstring& target, TemporaryFile& temp, const WriteFaults& faults) {
    if (faults.temporary_refused) {
        ::SetLastError(faults.temporary_refused);
        return false;
    }
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = folder + L"~census-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(attempt) + L".tmp";
        temp.handle.reset(::CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temp.handle) {
            temp.name = std::move(name);
            MarkForDeletion(temp.handle.get(), true);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

// `index` counts the writes to one file across calls.
void WriteChunks(HANDLE file, std::string_view bytes, const WriteFaults& faults, int& index) {
    size_t done = 0;
    for (; done < bytes.size(); ++index) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (index == faults.failing_write) {
            ::WriteFile(file, bytes.data() + done, chunk / 2, &written, nullptr);
            throw StreamWriteError();
        }
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            throw StreamWriteError();
        done += written;
    }
}

void WriteAll(HANDLE file, const std::string& bytes, const WriteFaults& faults) {
    int index = 0;
    WriteChunks(file, bytes, faults, index);
    if (!::FlushFileBuffers(file)) throw StreamWriteError();
}

// The closed temporary file takes the target's place.
void ReplaceTarget(const std::wstring& path, const std::wstring& target, TemporaryFile& temp) {
    MarkForDeletion(temp.handle.get(), false);
    temp.handle.reset();
    if (!::MoveFileExW(temp.name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowCreateError(path, ::GetLastError());
    temp.kept = true;
}

// The target must be replaceable at all: a locked or read-only file, or a
// folder of that name, is reported before anything is written. True when
// the target exists (and may be written).
bool CheckTarget(const std::wstring& path, const std::wstring& target) {
    DWORD attrs = ::GetFileAttributesW(target.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return false;
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) ThrowCreateError(path, ERROR_ACCESS_DENIED);
    UniqueFileHandle probe(
        ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) ThrowCreateError(path, ::GetLastError());
    return true;
}

// Where the folder takes no new file, the existing target is written over,
// as a plain save would: a failure part way leaves it with what was written.
void WriteInPlace(const std::wstring& path, const std::wstring& target, const std::string& bytes,
                  const WriteFaults& faults) {
    UniqueFileHandle file(
        ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowCreateError(path, ::GetLastError());
    WriteAll(file.get(), bytes, faults);
}

}  // namespace

std::string ToCodePage1251(const std::wstring& text) { return EncodeList(text, ListEncoding::CodePage1251).bytes; }

int WriteTextFile(const std::wstring& path, const std::wstring& text, ListEncoding encoding) {
    EncodedList list = EncodeList(text, encoding);
    WriteFileBytes(path, list.bytes);
    return list.lines_replaced;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes, const WriteFaults& faults) {
    const std::wstring target = WithExtendedPrefix(FullPath(path));
    const bool exists = CheckTarget(path, target);
    TemporaryFile temp;
    if (!CreateTemporaryBeside(target, temp, faults)) {
        DWORD why = ::GetLastError();
        if (exists) return WriteInPlace(path, target, bytes, faults);
        ThrowCreateError(path, why);
    }
    WriteAll(temp.handle.get(), bytes, faults);
    ReplaceTarget(path, target, temp);
}

TemporaryFile::~TemporaryFile() {
    handle.reset();  // an open file cannot be deleted
    if (!kept && !name.empty()) ::DeleteFileW(name.c_str());
}

// Written in pieces of this size: large enough that the file system sees
// few writes, small enough that memory stays flat whatever the list's length.
constexpr size_t kWriterBuffer = 256 * 1024;

ListFileWriter::ListFileWriter(const std::wstring& path, ListEncoding encoding, const WriteFaults& faults)
    : path_(path), target_(WithExtendedPrefix(FullPath(path))), encoding_(encoding), faults_(faults) {
    CheckTarget(path_, target_);
    if (!CreateTemporaryBeside(target_, temp_, faults_)) ThrowCreateError(path_, ::GetLastError());
    buffer_.reserve(kWriterBuffer + 4096);
    if (encoding_ == ListEncoding::Utf8) buffer_ = kUtf8ByteOrderMark;
}

void ListFileWriter::AddLine(std::wstring_view line) {
    lines_replaced_ += AppendEncodedLine(line, encoding_, buffer_);
    if (buffer_.size() >= kWriterBuffer) WriteBuffer();
}

void ListFileWriter::WriteBuffer() {
    WriteChunks(temp_.handle.get(), buffer_, faults_, writes_);
    buffer_.clear();
}

void ListFileWriter::Commit() {
    WriteBuffer();
    if (!::FlushFileBuffers(temp_.handle.get())) throw StreamWriteError();
    ReplaceTarget(path_, target_, temp_);
}

}  // namespace census
