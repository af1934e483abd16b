#include "support/real_input.h"

#include "runtime/application.h"
#include "runtime/handles.h"

namespace census::testing {

namespace {

void Send(INPUT input) { ::SendInput(1, &input, sizeof(input)); }

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    return in;
}

// Absolute coordinates run from 0 to 65535 across the primary screen.
INPUT AbsoluteMove(POINT screen) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    LONG dx = static_cast<LONG>((screen.x * 65535 + (w - 1) / 2) / (w - 1));
    LONG dy = static_cast<LONG>((screen.y * 65535 + (h - 1) / 2) / (h - 1));
    return MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
}

}  // namespace

void MoveMouseTo(POINT screen) {
    Send(AbsoluteMove(screen));
    // The pointer's position arrives through the display server; later
    // readings must not see an older one.
    PumpUntil([&] {
        POINT now{};
        ::GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    }, 2000);
}

void ClickLeft() {
    Send(MouseInput(MOUSEEVENTF_LEFTDOWN));
    Send(MouseInput(MOUSEEVENTF_LEFTUP));
}

void ClickAt(POINT screen) {
    INPUT inputs[3] = {AbsoluteMove(screen), MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
    ::SendInput(3, inputs, sizeof(INPUT));
}

void TapKey(WORD virtual_key) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtual_key;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
}

bool PumpUntil(const std::function<bool()>& done, unsigned limit_ms) {
    const ULONGLONG end = ::GetTickCount64() + limit_ms;
    for (;;) {
        Application::Instance().ProcessMessages();
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(unsigned ms) {
    PumpUntil([] { return false; }, ms);
}

std::vector<COLORREF> ScreenRow(POINT start, int count) {
    // Copied with CAPTUREBLT, so that layered windows (hint windows) are in the picture.
    WindowDc dc(nullptr);
    UniqueMemoryDc copy(::CreateCompatibleDC(dc.get()));
    UniqueBitmap pixels(::CreateCompatibleBitmap(dc.get(), count, 1));
    SelectGuard held(copy.get(), pixels.get());
    ::BitBlt(copy.get(), 0, 0, count, 1, dc.get(), start.x, start.y, SRCCOPY | CAPTUREBLT);
    std::vector<COLORREF> row;
    for (int x = 0; x < count; ++x) row.push_back(::GetPixel(copy.get(), x, 0));
    return row;
}

COLORREF ScreenPixel(POINT screen) { return ScreenRow(screen, 1).front(); }

}  // namespace census::testing
