#include "editors/system_colors.h"

#include "runtime/application.h"
#include "runtime/handles.h"
#include "runtime/hidden_window.h"
#include "runtime/observer_list.h"

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

    void Add(SystemPaletteChangedNotifier* n) { notifiers_.Add(n); }
    void Remove(SystemPaletteChangedNotifier* n) { notifiers_.RemoveAll(n); }
    bool Empty() const { return notifiers_.Empty(); }

    // A handler may free notifiers (a control re-creating itself). The
    // primary ones are told first.
    void NotifyAll() {
        notifiers_.ForEach(
            [](SystemPaletteChangedNotifier* n) {
                if (n->OnColorsChanged) n->OnColorsChanged();
            },
            [](SystemPaletteChangedNotifier* n) { return n->Primary(); });
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UniqueHwnd window_;
    ObserverList<SystemPaletteChangedNotifier*> notifiers_;
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
