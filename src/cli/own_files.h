// The census's own files, the list file and its temporary copy, which would
// otherwise be listed whenever they lie inside the folder walked: the
// temporary file is gone after the run, and the list file is replaced by
// the very list. Each is known by its folder's identity (volume serial and
// file index) and its long name there, so that no spelling of a path (a
// short name, another drive letter for the same folder, a path through a
// link) lets it into the list, and a file that does not exist yet is known
// as well as one that does. A hard link of the list file elsewhere is a
// file of its own after the run, and stays listed.
#pragma once

#include "app/census_walk.h"

#include <optional>
#include <string>
#include <vector>

namespace census {

class OwnFiles {
public:
    // A file of the census, by its full path (extended-length form); it
    // need not exist.
    void Add(const std::wstring& api_path);
    // Whether the file of a census line is one of them: the file at `base`
    // followed by `line` (`base` is empty for a line that is a full path).
    bool Contains(const std::wstring& base, const std::wstring& line) const;

private:
    struct Own {
        std::wstring name;                    // the long name
        std::wstring folder;                  // extended-length form, ends with "\"
        std::optional<FileIdentity> identity; // the folder's
    };
    std::vector<Own> files_;
};

}  // namespace census
