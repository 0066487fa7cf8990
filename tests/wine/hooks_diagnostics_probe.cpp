// Writes the trampoline module's diagnostic lines with fixed arguments, built
// by the Windows toolchain exactly as the plugin builds them. With "assert"
// it reports a broken invariant instead, which ends the process.
#include <cstring>

#include "base/diagnostics.h"

using namespace lumora;

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "assert") == 0) assertionFailed(255, "result");
    writeDiagnostic("VirtualQuery failed: %08X", 0x57u);
    writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)", 0x000000013FFFFF00ull, 256ull,
                    0x1E7u);
    writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)", 0xFFFFFFFFFFFFFFFFull, 256ull,
                    0xFFFFFFFFu);
    writeDiagnostic("couldn't allocate trampoline, no free space before image");
    return 0;
}
