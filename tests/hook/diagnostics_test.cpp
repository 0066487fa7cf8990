// The trampoline module's diagnostic lines, byte for byte, at the edges of
// their arguments and of the line buffer.
#include <gtest/gtest.h>

#include <string>

#include "base/diagnostics.h"

using namespace lumora;

namespace {

std::string captured(void (*write)()) {
    testing::internal::CaptureStdout();
    write();
    return testing::internal::GetCapturedStdout();
}

TEST(DiagnosticLines, FormatsAtTheEdgesOfTheirArguments) {
    struct Case {
        void (*write)();
        const char* expected;
    };
    const Case cases[] = {
        {[] { writeDiagnostic("VirtualQuery failed: %08X", 0u); }, "VirtualQuery failed: 00000000\n"},
        {[] { writeDiagnostic("VirtualQuery failed: %08X", 0xFFFFFFFFu); }, "VirtualQuery failed: FFFFFFFF\n"},
        {[] { writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)", 0ull, 256ull, 8u); },
         "trampoline alloc 0000000000000000x0000000000000100 failed (00000008)\n"},
        {[] {
             writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)", 0xFFFFFFFFFFFFFFFFull,
                             256ull, 0x1E7u);
         },
         "trampoline alloc FFFFFFFFFFFFFFFFx0000000000000100 failed (000001E7)\n"},
        {[] {
             writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)", 0x00007FF6ABCDEF00ull,
                             256ull, 0x57u);
         },
         "trampoline alloc 00007FF6ABCDEF00x0000000000000100 failed (00000057)\n"},
        {[] { writeDiagnostic("couldn't allocate trampoline, no free space before image"); },
         "couldn't allocate trampoline, no free space before image\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(captured(c.write), c.expected);
}

TEST(DiagnosticLines, LineLongerThanTheBufferIsCutAndStillEndsTheLine) {
    static const std::string longText(10000, 'x');
    const std::string out = captured([] { writeDiagnostic("%s", longText.c_str()); });
    // 8192 bytes hold the text, the newline and the terminating zero.
    ASSERT_EQ(out.size(), 8191u);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find_first_not_of('x'), 8190u);
}

TEST(DiagnosticLines, LineThatJustFitsIsWhole) {
    static const std::string text(8190, 'y');
    const std::string out = captured([] { writeDiagnostic("%s", text.c_str()); });
    EXPECT_EQ(out, text + "\n");
}

TEST(DiagnosticLines, ConsecutiveLinesStayApart) {
    const std::string out = captured([] {
        writeDiagnostic("VirtualQuery failed: %08X", 5u);
        writeDiagnostic("couldn't allocate trampoline, no free space before image");
    });
    EXPECT_EQ(out, "VirtualQuery failed: 00000005\ncouldn't allocate trampoline, no free space before image\n");
}

}  // namespace
