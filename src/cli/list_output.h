// Where the console census puts its lines: a list file that takes the old
// file's place only when whole, or a stream that takes each line as it comes
// (standard output, or a device named as the list file, such as NUL).
#pragma once

#include "runtime/handles.h"
#include "runtime/list_encoding.h"
#include "runtime/text_file.h"

#include <string>
#include <string_view>

namespace census {

// The program reading a stream closed it: nobody wants the rest of the list.
struct OutputClosed {};

class ListOutput {
public:
    virtual ~ListOutput() = default;
    // Throws StreamWriteError, or OutputClosed.
    virtual void AddLine(std::wstring_view line) = 0;
    // Passes on what is waiting, so that a reader sees lines while a slow walk goes on.
    virtual void Flush() = 0;
    // Every line is in: the list is written out whole. Throws as AddLine, or FileCreateError.
    virtual void Finish() = 0;
    // Lines holding characters the encoding could not hold, so far.
    virtual int LinesReplaced() const = 0;
};

// The list file, through its temporary file.
class FileOutput : public ListOutput {
public:
    explicit FileOutput(ListFileWriter& writer) : writer_(writer) {}
    void AddLine(std::wstring_view line) override { writer_.AddLine(line); }
    void Flush() override {}
    void Finish() override { writer_.Commit(); }
    int LinesReplaced() const override { return writer_.LinesReplaced(); }

private:
    ListFileWriter& writer_;
};

// Lines written straight to an open handle. A console is given the lines as
// UTF-16 text, so every name shows as it is whatever the console's code page;
// anything else is given the bytes of the encoding, CR LF after each line.
class StreamOutput : public ListOutput {
public:
    // `stream` stays open while the output lives; `byte_order_mark` puts
    // UTF-8's mark first, as a list file has it.
    StreamOutput(HANDLE stream, ListEncoding encoding, bool byte_order_mark);
    void AddLine(std::wstring_view line) override;
    void Flush() override;
    void Finish() override { Flush(); }
    int LinesReplaced() const override { return lines_replaced_; }

private:
    HANDLE stream_;
    ListEncoding encoding_;
    bool console_;
    std::string bytes_;   // waiting, when the stream is no console
    std::wstring text_;   // waiting, when it is
    int lines_replaced_ = 0;
};

// A device (NUL, a named pipe, a port) named as the list file, open for
// writing; an empty handle when `path` names no device. A device has no
// folder for a temporary file and nothing that could be replaced.
UniqueFileHandle OpenDevice(const std::wstring& path);

}  // namespace census
