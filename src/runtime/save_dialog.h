// The platform's save-file dialog (explorer style). The file name it returns
// is kept and offered again the next time.
//
// A name whose full path is longer than the platform's dialog code handles
// safely (it may crash on such names under Wine) is taken by this dialog
// itself when the user confirms it: the dialog closes with that name, and the
// file system alone decides whether it can be written.
#pragma once

#include "runtime/component.h"

#include <functional>
#include <string>

namespace census {

class SaveDialog : public Component {
public:
    std::wstring Title;
    // "Description|pattern|Description|pattern..."
    std::wstring Filter;
    // The file type chosen, from 1: set before Execute(), read after it.
    int FilterIndex = 1;
    std::wstring DefaultExt;
    std::wstring InitialDir;
    std::wstring FileName;

    // True when the user chose a name (then in FileName); false when cancelled.
    bool Execute();

    // Stands in for the system dialog (tests): gets the dialog, returns the
    // Execute() result.
    std::function<bool(SaveDialog&)> ExecuteOverride;

    // The full name for what the user typed in the dialog's folder (pure
    // string rule: an absolute name stands alone, a name beginning with "\"
    // is on the folder's drive, any other is inside the folder; enclosing
    // quotes are dropped).
    static std::wstring TypedFullName(const std::wstring& folder, std::wstring typed);

    // Full paths from this length on are taken over from the platform's dialog.
    static constexpr size_t kLongName = 248;

private:
    // Set while the dialog runs when the dialog took a long name itself.
    bool took_long_name_ = false;
    friend struct SaveDialogHook;
};

}  // namespace census
