// The platform's save-file dialog (explorer style). The file name it returns
// is kept and offered again the next time.
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
    std::wstring DefaultExt;
    std::wstring InitialDir;
    std::wstring FileName;

    // True when the user chose a name (then in FileName); false when cancelled.
    bool Execute();

    // Stands in for the system dialog (tests): gets the dialog, returns the
    // Execute() result.
    std::function<bool(SaveDialog&)> ExecuteOverride;
};

}  // namespace census
