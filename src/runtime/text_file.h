// Writing a text file without ever destroying the file that was there: the
// bytes go to a temporary file beside the target, which replaces the target
// only once every byte is written and flushed. Only where the folder refuses
// new files but the target itself may be written is the target written in
// place.
#pragma once

#include "runtime/handles.h"
#include "runtime/list_encoding.h"

#include <string>
#include <string_view>

namespace census {

// `path` made absolute against the current directory, of any length; as it
// is when the platform cannot.
std::wstring FullPath(const std::wstring& path);

// The text in code page 1251, on every machine; characters outside it become "?".
std::string ToCodePage1251(const std::wstring& text);

// Failures a test can make a save meet.
struct WriteFaults {
    // The write with this number (from 0) stores half of its bytes, then fails.
    int failing_write = -1;
    // Creating the temporary file is refused with this system error code.
    unsigned long temporary_refused = 0;
};

// Throws FileCreateError ("Cannot create file "<full path>". <reason>") when
// the file cannot be created or replaced, StreamWriteError when writing fails
// part way. On failure no temporary file is left, and a target that was
// replaced through one is as it was. Returns the number of lines holding
// characters the encoding could not hold.
int WriteTextFile(const std::wstring& path, const std::wstring& text,
                  ListEncoding encoding = ListEncoding::CodePage1251);

// The same with bytes already encoded.
void WriteFileBytes(const std::wstring& path, const std::string& bytes, const WriteFaults& faults = {});

// A file that is deleted when it goes, unless it was kept.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    UniqueFileHandle handle;
    std::wstring name;  // extended-length form
    bool kept = false;
};

// A list written line by line while it is made, so that it is never held
// whole: the lines go to a temporary file beside the target, which replaces
// the target only in Commit. A writer destroyed without Commit removes its
// temporary file, and the target stays as it was; so does the system for a
// process that is ended before it could clean up. Unlike WriteFileBytes it
// never writes over the target in place: that would lose the old file to a
// run that fails or is interrupted half way.
class ListFileWriter {
public:
    // Throws FileCreateError when the target cannot be replaced or no
    // temporary file can be made beside it.
    ListFileWriter(const std::wstring& path, ListEncoding encoding, const WriteFaults& faults = {});
    ListFileWriter(const ListFileWriter&) = delete;
    ListFileWriter& operator=(const ListFileWriter&) = delete;

    // Throws StreamWriteError.
    void AddLine(std::wstring_view line);
    // Writes what is buffered, flushes and puts the file in the target's
    // place. Throws StreamWriteError or FileCreateError; the target is then
    // as it was.
    void Commit();

    // Lines holding characters the encoding could not hold, so far.
    int LinesReplaced() const { return lines_replaced_; }
    // The temporary file's full path (extended-length form).
    const std::wstring& TemporaryName() const { return temp_.name; }

private:
    void WriteBuffer();

    std::wstring path_, target_;
    ListEncoding encoding_;
    WriteFaults faults_;
    TemporaryFile temp_;
    std::string buffer_;
    int writes_ = 0;
    int lines_replaced_ = 0;
};

}  // namespace census
