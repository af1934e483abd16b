// Reference counting for the objects this program hands to the platform
// (data objects, format enumerators, drop sources and targets), and the
// global memory they pass blocks in.
//
// An object lives as long as any holder keeps a reference: the platform may
// hold a data object after the drag that made it has ended (the clipboard
// keeps it until something else is copied).
#pragma once

#include "runtime/handles.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <utility>

namespace census {

template <typename Interface>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) std::unique_ptr<ComObject> last(this);
        return left;
    }

private:
    ULONG references_ = 1;
};

// Inside a catch block: what the exception being handled becomes at a COM
// method's edge. Running out of memory stays what it is.
inline HRESULT HresultOfCurrentException() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// The edge of a COM method of ours that may allocate: no exception crosses
// into the platform's code.
template <typename Call>
HRESULT ComBoundary(Call&& call) noexcept {
    try {
        return call();
    } catch (...) {
        return HresultOfCurrentException();
    }
}

// A new object holding the one reference the caller gets.
template <typename T, typename Interface, typename... Args>
ComPtr<Interface> MakeComObject(Args&&... args) {
    return ComPtr<Interface>(std::make_unique<T>(std::forward<Args>(args)...).release());
}

// A storage medium received from a data object, released with it.
class ReceivedMedium {
public:
    ReceivedMedium() = default;
    ReceivedMedium(const ReceivedMedium&) = delete;
    ReceivedMedium& operator=(const ReceivedMedium&) = delete;
    ~ReceivedMedium() {
        if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
    }
    STGMEDIUM* put() { return &medium_; }
    const STGMEDIUM& get() const { return medium_; }

private:
    STGMEDIUM medium_{};
};

}  // namespace census
