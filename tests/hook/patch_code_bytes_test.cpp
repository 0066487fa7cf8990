// Writing a few bytes into protected game memory and restoring the protection.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>
#include <vector>

#include "base/patch_code_bytes.h"
#include "win32_controls.h"
#include "win32_layer.h"

using namespace lumora;

namespace {

// Two read-only, executable pages, as game code looks.
class CodePages : public testing::Test {
protected:
    void SetUp() override {
        m_pages = static_cast<std::uint8_t*>(mmap(nullptr, 0x2000, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS,
                                                  -1, 0));
        ASSERT_NE(m_pages, MAP_FAILED);
    }
    void TearDown() override {
        win32layer::setVirtualProtectOverride({});
        munmap(m_pages, 0x2000);
    }
    DWORD protectionAt(std::uint8_t* address) {
        MEMORY_BASIC_INFORMATION info{};
        EXPECT_NE(VirtualQuery(address, &info, sizeof info), 0u);
        return info.Protect;
    }
    std::uint8_t* m_pages = nullptr;
};

TEST_F(CodePages, BytesWrittenAndProtectionRestored) {
    std::uint8_t* target = m_pages + 0x10;
    ASSERT_TRUE(patchCodeBytes({0x48, 0x39, 0xFF}, target));
    EXPECT_EQ(std::vector<std::uint8_t>(target, target + 3), (std::vector<std::uint8_t>{0x48, 0x39, 0xFF}));
    EXPECT_EQ(protectionAt(target), PAGE_EXECUTE_READ);
}

TEST_F(CodePages, SpanCrossingAPageBoundaryRestoresBothPages) {
    std::uint8_t* target = m_pages + 0x1000 - 100;  // the 200-byte span reaches into the second page
    ASSERT_TRUE(patchCodeBytes({1, 2, 3, 4}, target));
    EXPECT_EQ(protectionAt(target), PAGE_EXECUTE_READ);
    EXPECT_EQ(protectionAt(m_pages + 0x1000), PAGE_EXECUTE_READ);
}

TEST_F(CodePages, NullAddressOrEmptySequenceWritesNothing) {
    EXPECT_FALSE(patchCodeBytes({1}, nullptr));
    EXPECT_FALSE(patchCodeBytes({}, m_pages));
}

TEST_F(CodePages, SequenceLongerThanTheSpanIsRefused) {
    EXPECT_FALSE(patchCodeBytes(std::vector<std::uint8_t>(201, 0xCC), m_pages));
    EXPECT_EQ(m_pages[0], 0);
    EXPECT_TRUE(patchCodeBytes(std::vector<std::uint8_t>(200, 0xCC), m_pages));
    EXPECT_EQ(m_pages[199], 0xCC);
}

TEST_F(CodePages, ProtectionChangeFailureWritesNothing) {
    win32layer::setVirtualProtectOverride([](LPVOID, SIZE_T, DWORD, PDWORD) -> BOOL {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    EXPECT_FALSE(patchCodeBytes({0x90}, m_pages));
    EXPECT_EQ(m_pages[0], 0);
}

TEST_F(CodePages, RestoreFailureIsReportedAfterTheWrite) {
    int calls = 0;
    win32layer::setVirtualProtectOverride([&calls](LPVOID address, SIZE_T size, DWORD protect, PDWORD old) -> BOOL {
        if (++calls == 2) return FALSE;
        mprotect(address, 0x2000, PROT_READ | PROT_WRITE | PROT_EXEC);
        *old = PAGE_EXECUTE_READ;
        return TRUE;
    });
    EXPECT_FALSE(patchCodeBytes({0x90}, m_pages));
    EXPECT_EQ(m_pages[0], 0x90);
}

}  // namespace
