// The loader's side: it reads the descriptor before anything else, calls the
// load entry only for a record it accepts, and delivers its messages to the
// listeners registered for "Obrix".
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "hostsim/loader.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

PluginDescriptorRecord acceptableRecord() {
    PluginDescriptorRecord record{};
    record.formatVersion = 1;
    record.pluginVersion = 0x03010000;
    std::strcpy(record.name, "Test Plugin");
    std::strcpy(record.author, "Test Team");
    record.compatibleRuntimes[0] = kGameRuntimeVersion;
    return record;
}

int loadCalls = 0;
std::vector<std::uint32_t> messagesSeen;
const char* listenerSender = "Obrix";
bool queryResultWasNull = false;

SIM_ABI void recordingListener(LoaderMessageRecord* message) { messagesSeen.push_back(message->type); }

SIM_ABI bool fakePluginLoad(const LoaderInterfaceRecord* loader) {
    ++loadCalls;
    const std::uint32_t handle = loader->getPluginHandle();
    auto* messaging = static_cast<LoaderMessagingRecord*>(loader->queryInterface(kMessagingInterfaceId));
    queryResultWasNull = messaging == nullptr;
    if (messaging == nullptr) return false;
    messaging->registerListener(handle, listenerSender, &recordingListener);
    return true;
}

class Loader : public SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        loadCalls = 0;
        messagesSeen.clear();
        listenerSender = "Obrix";
    }
};

TEST_F(Loader, AcceptedPluginRegistersAndReceivesEveryMessageInOrder) {
    const auto record = acceptableRecord();
    const auto outcome = loadPlugin(&record, &fakePluginLoad);
    EXPECT_TRUE(outcome.descriptorAccepted);
    EXPECT_TRUE(outcome.loadReturned);
    ASSERT_EQ(listenerRegistrations().size(), 1u);
    EXPECT_EQ(listenerRegistrations()[0].pluginHandle, kSimulatedPluginHandle);
    EXPECT_EQ(listenerRegistrations()[0].sender, "Obrix");
    for (std::uint32_t type : {0u, 1u, 2u, 3u}) EXPECT_EQ(sendLoaderMessage(type), 1u);
    EXPECT_EQ(messagesSeen, (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(transcript().back(), "loader: message 3 delivered to 1 listener");
}

TEST_F(Loader, ListenerForAnotherSenderGetsNoLoaderMessages) {
    listenerSender = "SomeOtherPlugin";
    const auto record = acceptableRecord();
    loadPlugin(&record, &fakePluginLoad);
    EXPECT_EQ(sendLoaderMessage(2), 0u);
    EXPECT_TRUE(messagesSeen.empty());
}

TEST_F(Loader, WithoutAMessagingInterfaceTheQueryAnswersNull) {
    setMessagingInterfaceAvailable(false);
    const auto record = acceptableRecord();
    const auto outcome = loadPlugin(&record, &fakePluginLoad);
    EXPECT_TRUE(queryResultWasNull);
    EXPECT_FALSE(outcome.loadReturned);
    EXPECT_EQ(transcript().back(), "loader: ObrixPlugin_Load returned false");
}

TEST_F(Loader, RecordsTheLoaderCannotAcceptAreRefusedBeforeTheLoadEntry) {
    struct Case {
        const char* name;
        void (*spoil)(PluginDescriptorRecord&);
    };
    const Case cases[] = {
        {"format 2", [](PluginDescriptorRecord& r) { r.formatVersion = 2; }},
        {"other runtime", [](PluginDescriptorRecord& r) { r.compatibleRuntimes[0] = 0x010E0490; }},
        {"runtime after the end",
         [](PluginDescriptorRecord& r) {
             r.compatibleRuntimes[0] = 0;
             r.compatibleRuntimes[1] = kGameRuntimeVersion;
         }},
        {"unterminated name", [](PluginDescriptorRecord& r) { std::memset(r.name, 'x', sizeof r.name); }},
        {"bytes after the author", [](PluginDescriptorRecord& r) { r.author[255] = 'x'; }},
        {"newer loader", [](PluginDescriptorRecord& r) { r.minimumLoaderVersion = kLoaderVersion + 1; }},
        {"reserved", [](PluginDescriptorRecord& r) { r.reserved[1] = 1; }},
    };
    for (const Case& c : cases) {
        auto record = acceptableRecord();
        c.spoil(record);
        EXPECT_FALSE(descriptorProblems(record).empty()) << c.name;
        const auto outcome = loadPlugin(&record, &fakePluginLoad);
        EXPECT_FALSE(outcome.descriptorAccepted) << c.name;
        EXPECT_FALSE(outcome.loadCalled) << c.name;
    }
    EXPECT_EQ(loadCalls, 0);
    EXPECT_TRUE(descriptorProblems(acceptableRecord()).empty());
}

TEST_F(Loader, RuntimeIndependentRecordNeedsNoRuntimeList) {
    auto record = acceptableRecord();
    record.compatibleRuntimes[0] = 0;
    record.addressIndependence = 1;
    EXPECT_TRUE(descriptorProblems(record).empty());
}

TEST(PackedVersion, FieldsAreEightEightTwelveAndFourBits) {
    EXPECT_EQ(formatPackedVersion(0x03010000), "3.1.0.0");
    EXPECT_EQ(formatPackedVersion(0x010E04A0), "1.14.74.0");
    EXPECT_EQ(formatPackedVersion(0xFFFFFFFF), "255.255.4095.15");
}

}  // namespace
