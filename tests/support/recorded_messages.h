// Message boxes and reported exceptions recorded instead of shown, for as
// long as the recorder lives; every box is answered OK.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace census::testing {

struct ShownBox {
    std::wstring text, caption;
    UINT flags = 0;
    UINT Icon() const { return flags & MB_ICONMASK; }
};

class RecordedMessages {
public:
    RecordedMessages();
    ~RecordedMessages();
    RecordedMessages(const RecordedMessages&) = delete;
    RecordedMessages& operator=(const RecordedMessages&) = delete;

    std::vector<ShownBox> boxes;
    std::vector<std::wstring> errors;  // exceptions the application reported
};

}  // namespace census::testing
