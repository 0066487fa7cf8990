#include "page_protection.h"

#include <sys/mman.h>

namespace win32layer::detail {

bool posixProtectionFor(DWORD windowsProtection, int& posixProtection) {
    switch (windowsProtection) {
        case PAGE_NOACCESS: posixProtection = PROT_NONE; return true;
        case PAGE_READONLY: posixProtection = PROT_READ; return true;
        case PAGE_READWRITE:
        case PAGE_WRITECOPY: posixProtection = PROT_READ | PROT_WRITE; return true;
        case PAGE_EXECUTE: posixProtection = PROT_EXEC; return true;
        case PAGE_EXECUTE_READ: posixProtection = PROT_READ | PROT_EXEC; return true;
        case PAGE_EXECUTE_READWRITE:
        case PAGE_EXECUTE_WRITECOPY: posixProtection = PROT_READ | PROT_WRITE | PROT_EXEC; return true;
        default: return false;
    }
}

DWORD windowsProtectionFor(bool readable, bool writable, bool executable) {
    // Windows has no write-only page; such a mapping reads as read-write.
    if (executable) {
        if (writable) return PAGE_EXECUTE_READWRITE;
        return readable ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
    }
    if (writable) return PAGE_READWRITE;
    return readable ? PAGE_READONLY : PAGE_NOACCESS;
}

}  // namespace win32layer::detail
