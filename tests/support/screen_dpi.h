// The screen's density as programs started from now on see it: the user's
// "LogPixels" setting, changed for the length of a test and put back.
#pragma once

#include <optional>

namespace census::testing {

class ScreenDpiSetting {
public:
    // Sets the density that programs started from now on read.
    explicit ScreenDpiSetting(int dpi);
    // Puts back what was there (or nothing, if nothing was).
    ~ScreenDpiSetting() { Restore(); }
    ScreenDpiSetting(const ScreenDpiSetting&) = delete;
    ScreenDpiSetting& operator=(const ScreenDpiSetting&) = delete;

    bool Applied() const { return applied_; }
    // Once the programs that need it have read it: nothing else started meanwhile sees it.
    void Restore();

private:
    std::optional<unsigned long> previous_;
    bool applied_ = false;
    bool restored_ = false;
};

}  // namespace census::testing
