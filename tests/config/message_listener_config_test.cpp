#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings.h"
#include "hostsim/boot.h"
#include "plugin/loader_interface.h"
#include "temp_working_directory.h"

using namespace lumora;

namespace {

class ListenerReadsConfiguration : public TempWorkingDirectory {
protected:
    // The data-loaded message also starts the polling thread and registers
    // the sinks, which need the game to be there.
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        hostsim::bootGame();
    }
    static void send(std::uint32_t type) {
        LoaderMessage message{};
        message.type = type;
        PluginMessageListener(&message);
    }
    std::filesystem::path settingsFile() const { return pluginFolder() / "LumoraSearchEngine.ini"; }
};

TEST_F(ListenerReadsConfiguration, DataLoadedMessageReadsSettingsOnce) {
    createPluginFolder();
    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey=0x70\r\nbSkipNonStarMapVisibleMapMarkers=0\r\n");
    send(kDataLoadedMessage);
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x70u);
    EXPECT_FALSE(Settings.skipNonStarMapVisibleMapMarkers);
    EXPECT_TRUE(std::filesystem::exists(pluginFolder() / "LumoraSearchEngineLang.ini"));

    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey=0x71\r\n");
    send(kDataLoadedMessage);  // a repeat is ignored
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x70u);
    EXPECT_EQ(readBytes(settingsFile()), "[General]\r\niTextInputMenuHotkey=0x71\r\n");
}

TEST_F(ListenerReadsConfiguration, OtherMessagesAndNullReadNothing) {
    createPluginFolder();
    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey=0x70\r\n");
    PluginMessageListener(nullptr);
    for (std::uint32_t type : {0u, 1u, 3u, 8u}) send(type);
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_FALSE(std::filesystem::exists(pluginFolder() / "LumoraSearchEngineLang.ini"));
}

}  // namespace
