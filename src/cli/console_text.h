// Lines of text for a console program's standard output and error.
//
// In a console the text goes as UTF-16 (WriteConsoleW), so every character
// shows whatever the console's code page. Redirected to a file or a pipe it
// goes as bytes in the console's output code page, which is what the
// platform's command interpreter and its script shells decode a program's
// output with; a process without a console writes UTF-8.
#pragma once

#include <string>

namespace census {

enum class ConsoleStream { Output, Error };

// Writes `text` followed by a line break; "\n" inside it starts new lines.
void WriteConsoleLine(ConsoleStream stream, const std::wstring& text);

// The bytes written for `text` when the stream is not a console: `text`
// with CR LF line breaks, in `code_page`.
std::string RedirectedBytes(const std::wstring& text, unsigned code_page);

}  // namespace census
