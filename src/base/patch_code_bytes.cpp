#include "base/patch_code_bytes.h"

#include "win/windows_api.h"

namespace lumora {

bool patchCodeBytes(std::vector<std::uint8_t> bytes, void* address) {
    if (address == nullptr || bytes.empty()) return false;
    // Only the span is made writable; a longer sequence would write into
    // memory whose protection we never changed.
    if (bytes.size() > kPatchProtectionSpan) return false;
    DWORD oldProtect = 0;
    if (!VirtualProtect(address, kPatchProtectionSpan, PAGE_EXECUTE_READWRITE, &oldProtect)) return false;
    auto* target = static_cast<volatile std::uint8_t*>(address);
    for (std::size_t i = 0; i < bytes.size(); ++i) target[i] = bytes[i];
    DWORD unused = 0;
    return VirtualProtect(address, kPatchProtectionSpan, oldProtect, &unused) != 0;
}

}  // namespace lumora
