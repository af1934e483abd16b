// A file-system folder whose path is longer than the platform's shell
// folders reach, as a shell folder of the program's own.
//
// Some shells (Wine's) build every path of a folder in a MAX_PATH buffer:
// a folder beyond it binds, but enumerates nothing, and its items cannot be
// parsed. Whether the platform needs this is asked once per process (a long
// folder is made in the temporary folder and enumerated through the shell);
// where the shell reaches long folders itself this is never used.
//
// Its items are one-item lists of its own kind (a marker byte the platform
// never uses, then the entry's attributes and name); they are compared,
// named, bound and enumerated only by folders of this kind.
#pragma once

#include "shell/namespace/id_list.h"

#include <string>

namespace census {

// Whether folders at path need this layer: the path is beyond what the
// platform's shell folders enumerate, and this platform's shell is of the
// kind that stops there.
bool NeedsLongPathFolder(const std::wstring& path);

// Whether item is one of this layer's items (only its folders know it).
bool IsLongPathItem(PCUIDLIST_RELATIVE item);

// A shell folder over the directory at path (any length).
ComPtr<IShellFolder> MakeLongPathFolder(const std::wstring& path);

}  // namespace census
