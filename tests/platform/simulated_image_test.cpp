#include <gtest/gtest.h>

#include <cstring>

#include "scratch_memory.h"
#include "win32_controls.h"

namespace {

// Taken during static initialisation, before main, as the plugin does.
void* const imageSeenBeforeMain = GetModuleHandleA(nullptr);

class SimulatedImageTest : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::failModuleHandle(false);
        win32layer::overrideModuleHandle(nullptr);
    }
};

TEST_F(SimulatedImageTest, HandleTakenBeforeMainIsTheImage) {
    ASSERT_NE(imageSeenBeforeMain, nullptr);
    EXPECT_EQ(imageSeenBeforeMain, win32layer::simulatedImage());
    EXPECT_EQ(GetModuleHandleA(nullptr), imageSeenBeforeMain);
}

TEST_F(SimulatedImageTest, ImageIs64KiBAlignedAndOfGameSize) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(win32layer::simulatedImage()) % 0x10000, 0u);
    EXPECT_EQ(win32layer::simulatedImageSize(), 0x6B00000u);
}

TEST_F(SimulatedImageTest, CodeWrittenAtBothEndsOfImageRuns) {
    std::uint8_t* image = win32layer::simulatedImage();
    const std::size_t offsets[] = {0, 0x5C0000, win32layer::simulatedImageSize() - 6};
    std::int32_t value = 0x1234;
    for (std::size_t offset : offsets) {
        EXPECT_EQ(scratch::runReturnValueStub(image + offset, value), value) << std::hex << offset;
        ++value;
    }
}

TEST_F(SimulatedImageTest, ImageRegionIsImageTypeAndEndsAtImageEnd) {
    std::uint8_t* image = win32layer::simulatedImage();
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(image) + win32layer::simulatedImageSize();
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_EQ(VirtualQuery(image + 0x5C0123, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.State, MEM_COMMIT);
    EXPECT_EQ(info.Type, MEM_IMAGE);
    EXPECT_EQ(info.AllocationBase, image);
    EXPECT_EQ(info.Protect, PAGE_EXECUTE_READWRITE);
    EXPECT_EQ(info.BaseAddress, image + 0x5C0000);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize, end);
}

TEST_F(SimulatedImageTest, RegionJustBelowImageNeverRunsIntoIt) {
    std::uint8_t* image = win32layer::simulatedImage();
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_EQ(VirtualQuery(image - 1, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.BaseAddress, image - 0x1000);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(info.BaseAddress) + info.RegionSize, image);
    EXPECT_NE(info.Type, MEM_IMAGE);
}

TEST_F(SimulatedImageTest, NamedModuleIsNotFound) {
    const char* names[] = {"Halcyra.exe", "kernel32.dll", ""};
    for (const char* name : names) {
        SetLastError(0);
        EXPECT_EQ(GetModuleHandleA(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
    }
}

TEST_F(SimulatedImageTest, FailingHandleGivesNullUntilRestored) {
    win32layer::failModuleHandle(true);
    EXPECT_EQ(GetModuleHandleA(nullptr), nullptr);
    win32layer::failModuleHandle(false);
    EXPECT_EQ(GetModuleHandleA(nullptr), reinterpret_cast<HMODULE>(win32layer::simulatedImage()));
}

TEST_F(SimulatedImageTest, OverriddenHandleIsAnsweredUntilNullRestoresImage) {
    alignas(16) static std::uint8_t otherImage[64];
    win32layer::overrideModuleHandle(otherImage);
    EXPECT_EQ(GetModuleHandleA(nullptr), reinterpret_cast<HMODULE>(otherImage));
    win32layer::overrideModuleHandle(nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), reinterpret_cast<HMODULE>(win32layer::simulatedImage()));
}

TEST_F(SimulatedImageTest, ImageCannotBeReleasedWithVirtualFree) {
    std::uint8_t* image = win32layer::simulatedImage();
    EXPECT_FALSE(VirtualFree(image, 0, MEM_RELEASE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    image[0x100] = 0x5A;
    EXPECT_EQ(image[0x100], 0x5A);
}

}  // namespace
