// The descriptor as the loader reads it from the plugin's export: 604 bytes,
// every field at its place with the values the loader expects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hostsim/descriptor.h"
#include "hostsim/offsets.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;

const std::string kAuthor = "Lumora Team";
const std::string kName = "Lumora Search Engine - Obrix Plugin by " + kAuthor;

template <typename T>
T readAt(const std::uint8_t* bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

TEST(PluginDescriptor, ExportedBytesHoldTheLoadersValuesAtTheirOffsets) {
    const auto* record = lumora_test::pluginDescriptorExport();
    ASSERT_NE(record, nullptr);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 0), 1u);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 4), 0x03010000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 8)), kName);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 264)), kAuthor);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 520), 0u);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 524), 0u);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 528), kGameRuntimeVersion);
    for (std::size_t i = 1; i < 16; ++i) EXPECT_EQ(readAt<std::uint32_t>(bytes, 528 + 4 * i), 0u) << "runtime " << i;
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 592), 0u);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 596), 0u);
    EXPECT_EQ(readAt<std::uint32_t>(bytes, 600), 0u);
}

TEST(PluginDescriptor, TextFieldsAreZeroAfterTheirTerminator) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(lumora_test::pluginDescriptorExport());
    ASSERT_NE(bytes, nullptr);
    struct Field {
        std::size_t offset;
        std::size_t textLength;
    };
    for (const Field& field : {Field{8, kName.size()}, Field{264, kAuthor.size()}}) {
        for (std::size_t i = field.textLength; i < 256; ++i)
            ASSERT_EQ(bytes[field.offset + i], 0) << "field at " << field.offset << ", byte " << i;
    }
}

TEST(PluginDescriptor, LoaderAcceptsTheRecord) {
    const auto* record = lumora_test::pluginDescriptorExport();
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(descriptorProblems(*record).empty());
}

}  // namespace
