#include <gtest/gtest.h>

#include <optional>

#include "config/hotkey_conversion.h"

using namespace lumora;

namespace {

struct HotkeyCase {
    const char* text;
    std::optional<std::uint32_t> expected;
};

class HotkeyTextGivesValue : public ::testing::TestWithParam<HotkeyCase> {};

TEST_P(HotkeyTextGivesValue, AsTheCLibraryReadsBase16) {
    const HotkeyCase& c = GetParam();
    EXPECT_EQ(parseHotkeyText(c.text), c.expected) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Accepted, HotkeyTextGivesValue,
                         ::testing::Values(HotkeyCase{"0x51", 0x51}, HotkeyCase{"0X51", 0x51}, HotkeyCase{"51", 0x51},
                                           HotkeyCase{"81", 0x81}, HotkeyCase{"1B", 0x1B}, HotkeyCase{"1b", 0x1B},
                                           HotkeyCase{"0x70 ; F1", 0x70}, HotkeyCase{" \t\n1B", 0x1B},
                                           HotkeyCase{"+70", 0x70}, HotkeyCase{"70zz", 0x70}, HotkeyCase{"0x", 0},
                                           HotkeyCase{"0", 0}, HotkeyCase{"FFFFFFFF", 0xFFFFFFFFu},
                                           HotkeyCase{"00000000000070", 0x70}, HotkeyCase{"-1", 0xFFFFFFFFu},
                                           HotkeyCase{"-0x51", 0xFFFFFFAFu}, HotkeyCase{"-FFFFFFFF", 1u}));

INSTANTIATE_TEST_SUITE_P(Rejected, HotkeyTextGivesValue,
                         ::testing::Values(HotkeyCase{"Q", std::nullopt}, HotkeyCase{"", std::nullopt},
                                           HotkeyCase{"   ", std::nullopt}, HotkeyCase{"-", std::nullopt},
                                           HotkeyCase{"x51", std::nullopt}, HotkeyCase{"; 0x51", std::nullopt},
                                           HotkeyCase{"123456789", std::nullopt}, HotkeyCase{"100000000", std::nullopt},
                                           HotkeyCase{"-100000000", std::nullopt},
                                           HotkeyCase{"FFFFFFFFFFFFFFFFFFFFFFFF", std::nullopt}));

}  // namespace
