#include "memory_seams.h"

#include "win32_controls.h"

namespace win32layer {

namespace detail {

FunctionSeam<SIZE_T(LPCVOID, MEMORY_BASIC_INFORMATION*)>& virtualQuerySeam() {
    static auto& seam = makeSeam<SIZE_T(LPCVOID, MEMORY_BASIC_INFORMATION*)>();
    return seam;
}

FunctionSeam<LPVOID(LPVOID, SIZE_T, DWORD, DWORD)>& virtualAllocSeam() {
    static auto& seam = makeSeam<LPVOID(LPVOID, SIZE_T, DWORD, DWORD)>();
    return seam;
}

FunctionSeam<BOOL(LPVOID, SIZE_T, DWORD, PDWORD)>& virtualProtectSeam() {
    static auto& seam = makeSeam<BOOL(LPVOID, SIZE_T, DWORD, PDWORD)>();
    return seam;
}

FunctionSeam<BOOL(LPVOID, SIZE_T, DWORD)>& virtualFreeSeam() {
    static auto& seam = makeSeam<BOOL(LPVOID, SIZE_T, DWORD)>();
    return seam;
}

}  // namespace detail

void setVirtualQueryOverride(std::function<SIZE_T(LPCVOID, MEMORY_BASIC_INFORMATION*)> fake) {
    detail::virtualQuerySeam().replace(std::move(fake));
}
void setVirtualAllocOverride(std::function<LPVOID(LPVOID, SIZE_T, DWORD, DWORD)> fake) {
    detail::virtualAllocSeam().replace(std::move(fake));
}
void setVirtualProtectOverride(std::function<BOOL(LPVOID, SIZE_T, DWORD, PDWORD)> fake) {
    detail::virtualProtectSeam().replace(std::move(fake));
}
void setVirtualFreeOverride(std::function<BOOL(LPVOID, SIZE_T, DWORD)> fake) {
    detail::virtualFreeSeam().replace(std::move(fake));
}

void failVirtualQuery(DWORD error) { detail::virtualQuerySeam().failWith(error); }
void failVirtualAlloc(DWORD error) { detail::virtualAllocSeam().failWith(error); }
void failVirtualProtect(DWORD error) { detail::virtualProtectSeam().failWith(error); }

}  // namespace win32layer
