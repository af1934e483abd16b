// Notifications a parent receives on behalf of a child go back to the child.
#include "runtime/control.h"

#include <commctrl.h>

namespace census {

bool Control::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    UINT reflected = 0;
    switch (msg) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lp);
            reflected = CN_COMMAND;
            break;
        case WM_NOTIFY:
            child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
            reflected = CN_NOTIFY;
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
            reflected = CN_DRAWITEM;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
            child = reinterpret_cast<HWND>(lp);
            reflected = CN_CTLCOLOR;
            break;
        default:
            return false;
    }
    Control* target = FromHandle(child);
    if (!target || target == this) return false;
    return target->Reflected(reflected, wp, lp, result);
}

}  // namespace census
