#include "support/gdi_count.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>

namespace census::testing {

namespace {

// Wine answers GetGuiResources with 0; its GDI handle table is mapped into
// the process (the PEB's GdiSharedHandleTable) with one 24-byte entry per
// handle whose type byte is non-zero while the object lives.
struct WineGdiEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(WineGdiEntry) == 24);

constexpr size_t kPebGdiTableOffset = 0xF8;
constexpr size_t kWineGdiTableEntries = 65536;

bool RunningOnWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

unsigned long CountWineTable() {
    auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    auto* table = *reinterpret_cast<const WineGdiEntry* const*>(peb + kPebGdiTableOffset);
    if (!table) return 0;
    unsigned long live = 0;
    for (size_t i = 0; i < kWineGdiTableEntries; ++i)
        if (table[i].type) ++live;
    return live;
}

}  // namespace

unsigned long LiveGdiObjects() {
    DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported == 0 && RunningOnWine()) return CountWineTable();
    return reported;
}

}  // namespace census::testing
