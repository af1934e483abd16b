#include "editors/system_colors.h"

#include "editors/hidden_window.h"
#include "runtime/application.h"
#include "runtime/handles.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace census {

namespace {

const wchar_t kListenerClass[] = L"CensusSystemPaletteListener";

class PaletteListener {
public:
    PaletteListener() : window_(CreateBroadcastReceiver(kListenerClass, &PaletteListener::Proc)) {}

    HWND Window() const { return window_.get(); }

    void Add(SystemPaletteChangedNotifier* n) { notifiers_.push_back(n); }
    void Remove(SystemPaletteChangedNotifier* n) {
        notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), n), notifiers_.end());
    }
    bool Empty() const { return notifiers_.empty(); }

    void NotifyAll() {
        // A handler may free notifiers (a control re-creating itself); walk a
        // snapshot and skip those that are gone.
        std::vector<SystemPaletteChangedNotifier*> snapshot = notifiers_;
        for (bool primary : {true, false}) {
            for (SystemPaletteChangedNotifier* n : snapshot) {
                if (n->Primary() != primary || !Contains(n)) continue;
                if (n->OnColorsChanged) n->OnColorsChanged();
            }
        }
    }

private:
    bool Contains(SystemPaletteChangedNotifier* n) const {
        return std::find(notifiers_.begin(), notifiers_.end(), n) != notifiers_.end();
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UniqueHwnd window_;
    std::vector<SystemPaletteChangedNotifier*> notifiers_;
};

bool g_notifying = false;

std::unique_ptr<PaletteListener>& Listener() {
    static std::unique_ptr<PaletteListener> listener;
    return listener;
}

LRESULT CALLBACK PaletteListener::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_SYSCOLORCHANGE && Listener()) {
        g_notifying = true;
        try {
            Listener()->NotifyAll();
        } catch (...) {
            Application::Instance().HandleException(std::current_exception());
        }
        g_notifying = false;
        // The last notifier may have gone during the walk.
        if (Listener()->Empty()) Listener().reset();
    }
    return result;
}

}  // namespace

SystemPaletteChangedNotifier::SystemPaletteChangedNotifier(bool primary) : primary_(primary) {
    auto& listener = Listener();
    if (!listener) listener = std::make_unique<PaletteListener>();
    listener->Add(this);
}

SystemPaletteChangedNotifier::~SystemPaletteChangedNotifier() {
    auto& listener = Listener();
    if (!listener) return;
    listener->Remove(this);
    if (listener->Empty() && !g_notifying) listener.reset();
}

void* SystemPaletteListenerWindow() {
    auto& listener = Listener();
    return listener ? listener->Window() : nullptr;
}

}  // namespace census
