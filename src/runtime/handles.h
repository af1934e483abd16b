// Owning wrappers for every kind of Windows handle the program holds.
//
// One move-only template, UniqueHandle<Traits>, and one alias per handle kind.
// Paired calls (BeginPaint/EndPaint, GetDC/ReleaseDC, SelectObject/restore)
// get small guards of their own. COM pointers live in ComPtr, item identifier
// lists in the shell allocator's UniqueCoTaskMem.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <uxtheme.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace census {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type h) noexcept : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return Traits::valid(h_); }
    Type release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(Type h = Traits::invalid()) noexcept {
        Type old = std::exchange(h_, h);
        if (Traits::valid(old)) Traits::close(old);
    }
    // For out-parameters: frees what is held and hands out the slot.
    Type* put() noexcept {
        reset();
        return &h_;
    }

private:
    Type h_ = Traits::invalid();
};

template <typename T, auto Close, T Invalid = T{}>
struct HandleTraits {
    using Type = T;
    static constexpr T invalid() noexcept { return Invalid; }
    static bool valid(T h) noexcept { return h != Invalid; }
    static void close(T h) noexcept { Close(h); }
};

// Kernel handles that use INVALID_HANDLE_VALUE as "none" (files, searches,
// change notifications) cannot use a constant template argument.
template <auto Close>
struct InvalidValueTraits {
    using Type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) noexcept { Close(h); }
};

inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) noexcept { ::FindClose(h); }
inline void CloseChangeNotification(HANDLE h) noexcept { ::FindCloseChangeNotification(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void DeleteMemoryDc(HDC h) noexcept { ::DeleteDC(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void UnloadModule(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void FreeCoTaskMem(void* p) noexcept { ::CoTaskMemFree(p); }
inline void FreeLocalMemory(void* p) noexcept { ::LocalFree(p); }
inline void FreeGlobal(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void DestroyImageList(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }

using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, CloseKernelHandle>>;  // events, threads
using UniqueFileHandle = UniqueHandle<InvalidValueTraits<CloseKernelHandle>>;
using UniqueFindHandle = UniqueHandle<InvalidValueTraits<CloseFind>>;
using UniqueChangeHandle = UniqueHandle<InvalidValueTraits<CloseChangeNotification>>;
using UniqueHwnd = UniqueHandle<HandleTraits<HWND, DestroyWindowHandle>>;
using UniqueMemoryDc = UniqueHandle<HandleTraits<HDC, DeleteMemoryDc>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, DestroyMenuHandle>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, DestroyIconHandle>>;
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, UnloadModule>>;
// Blocks the system hands out from the local heap (CommandLineToArgvW's
// array, FormatMessage's text).
template <typename T>
using UniqueLocalMemory = UniqueHandle<HandleTraits<T, FreeLocalMemory>>;
using UniqueGlobal = UniqueHandle<HandleTraits<HGLOBAL, FreeGlobal>>;
using UniqueImageList = UniqueHandle<HandleTraits<HIMAGELIST, DestroyImageList>>;

template <typename T>
using UniqueGdi = UniqueHandle<HandleTraits<T, DeleteGdiObject>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRegion = UniqueGdi<HRGN>;
using UniquePalette = UniqueGdi<HPALETTE>;

// Memory from the shell/COM task allocator (item identifier lists, strings
// returned by shell interfaces). SHGetMalloc hands out this same allocator.
template <typename T>
class UniqueCoTaskMem {
public:
    UniqueCoTaskMem() noexcept = default;
    explicit UniqueCoTaskMem(T* p) noexcept : p_(p) {}
    UniqueCoTaskMem(const UniqueCoTaskMem&) = delete;
    UniqueCoTaskMem& operator=(const UniqueCoTaskMem&) = delete;
    UniqueCoTaskMem(UniqueCoTaskMem&& o) noexcept : p_(o.release()) {}
    UniqueCoTaskMem& operator=(UniqueCoTaskMem&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueCoTaskMem() { reset(); }
    T* get() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T* release() noexcept { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(p_, p);
        if (old) FreeCoTaskMem(old);
    }
    T** put() noexcept {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// A COM interface pointer that cannot be copied by accident: copies are
// explicit (copy()) and take their own reference.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Adopts a reference the caller already owns.
    explicit ComPtr(T* p) noexcept : p_(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.release()) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~ComPtr() { reset(); }

    static ComPtr AddRefOf(T* p) noexcept {
        if (p) p->AddRef();
        return ComPtr(p);
    }
    ComPtr copy() const noexcept { return AddRefOf(p_); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T* release() noexcept { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(p_, p);
        if (old) old->Release();
    }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U>
    ComPtr<U> query(REFIID iid) const noexcept {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.put_void());
        return out;
    }

private:
    T* p_ = nullptr;
};

// A theme data handle. The theme functions are found at run time, so the
// function that closes the handle comes with it.
class UniqueTheme {
public:
    using Closer = HRESULT(WINAPI*)(HTHEME);
    UniqueTheme() noexcept = default;
    UniqueTheme(HTHEME h, Closer close) noexcept : h_(h), close_(close) {}
    UniqueTheme(const UniqueTheme&) = delete;
    UniqueTheme& operator=(const UniqueTheme&) = delete;
    UniqueTheme(UniqueTheme&& o) noexcept : h_(std::exchange(o.h_, nullptr)), close_(o.close_) {}
    UniqueTheme& operator=(UniqueTheme&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
            close_ = o.close_;
        }
        return *this;
    }
    ~UniqueTheme() { reset(); }
    HTHEME get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    void reset() noexcept {
        HTHEME old = std::exchange(h_, nullptr);
        if (old && close_) close_(old);
    }

private:
    HTHEME h_ = nullptr;
    Closer close_ = nullptr;
};

// GetDC/ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd, bool whole_window = false) noexcept
        : hwnd_(hwnd), dc_(whole_window ? ::GetWindowDC(hwnd) : ::GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const RECT& area() const noexcept { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// SelectObject with the previous object put back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// SaveDC/RestoreDC: every attribute and clip change inside is undone.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState() {
        if (id_) ::RestoreDC(dc_, id_);
    }

private:
    HDC dc_;
    int id_;
};

// GlobalLock/GlobalUnlock; size() is what the platform says the block holds.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL h) noexcept
        : h_(h), data_(h ? ::GlobalLock(h) : nullptr), size_(data_ ? ::GlobalSize(h) : 0) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_) ::GlobalUnlock(h_);
    }
    const std::uint8_t* data() const noexcept { return static_cast<const std::uint8_t*>(data_); }
    std::uint8_t* mutable_data() const noexcept { return static_cast<std::uint8_t*>(data_); }
    std::size_t size() const noexcept { return size_; }

private:
    HGLOBAL h_;
    void* data_;
    std::size_t size_;
};

// Runs a callable on scope exit.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (armed_) f_();
    }
    void dismiss() noexcept { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

}  // namespace census
