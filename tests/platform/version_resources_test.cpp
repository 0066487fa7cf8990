// GetModuleFileNameA and the version functions of our Windows layer: the
// executable's path cut as Windows cuts it, and a version resource read back
// through its fixed part, or refused where Windows refuses it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32_controls.h"
#include "win32_layer.h"

namespace {

class VersionResources : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::setExecutablePath("");
        win32layer::setFileVersionResource(kPath, {});
    }
    static constexpr const char* kPath = "C:\\Games\\Halcyra\\halcyra_sim.exe";
};

struct PathRow {
    DWORD size;
    DWORD result;
    const char* text;
    DWORD error;
};

TEST_F(VersionResources, ExecutablePathIsCutToTheBufferWithTheFullSizeAnswered) {
    win32layer::setExecutablePath(kPath);
    const DWORD length = static_cast<DWORD>(std::strlen(kPath));
    const PathRow rows[] = {
        {64, length, kPath, 0},
        {length + 1, length, kPath, 0},
        {length, length, "C:\\Games\\Halcyra\\halcyra_sim.ex", ERROR_INSUFFICIENT_BUFFER},
        {4, 4, "C:\\", ERROR_INSUFFICIENT_BUFFER},
    };
    for (const PathRow& row : rows) {
        std::vector<char> buffer(row.size + 8, '#');
        SetLastError(12345);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), row.size), row.result) << row.size;
        EXPECT_STREQ(buffer.data(), row.text) << row.size;
        EXPECT_EQ(GetLastError(), row.error) << row.size;
    }
    char buffer[8];
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1000), buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, sizeof buffer), 8u);
}

TEST_F(VersionResources, FixedPartReadsBackThroughTheRootBlock) {
    win32layer::setFileVersionResource(kPath, win32layer::makeVersionResource(0x1000E, 0x4A0000, 0x30001, 0x2));
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(kPath, &handle);
    ASSERT_EQ(size, 92u);  // header 6, key 32, padding 2, fixed part 52
    EXPECT_EQ(handle, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(kPath, 0, size, data.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(static_cast<char*>(value) - data.data(), 40);
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x1000Eu);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x4A0000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x30001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x2u);
    // Only the fixed part is kept: string tables are not there.
    EXPECT_FALSE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value, &length));
    // A block without a value, or with another key, has no fixed part.
    std::vector<char> emptied = data;
    emptied[2] = emptied[3] = 0;
    EXPECT_FALSE(VerQueryValueA(emptied.data(), "\\", &value, &length));
    std::vector<char> otherKey = data;
    otherKey[6] = 'W';
    EXPECT_FALSE(VerQueryValueA(otherKey.data(), "\\", &value, &length));
}

TEST_F(VersionResources, FileWithoutAResourceAnswersResourceTypeNotFound) {
    DWORD handle = 99;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA("C:\\other.exe", &handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(handle, 0u);
    char data[16];
    EXPECT_FALSE(GetFileVersionInfoA("C:\\other.exe", 0, sizeof data, data));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    // A resource registered and removed again is gone.
    win32layer::setFileVersionResource(kPath, win32layer::makeVersionResource(1, 2, 3, 4));
    win32layer::setFileVersionResource(kPath, {});
    EXPECT_EQ(GetFileVersionInfoSizeA(kPath, &handle), 0u);
}

}  // namespace
