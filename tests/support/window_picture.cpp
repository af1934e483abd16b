#include "support/window_picture.h"

#include "runtime/handles.h"
#include "support/real_input.h"

#include <wincodec.h>

#include <algorithm>
#include <vector>

namespace census::testing {

namespace {

// `count` rows of `width` pixels from the screen at (x, y), into `pixels`
// (top-down, 32 bits each) from row `from` on.
void CopyBand(int x, int y, int width, int from, int count, std::vector<std::uint32_t>& pixels) {
    WindowDc screen(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -count;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap band(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    if (!band || !dc) return;
    {
        SelectGuard select(dc.get(), band.get());
        ::BitBlt(dc.get(), 0, 0, width, count, screen.get(), x, y, SRCCOPY | CAPTUREBLT);
    }
    ::GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    std::copy(source, source + static_cast<size_t>(width) * count, pixels.begin() + static_cast<size_t>(from) * width);
}

bool WritePng(const std::wstring& path, int width, int height, std::vector<std::uint32_t>& pixels) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void())))
        return false;
    ComPtr<IWICBitmap> bitmap;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    const UINT stride = static_cast<UINT>(width) * 4;
    return SUCCEEDED(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGR, stride,
                                                     stride * static_cast<UINT>(height),
                                                     reinterpret_cast<BYTE*>(pixels.data()), bitmap.put())) &&
           SUCCEEDED(factory->CreateStream(stream.put())) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(bitmap.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

void MoveTo(HWND window, int x, int y) {
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntilPainted(window);
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::wstring& png_path) {
    RECT placed{};
    ::GetWindowRect(window, &placed);
    const int width = placed.right - placed.left, height = placed.bottom - placed.top;
    if (width <= 0 || height <= 0) return false;
    const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    if (placed.top >= 0 && placed.bottom <= screen_height) {
        CopyBand(placed.left, placed.top, width, 0, height, pixels);
    } else {
        // Row `from` of the window at the screen's top, band after band.
        for (int from = 0; from < height; from += screen_height) {
            MoveTo(window, placed.left, -from);
            CopyBand(placed.left, 0, width, from, std::min(height - from, screen_height), pixels);
        }
        MoveTo(window, placed.left, placed.top);
    }
    return WritePng(png_path, width, height, pixels);
}

}  // namespace census::testing
