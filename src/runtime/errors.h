// Failures travel as exceptions; the application object shows their message
// in a stop-icon box and goes on (Abort is swallowed silently).
#pragma once

#include <stdexcept>
#include <string>

namespace census {

class Exception : public std::runtime_error {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

// A silent exception: ends the current operation without a message.
class Abort : public Exception {
public:
    Abort() : Exception(L"Operation aborted") {}
};

// The file could not be created ("Cannot create file ...").
class FileCreateError : public Exception {
public:
    using Exception::Exception;
    FileCreateError(std::wstring message, unsigned long code) : Exception(std::move(message)), code_(code) {}
    // The system's error code, for callers that word the failure themselves; 0 when unknown.
    unsigned long Code() const { return code_; }

private:
    unsigned long code_ = 0;
};

// Writing to a stream failed part way ("Stream write error").
class StreamWriteError : public Exception {
public:
    StreamWriteError() : Exception(L"Stream write error") {}
};

// The platform's own text for an error code, without the trailing line break.
std::wstring SystemErrorMessage(unsigned long code);

// A platform result code (HRESULT) that tells of a failure is thrown as an
// Exception with the platform's text for it; success codes pass.
void ThrowIfFailed(long result);

// UTF-8 for what(); the wide message is what the user sees.
std::string ToUtf8(const std::wstring& text);
// The other way: what() of an exception of any kind read as UTF-8.
std::wstring FromUtf8(const std::string& text);

}  // namespace census
