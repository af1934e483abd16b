// The console census's command line, read strictly: what it does not know
// is an error, never a guess. Plain strings: no window, no file system.
//
//   census_cli FOLDER [/out FILE] [/relative] [/utf8] [/nolinks] [/q]
//   census_cli /?
//
// Options begin with "/" or "-" and are matched without regard to case; each
// may be given once. Anything else is the folder, so a folder whose name
// begins with "-" is written as ".\-name". The value of /out is the next
// argument and may not itself look like an option: "-" alone is standard
// output, a file whose name begins with "-" is written as ".\-name" too.
#pragma once

#include <string>
#include <vector>

namespace census {

struct CliOptions {
    std::wstring folder;
    std::wstring out;       // the list file; empty: standard output (no /out, or "/out -")
    bool relative = false;  // lines relative to the folder instead of full paths
    bool utf8 = false;      // UTF-8 (with a byte-order mark in a file) instead of code page 1251
    bool help = false;      // "/?": the usage, and nothing else is done
    bool quiet = false;     // "/q": no progress line and no notes, only what went wrong
    bool no_links = false;  // "/nolinks": folder links are neither entered nor followed
};

struct ParsedArguments {
    CliOptions options;
    std::wstring error;  // empty when the arguments are good; else one line saying why
};

// `args` without the program's own name.
ParsedArguments ParseCliArguments(const std::vector<std::wstring>& args);

// The usage text, lines separated by "\n".
const std::wstring& CliUsage();

}  // namespace census
