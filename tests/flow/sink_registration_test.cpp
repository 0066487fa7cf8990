// What the game receives when the loader reports that its data has loaded:
// one polling thread, then the four sinks in the game's order.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "flow/event_sinks.h"
#include "flow_test_support.h"
#include "host/bindings.h"
#include "hostsim/boot.h"
#include "hostsim/events.h"
#include "hostsim/loader.h"
#include "hostsim/transcript.h"

using namespace lumora;

namespace {

using hostsim::EventSourceKind;

constexpr std::uint32_t kDataLoaded = 2;

struct ExpectedRegistration {
    EventSourceKind kind;
    const void* sink;
    const char* line;
};

const std::vector<ExpectedRegistration>& gameOrder() {
    static const std::vector<ExpectedRegistration> order{
        {EventSourceKind::EndEditText, &Events::g_endEditTextSink, "sink registered TextInputMenu_EndEditText"},
        {EventSourceKind::StartEditText, &Events::g_startEditTextSink, "sink registered TextInputMenu_StartEditText"},
        {EventSourceKind::InputCanceled, &Events::g_inputCanceledSink, "sink registered TextInputMenu_InputCanceled"},
        {EventSourceKind::MenuOpenClose, &Events::g_menuOpenCloseSink, "sink registered MenuOpenCloseEvent"},
    };
    return order;
}

std::vector<std::string> registrationLines() {
    std::vector<std::string> lines;
    for (const auto& line : hostsim::transcript())
        if (line.rfind("sink registered ", 0) == 0) lines.push_back(line);
    return lines;
}

class SinkRegistration : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        hostsim::clearTranscript();
    }
    flow_test::ScopedGameFolder folder_;
};

TEST_F(SinkRegistration, DataLoadedMessageRegistersFourSinksInTheGamesOrderAfterOneThread) {
    hostsim::sendLoaderMessage(kDataLoaded);

    const auto registrations = hostsim::sinkRegistrations();
    ASSERT_EQ(registrations.size(), gameOrder().size());
    std::vector<std::string> expectedLines;
    for (std::size_t i = 0; i < registrations.size(); ++i) {
        EXPECT_EQ(registrations[i].kind, gameOrder()[i].kind) << "registration " << i;
        EXPECT_EQ(registrations[i].sink, gameOrder()[i].sink) << "registration " << i;
        expectedLines.push_back(gameOrder()[i].line);
    }
    EXPECT_EQ(registrationLines(), expectedLines);

    const auto threads = win32layer::createdThreads();
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads[0].requestedStackSize, 8192u);
}

TEST_F(SinkRegistration, RepeatedDataLoadedMessageRegistersNothingAndStartsNoThread) {
    hostsim::sendLoaderMessage(kDataLoaded);
    hostsim::sendLoaderMessage(kDataLoaded);
    hostsim::sendLoaderMessage(kDataLoaded);
    EXPECT_EQ(hostsim::sinkRegistrations().size(), 4u);
    EXPECT_EQ(registrationLines().size(), 4u);
    EXPECT_EQ(win32layer::createdThreads().size(), 1u);
}

TEST_F(SinkRegistration, OtherMessageTypesRegisterNothingAndStartNoThread) {
    for (std::uint32_t type : {0u, 1u, 3u, 4u}) hostsim::sendLoaderMessage(type);
    EXPECT_TRUE(hostsim::sinkRegistrations().empty());
    EXPECT_TRUE(win32layer::createdThreads().empty());
    // The data-loaded message still works after them.
    hostsim::sendLoaderMessage(kDataLoaded);
    EXPECT_EQ(hostsim::sinkRegistrations().size(), 4u);
}

TEST_F(SinkRegistration, MissingUiObjectSkipsOnlyTheMenuSinkWithADiagnosticLine) {
    hostsim::setUiObjectPresent(false);
    testing::internal::CaptureStdout();
    hostsim::sendLoaderMessage(kDataLoaded);
    const std::string out = testing::internal::GetCapturedStdout();
    hostsim::setUiObjectPresent(true);

    const auto registrations = hostsim::sinkRegistrations();
    ASSERT_EQ(registrations.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(registrations[i].sink, gameOrder()[i].sink);
    EXPECT_TRUE(hostsim::registeredSinks(EventSourceKind::MenuOpenClose).empty());
    // Exactly one line, naming what was skipped.
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
    EXPECT_NE(out.find("menu"), std::string::npos) << out;
    EXPECT_EQ(win32layer::createdThreads().size(), 1u);
}

// ---- The registration function's address is taken once -------------------

std::atomic<int> registrationsThroughMovedImage{0};
SIM_ABI void registerThroughMovedImage(void*, void*) { registrationsThroughMovedImage.fetch_add(1); }

// "FF 25 00000000 <abs64>": jmp qword ptr [rip+0] to the target.
void writeJump(std::uint8_t* at, const void* target) {
    const std::uint8_t jump[6] = {0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
    std::memcpy(at, jump, sizeof jump);
    const auto address = reinterpret_cast<std::uint64_t>(target);
    std::memcpy(at + sizeof jump, &address, sizeof address);
}

TEST_F(SinkRegistration, SecondRegistrationCallsTheAddressResolvedAtTheFirst) {
    registerEventSinks();
    ASSERT_EQ(hostsim::sinkRegistrations().size(), 4u);

    // A second copy of the game's entry points at another base: the event
    // source getters and the UI object are read there afresh, but the
    // registration must still go to the address taken the first time.
    void* moved = mmap(nullptr, hostsim::kImageSize, PROT_READ | PROT_WRITE | PROT_EXEC,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(moved, MAP_FAILED);
    auto* base = static_cast<std::uint8_t*>(moved);
    writeJump(base + hostsim::offsets::HostEventSource_RegisterSink,
              reinterpret_cast<const void*>(&registerThroughMovedImage));
    writeJump(base + hostsim::offsets::HostEventSource_TextInputMenuEndEditText,
              reinterpret_cast<const void*>(&hostsim::textInputMenuEndEditTextSource));
    writeJump(base + hostsim::offsets::HostEventSource_TextInputMenuStartEditText,
              reinterpret_cast<const void*>(&hostsim::textInputMenuStartEditTextSource));
    writeJump(base + hostsim::offsets::HostEventSource_TextInputMenuInputCanceled,
              reinterpret_cast<const void*>(&hostsim::textInputMenuInputCanceledSource));
    *reinterpret_cast<hostsim::UiObject**>(base + hostsim::offsets::HostUi_Singleton) = hostsim::uiObject();

    const std::uintptr_t original = HostImageBase;
    HostImageBase = reinterpret_cast<std::uintptr_t>(base);
    registerEventSinks();
    HostImageBase = original;
    munmap(moved, hostsim::kImageSize);

    EXPECT_EQ(registrationsThroughMovedImage.load(), 0);
    EXPECT_EQ(hostsim::sinkRegistrations().size(), 8u);
}

}  // namespace
