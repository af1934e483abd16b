// The console census's command line, read strictly: what it does not know
// is an error, never a guess. Plain strings: no window, no file system.
//
//   census_cli FOLDER /out FILE [/relative] [/utf8]
//   census_cli /?
//
// Options begin with "/" or "-" and are matched without regard to case; each
// may be given once. Anything else is the folder, so a folder whose name
// begins with "-" is written as ".\-name". The value of /out is the next
// argument and may not itself begin with "/".
#pragma once

#include <string>
#include <vector>

namespace census {

struct CliOptions {
    std::wstring folder;
    std::wstring out;
    bool relative = false;  // lines relative to the folder instead of full paths
    bool utf8 = false;      // UTF-8 with a byte-order mark instead of code page 1251
    bool help = false;      // "/?": the usage, and nothing else is done
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
