#pragma once
// Translation between Windows page protections and POSIX ones.
#include "win32_layer.h"

namespace win32layer::detail {

// PROT_* bits for a Windows protection; false for values we do not model
// (guard pages, no-cache, combinations).
bool posixProtectionFor(DWORD windowsProtection, int& posixProtection);

DWORD windowsProtectionFor(bool readable, bool writable, bool executable);

}  // namespace win32layer::detail
