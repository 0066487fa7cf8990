#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/message_box.h"

using namespace lumora;

namespace {

std::string shownTitle(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end() - 1); }

TEST(MessageBoxTitle, FitsTheGameTwelveByteTitleText) {
    struct Case {
        std::string title;
        std::string shown;
    };
    const Case cases[] = {
        {"Search results", "Search"},
        {"", " "},
        {"Results", "Results"},
        {"Elevenbytes", "Elevenbytes"},
        {"Twelve bytes", "Twelve"},
        {"NoBlanksAtAllHere", "NoBlanksAtA"},
        {" LeadingBlankOnly", " LeadingBla"},
        {"Hello world xyz", "Hello"},
        {"Caf\xE9 r\xE9sultats", "Caf#"},
        {"\xE9", "#"},
        {std::string(300, 'x'), std::string(11, 'x')},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = fitMessageBoxTitle(c.title);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.back(), 0) << c.title;
        EXPECT_LE(bytes.size(), kHostTitleCapacity) << c.title;
        EXPECT_EQ(shownTitle(bytes), c.shown) << c.title;
    }
}

TEST(MessageBoxTitle, NoTitleByteAtOrAbove0x80Survives) {
    for (int byte = 0x7E; byte <= 0xFF; ++byte) {
        const std::vector<std::uint8_t> bytes = fitMessageBoxTitle(std::string(1, static_cast<char>(byte)));
        ASSERT_EQ(bytes.size(), 2u);
        EXPECT_EQ(bytes[0], byte >= 0x80 ? '#' : byte) << byte;
    }
}

}  // namespace
