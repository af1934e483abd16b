// Writing a text file without ever destroying the file that was there: the
// bytes go to a temporary file beside the target, which replaces the target
// only once every byte is written and flushed. Only where the folder refuses
// new files but the target itself may be written is the target written in
// place.
#pragma once

#include "runtime/list_encoding.h"

#include <string>

namespace census {

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

}  // namespace census
