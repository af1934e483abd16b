// Tells interested objects when the system colours change.
//
// One hidden top-level window (broadcasts do not reach message-only windows)
// exists while at least one notifier is alive. On WM_SYSCOLORCHANGE it calls
// the primary notifiers first, then the others, each group in the order they
// were made: primary ones rebuild caches that the others then paint with.
#pragma once

#include <functional>

namespace census {

class SystemPaletteChangedNotifier {
public:
    explicit SystemPaletteChangedNotifier(bool primary);
    SystemPaletteChangedNotifier(const SystemPaletteChangedNotifier&) = delete;
    SystemPaletteChangedNotifier& operator=(const SystemPaletteChangedNotifier&) = delete;
    ~SystemPaletteChangedNotifier();

    bool Primary() const { return primary_; }
    std::function<void()> OnColorsChanged;

private:
    bool primary_;
};

// The listener's hidden window while any notifier exists, else null; lets a
// caller deliver a colour change as the system would.
void* SystemPaletteListenerWindow();

}  // namespace census
