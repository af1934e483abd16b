#include "editors/theme_service.h"

#include "runtime/application.h"
#include "runtime/handles.h"
#include "runtime/hidden_window.h"
#include "runtime/observer_list.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

namespace census {

namespace {

const char* const kFunctionNames[] = {
    "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "DrawThemeParentBackground",
    "DrawThemeText", "EnableThemeDialogTexture", "GetCurrentThemeName", "GetThemeAppProperties",
    "GetThemeBackgroundContentRect", "GetThemeBackgroundRegion", "GetThemeBackgroundExtent", "GetThemeBool",
    "GetThemeColor", "GetThemeDocumentationProperty", "GetThemeEnumValue", "GetThemeFilename",
    "GetThemeFont", "GetThemeInt", "GetThemeIntList", "GetThemeMargins", "GetThemeMetric",
    "GetThemePartSize", "GetThemePosition", "GetThemePropertyOrigin", "GetThemeRect", "GetThemeString",
    "GetThemeSysBool", "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysFont", "GetThemeSysInt",
    "GetThemeSysSize", "GetThemeSysString", "GetThemeTextExtent", "GetThemeTextMetrics", "GetWindowTheme",
    "HitTestThemeBackground", "IsAppThemed", "IsThemeActive", "IsThemePartDefined",
    "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled", "OpenThemeData",
    "SetThemeAppProperties", "SetWindowTheme",
};

const wchar_t* const kClassNames[kThemeClassCount] = {
    L"Button", L"Clock", L"ComboBox", L"Edit", L"ExplorerBar", L"Header", L"ListView", L"Menu",
    L"Page", L"Progress", L"Rebar", L"ScrollBar", L"Spin", L"StartPanel", L"Status", L"Tab",
    L"TaskBand", L"TaskBar", L"ToolBar", L"ToolTip", L"TrackBar", L"TrayNotify", L"TreeView", L"Window",
};

const wchar_t kReceiverClass[] = L"CensusThemeChangedReceiver";

struct ThemeSlot {
    UniqueTheme handle;
    std::wstring class_name;
};

class ThemeService {
public:
    ThemeService() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        library_.reset(::LoadLibraryW(L"UxTheme.dll"));
        if (!library_) return;
        for (const char* name : kFunctionNames) functions_[name] = ::GetProcAddress(library_.get(), name);
        Bind(api_.IsThemeActive, "IsThemeActive");
        Bind(api_.OpenThemeData, "OpenThemeData");
        Bind(api_.CloseThemeData, "CloseThemeData");
        Bind(api_.DrawThemeBackground, "DrawThemeBackground");
        Bind(api_.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
        Bind(api_.GetThemeColor, "GetThemeColor");
        Bind(api_.GetThemePartSize, "GetThemePartSize");
        Bind(api_.DrawThemeParentBackground, "DrawThemeParentBackground");
        Bind(api_.IsThemeBackgroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent");
        RefreshActive();
        CreateReceiver();
    }

    ~ThemeService() {
        CloseAll();
        receiver_.reset();
    }

    const ThemeApi& Api() const { return api_; }
    bool Loaded() const { return static_cast<bool>(library_); }
    bool Active() const { return active_; }
    HWND Receiver() const { return receiver_.get(); }

    FARPROC Function(const char* name) const {
        auto it = functions_.find(name);
        return it == functions_.end() ? nullptr : it->second;
    }

    HTHEME Handle(ThemeClass cls) {
        if (!Loaded() || !active_ || !api_.OpenThemeData) return nullptr;
        ThemeSlot& slot = slots_[static_cast<size_t>(cls)];
        const wchar_t* name = kClassNames[static_cast<size_t>(cls)];
        if (slot.handle && slot.class_name != name) Close(slot);
        if (!slot.handle) {
            slot.handle = UniqueTheme(api_.OpenThemeData(nullptr, name), api_.CloseThemeData);
            slot.class_name = name;
        }
        return slot.handle.get();
    }

    void CloseAll() {
        for (ThemeSlot& slot : slots_) Close(slot);
    }

    void Register(ThemeChangedNotificator* n) { notificators_.Add(n); }
    void Unregister(ThemeChangedNotificator* n) { notificators_.RemoveAll(n); }

private:
    template <typename F>
    void Bind(F& target, const char* name) {
        target = reinterpret_cast<F>(Function(name));
    }

    void RefreshActive() { active_ = api_.IsThemeActive && api_.IsThemeActive(); }

    void Close(ThemeSlot& slot) {
        slot.handle.reset();
        slot.class_name.clear();
    }

    void CreateReceiver() { receiver_ = CreateBroadcastReceiver(kReceiverClass, &ThemeService::ReceiverProc); }

    void ThemeChanged() {
        CloseAll();
        RefreshActive();
        notificators_.ForEach([](ThemeChangedNotificator* n) {
            try {
                n->Notify();
            } catch (...) {
                ReportCallbackFailure();
            }
        });
    }

    static void ReportCallbackFailure();
    static LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UniqueModule library_;
    std::map<std::string, FARPROC> functions_;
    ThemeApi api_;
    bool active_ = false;
    std::array<ThemeSlot, kThemeClassCount> slots_;
    UniqueHwnd receiver_;
    ObserverList<ThemeChangedNotificator*> notificators_;
};

ThemeService& Service() {
    static ThemeService service;
    return service;
}

void ThemeService::ReportCallbackFailure() {
    Application::Instance().HandleException(std::current_exception());
}

LRESULT CALLBACK ThemeService::ReceiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_THEMECHANGED) return ::DefWindowProcW(hwnd, msg, wp, lp);
    Service().ThemeChanged();
    return 0;
}

}  // namespace

const ThemeApi& Theme() { return Service().Api(); }
bool ThemeLibraryLoaded() { return Service().Loaded(); }
FARPROC ThemeFunction(const char* name) { return Service().Function(name); }

bool NativeThemingAvailable(std::initializer_list<ThemeClass> classes) {
    ThemeService& service = Service();
    if (!service.Loaded() || !service.Active()) return false;
    for (ThemeClass cls : classes) {
        if (!service.Handle(cls)) return false;
    }
    return true;
}

HTHEME ThemeHandle(ThemeClass cls) { return Service().Handle(cls); }
void CloseAllThemeHandles() { Service().CloseAll(); }
HWND ThemeChangeReceiverWindow() { return Service().Receiver(); }

ThemeChangedNotificator::ThemeChangedNotificator(std::function<void()> on_changed)
    : on_changed_(std::move(on_changed)) {
    if (Service().Loaded()) {
        Service().Register(this);
        registered_ = true;
    }
}

ThemeChangedNotificator::~ThemeChangedNotificator() {
    if (registered_) Service().Unregister(this);
}

}  // namespace census
