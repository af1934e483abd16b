#include "cli/list_output.h"

#include "runtime/errors.h"

#include <windows.h>

#include <algorithm>

namespace census {

namespace {

// Passed on in pieces of this size: few writes for a long list, and memory
// that stays flat however long it is.
constexpr size_t kStreamBuffer = 64 * 1024;

// A pipe whose reader has gone answers a write with one of these.
bool ReaderGone(DWORD error) { return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA; }

}  // namespace

StreamOutput::StreamOutput(HANDLE stream, ListEncoding encoding, bool byte_order_mark)
    : stream_(stream), encoding_(encoding) {
    DWORD mode = 0;
    console_ = ::GetConsoleMode(stream_, &mode) != FALSE;
    if (byte_order_mark && encoding_ == ListEncoding::Utf8 && !console_) bytes_ = kUtf8ByteOrderMark;
}

void StreamOutput::AddLine(std::wstring_view line) {
    if (console_) {
        text_.append(line);
        text_ += L"\r\n";
        if (text_.size() >= kStreamBuffer / sizeof(wchar_t)) Flush();
        return;
    }
    lines_replaced_ += AppendEncodedLine(line, encoding_, bytes_);
    if (bytes_.size() >= kStreamBuffer) Flush();
}

void StreamOutput::Flush() {
    // A console that is gone (closed with its window) has no reader either.
    for (size_t done = 0; done < text_.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(text_.size() - done, 8192)), written = 0;
        if (!::WriteConsoleW(stream_, text_.data() + done, chunk, &written, nullptr) || written == 0)
            throw OutputClosed();
        done += written;
    }
    text_.clear();
    for (size_t done = 0; done < bytes_.size();) {
        DWORD written = 0;
        if (!::WriteFile(stream_, bytes_.data() + done, static_cast<DWORD>(bytes_.size() - done), &written, nullptr)) {
            if (ReaderGone(::GetLastError())) throw OutputClosed();
            throw StreamWriteError();
        }
        if (written == 0) throw StreamWriteError();
        done += written;
    }
    bytes_.clear();
}

UniqueFileHandle OpenDevice(const std::wstring& path) {
    // Opening an existing file to write changes nothing in it; a file that
    // cannot be opened so is left to the list file's own checks.
    UniqueFileHandle stream(::CreateFileW(FullPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (stream && ::GetFileType(stream.get()) == FILE_TYPE_DISK) stream.reset();
    return stream;
}

}  // namespace census
