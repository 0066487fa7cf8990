#pragma once
// One-line diagnostics of the trampoline module on standard output.

namespace lumora {

// Source path reported by assertion lines.
inline constexpr const char* kTrampolineModulePath = "obrix_common/BranchTrampoline";

// Format of an address or size: 16 upper-case hexadecimal digits.
#ifdef _WIN32
#define LUMORA_HEX64 "%016I64X"
#else
#define LUMORA_HEX64 "%016llX"
#endif

// printf-style; appends "\n" and writes the line to stdout.
void writeDiagnostic(const char* format, ...)
#ifndef _WIN32
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Reports a broken invariant and stops the process at once with an undefined
// instruction: no unwinding, no message box.
[[noreturn]] void assertionFailed(int line, const char* condition);

}  // namespace lumora
