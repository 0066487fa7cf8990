// A digit that focuses a body puts it at the top of the recent destinations,
// and the polling thread writes the list to its file once the pass has let go
// of the shared state; a file that cannot be written changes nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <random>

#include "config/recent_destinations_file.h"
#include "flow/recent_destinations_store.h"
#include "hostsim/galaxy.h"
#include "poll_fixture.h"

namespace {

using namespace flow_test;

constexpr const char* kGalaxy =
    "form 0xE0001 type=body name=\"Thessa\"\n"
    "form 0xE0002 type=body name=\"Marrow\"\n";

std::vector<std::uint32_t> idsOf(const std::vector<RecentDestination>& list) {
    std::vector<std::uint32_t> ids;
    for (const RecentDestination& d : list) ids.push_back(d.formId);
    return ids;
}

class RecentChoice : public PollPassTest {
protected:
    void SetUp() override {
        PollPassTest::SetUp();
        m_previous = std::filesystem::current_path();
        std::random_device seed;
        do m_dir = std::filesystem::temp_directory_path() / ("lumora_recent_" + std::to_string(seed()));
        while (!std::filesystem::create_directory(m_dir));
        std::filesystem::current_path(m_dir);
        std::filesystem::create_directories(m_dir / "Data" / "Obrix" / "Plugins");
        m_settings = Settings;
        Settings.recentDestinations = true;
        PluginState.recentDestinations = {};
        hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy));
        hostsim::openMenu("MessageBoxMenu");
    }
    void TearDown() override {
        win32layer::restoreFileFunctions();
        hostsim::uninstallGalaxy();
        Settings = m_settings;
        PluginState.recentDestinations = {};
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
        PollPassTest::TearDown();
    }
    void showBox() {
        PluginState.resultKeys.clear();
        PluginState.resultKeys.append(0, 0xE0001, "Thessa | Corvane System", "Thessa");
        PluginState.resultKeys.append(1, 0xE0002, "Marrow | Corvane System", "Marrow");
        PluginState.resultsBoxOpen = true;
    }
    void choose(int digit) {
        showBox();
        clock_.advance(kSecond);
        pollHolding({'0' + digit});
    }
    std::filesystem::path file() const { return m_dir / "Data" / "Obrix" / "Plugins" / "LumoraSearchEngineRecent.txt"; }
    std::optional<std::string> fileBytes() const {
        std::ifstream in(file(), std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_dir;
    SettingsRecord m_settings;
};

TEST_F(RecentChoice, EachChoiceGoesToTheTopAndTheFileFollowsAfterThePass) {
    choose(1);
    ASSERT_EQ(hostsim::focusRequests().size(), 1u);
    EXPECT_EQ(fileBytes(), "LumoraSearchEngine recent destinations 1\r\n000E0002\tMarrow\tMarrow | Corvane System\r\n");
    choose(0);
    choose(1);
    EXPECT_EQ(idsOf(PluginState.recentDestinations.bodies), (std::vector<std::uint32_t>{0xE0002, 0xE0001}));
    EXPECT_FALSE(PluginState.recentDestinations.unsaved);
    ASSERT_TRUE(fileBytes());
    EXPECT_EQ(idsOf(parseRecentDestinations(*fileBytes())), (std::vector<std::uint32_t>{0xE0002, 0xE0001}));
}

TEST_F(RecentChoice, NothingIsRememberedOrWrittenWithTheKeyOffOrWithoutAFocus) {
    Settings.recentDestinations = false;
    choose(0);
    EXPECT_EQ(hostsim::focusRequests().size(), 1u);
    EXPECT_TRUE(PluginState.recentDestinations.bodies.empty());
    EXPECT_FALSE(std::filesystem::exists(file()));
    // A key of an earlier kind of line (no text, no name) is not remembered.
    Settings.recentDestinations = true;
    PluginState.resultKeys.clear();
    PluginState.resultKeys.append(0, 0xE0001);
    PluginState.resultsBoxOpen = true;
    clock_.advance(kSecond);
    pollHolding({'0'});
    EXPECT_EQ(hostsim::focusRequests().size(), 2u);
    EXPECT_TRUE(PluginState.recentDestinations.bodies.empty());
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(RecentChoice, AFileThatCannotBeWrittenKeepsTheListForTheSessionAndShowsNothing) {
    choose(0);
    const auto before = fileBytes();
    ASSERT_TRUE(before);
    win32layer::failFileFunction(win32layer::FileFunction::CreateFileA, ERROR_ACCESS_DENIED);
    choose(1);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(idsOf(PluginState.recentDestinations.bodies), (std::vector<std::uint32_t>{0xE0002, 0xE0001}));
    EXPECT_TRUE(win32layer::shownMessageBoxes().empty());
    EXPECT_EQ(hostsim::focusRequests().size(), 2u);
    // Not tried again on every pass: the next change writes the whole list.
    const auto creates = win32layer::fileFunctionCalls(win32layer::FileFunction::CreateFileA);
    PollOnce();
    EXPECT_EQ(win32layer::fileFunctionCalls(win32layer::FileFunction::CreateFileA), creates);
    win32layer::restoreFileFunctions();
    choose(0);
    EXPECT_EQ(idsOf(parseRecentDestinations(*fileBytes())), (std::vector<std::uint32_t>{0xE0001, 0xE0002}));
}

// The game's thread holds the state while the list changes; the file is
// written only by a pass that finds the state free, and never while it is
// held.
TEST_F(RecentChoice, TheFileIsWrittenOnlyWhenThePassGetsTheStateAndWithoutHoldingIt) {
    std::unique_lock held(PluginState.mutex);
    rememberDestination(PluginState.recentDestinations, {0xE0001, "Thessa", "Thessa | Corvane System"});
    auto blockedPass = std::async(std::launch::async, [] { return saveChangedRecentDestinations(); });
    EXPECT_FALSE(blockedPass.get());
    EXPECT_FALSE(std::filesystem::exists(file()));
    held.unlock();
    EXPECT_TRUE(saveChangedRecentDestinations());
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_FALSE(saveChangedRecentDestinations());  // nothing changed since
}

TEST_F(RecentChoice, StartUpTakesTheStoredListOnlyWithTheKeyOn) {
    std::ofstream(file(), std::ios::binary) << "LumoraSearchEngine recent destinations 1\r\nE0002\tMarrow\tMarrow\r\n";
    Settings.recentDestinations = false;
    loadRecentDestinations();
    EXPECT_TRUE(PluginState.recentDestinations.bodies.empty());
    Settings.recentDestinations = true;
    loadRecentDestinations();
    EXPECT_EQ(idsOf(PluginState.recentDestinations.bodies), std::vector<std::uint32_t>{0xE0002});
    EXPECT_FALSE(PluginState.recentDestinations.unsaved);
}

// A list the plugin could not read whole is the player's: ten choices later
// its bytes are exactly as they were, while the list works in memory. Only a
// file read whole under the format line (or none) is replaced.
struct FoundList {
    const char* name;
    std::string bytes;
    bool holdWithoutSharing;  // another program holds it, sharing nothing, while the plugin starts
    bool readOnly;
    bool replaced;
};

TEST_F(RecentChoice, AListNotReadWholeIsLeftExactlyAsItWasAfterTenChoices) {
    const std::string header = "LumoraSearchEngine recent destinations 1\r\n";
    const std::string ours = header + "000E0002\tMarrow\tMarrow | Corvane System\r\n";
    const FoundList cases[] = {
        {"held open by another program", ours, true, false, false},
        {"a newer version's list", "LumoraSearchEngine recent destinations 2\r\nE0002\tMarrow\tMarrow\r\n", false,
         false, false},
        {"larger than 16 KiB", ours + std::string(kMostRecentFileBytes, '\n'), false, false, false},
        {"read-only", ours, false, true, false},
        {"read whole under the format line", ours, false, false, true},
    };
    for (const FoundList& found : cases) {
        SCOPED_TRACE(found.name);
        PluginState.recentDestinations = {};
        std::filesystem::permissions(file().parent_path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        if (std::filesystem::exists(file()))
            std::filesystem::permissions(file(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        std::ofstream(file(), std::ios::binary | std::ios::trunc) << found.bytes;
        if (found.readOnly)
            std::filesystem::permissions(file(),
                                         std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                             std::filesystem::perms::others_write,
                                         std::filesystem::perm_options::remove);
        const HANDLE holder = found.holdWithoutSharing
                                  ? CreateFileA(".\\Data\\Obrix\\Plugins\\LumoraSearchEngineRecent.txt", GENERIC_READ,
                                                0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                  : INVALID_HANDLE_VALUE;
        ASSERT_EQ(holder != INVALID_HANDLE_VALUE, found.holdWithoutSharing);

        loadRecentDestinations();
        // The other program (a sync client, an editor) lets go of it again.
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        for (int choice = 0; choice < 10; ++choice) choose(choice % 2);

        // The choices are kept for the session either way.
        EXPECT_EQ(idsOf(PluginState.recentDestinations.bodies), (std::vector<std::uint32_t>{0xE0002, 0xE0001}));
        if (found.replaced)
            EXPECT_EQ(idsOf(parseRecentDestinations(*fileBytes())), (std::vector<std::uint32_t>{0xE0002, 0xE0001}));
        else EXPECT_EQ(fileBytes(), found.bytes);
        EXPECT_FALSE(std::filesystem::exists(file().parent_path() / "LumoraSearchEngineRecent.tmp"));
    }
}

}  // namespace
