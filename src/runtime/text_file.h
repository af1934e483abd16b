// Writing a text file in code page 1251 without ever destroying the file that
// was there: the bytes go to a temporary file beside the target, which
// replaces the target only once every byte is written and flushed.
#pragma once

#include <string>

namespace census {

constexpr unsigned kListCodePage = 1251;

// The text in code page 1251; characters outside it become "?".
std::string ToCodePage1251(const std::wstring& text);

// Throws FileCreateError ("Cannot create file "<full path>". <reason>") when
// the file cannot be created or replaced, StreamWriteError when writing fails
// part way. On failure the temporary file is removed and the target is as it was.
void WriteTextFile(const std::wstring& path, const std::wstring& text);

// The same with bytes already encoded.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace census
