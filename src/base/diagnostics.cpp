#include "base/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace lumora {

namespace {
char g_diagnosticBuffer[8192];
std::mutex g_diagnosticMutex;

FILE* diagnosticStream() {
    static FILE* const stream = stdout;
    return stream;
}
}  // namespace

void writeDiagnostic(const char* format, ...) {
    std::lock_guard<std::mutex> lock(g_diagnosticMutex);
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(g_diagnosticBuffer, sizeof g_diagnosticBuffer - 1, format, args);
    va_end(args);
    if (length < 0) length = 0;
    if (length > static_cast<int>(sizeof g_diagnosticBuffer) - 2) length = sizeof g_diagnosticBuffer - 2;
    g_diagnosticBuffer[length] = '\n';
    g_diagnosticBuffer[length + 1] = '\0';
    std::fputs(g_diagnosticBuffer, diagnosticStream());
    // The process may stop right after an assertion line; make sure it got out.
    std::fflush(diagnosticStream());
}

[[noreturn]] void assertionFailed(int line, const char* condition) {
    writeDiagnostic("Assertion failed in %s (%d): %s", kTrampolineModulePath, line, condition);
    __builtin_trap();  // ud2
}

}  // namespace lumora
