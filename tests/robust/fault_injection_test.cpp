// The game's answers that the search and the flow read, made wrong one at a
// time and in mixes: null forms and names, empty names, null pointer globals,
// odd map slots, parent-link cycles, huge names and match counts, failing
// memory functions. Each case plays a whole session in a child process; the
// game must stay alive, see no misuse, keep its memory as it was outside the
// title text, and get every string and lock back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "hook/branch_trampoline.h"
#include "hook/search_hooks.h"
#include "hostsim/answer_faults.h"
#include "hostsim/boot.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "plugin/loader_interface.h"
#include "robust/child_process.h"
#include "robust/plugin_invariants.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

using namespace hostsim;

constexpr std::int64_t kNowNs = 70'000'000'000;
std::int64_t frozenClock() { return kNowNs; }

// Every address the plugin made writable; only the game's title text, the
// compare instruction and the two call sites may be among them.
std::vector<std::uintptr_t> g_madeWritable;
std::size_t g_threadsBefore = 0;

void recordProtectionChanges() {
    win32layer::setVirtualProtectOverride([](LPVOID address, SIZE_T size, DWORD protect, PDWORD old) {
        if (protect == PAGE_EXECUTE_READWRITE) g_madeWritable.push_back(reinterpret_cast<std::uintptr_t>(address));
        return win32layer::realVirtualProtect(address, size, protect, old);
    });
}

std::string writesOutsideTheirPlaces() {
    const std::uintptr_t allowed[] = {offsets::HostUi_MessageBoxTitleText, offsets::HostPatch_TextInputCompare,
                                      offsets::HostCallSite_PromptHook, offsets::HostCallSite_TextCaptureHook};
    std::string wrong;
    for (std::uintptr_t address : g_madeWritable) {
        bool known = false;
        for (std::uintptr_t offset : allowed) known = known || address == reinterpret_cast<std::uintptr_t>(at(offset));
        if (!known) wrong += "made writable: " + std::to_string(address) + "\n";
    }
    return wrong;
}

void capture(const char* text) {
    {
        std::lock_guard lock(PluginState.mutex);
        PluginState.textEditEndedAtNs = kNowNs;
    }
    EngineString made = nullptr;
    textCaptureHook(&made, text, 0);
    if (made != nullptr) HostStartup.engineStringRelease(&made);
}

// A whole session as the game plays it, entry by entry.
void playSession(const std::string& searchText) {
    LoaderMessage dataLoaded{{}, kDataLoadedMessage};
    PluginMessageListener(&dataLoaded);
    const lumora::MenuOpenCloseEvent starMapOpened{internEngineString("GalaxyStarMapMenu"), true};
    Events::g_menuOpenCloseSink.OnEvent(&starMapOpened, nullptr);
    {
        std::lock_guard lock(PluginState.mutex);
        PluginState.promptRequested = true;
    }
    promptHook(1, 2, 3, 4);
    Events::g_startEditTextSink.OnEvent(nullptr, nullptr);
    Events::g_endEditTextSink.OnEvent(nullptr, nullptr);
    capture(searchText.c_str());
    capture("a");
    openMenu("MessageBoxMenu");  // the registered sinks hear of it as in the game
    {
        std::lock_guard lock(PluginState.mutex);
        PluginState.resultsBoxOpen = !PluginState.resultKeys.empty();
    }
    win32layer::pressKey('0');
    runPollingPass();
    win32layer::releaseKey('0');
    processUiQueue();
    closeMenu("MessageBoxMenu");
    Events::g_inputCanceledSink.OnEvent(nullptr, nullptr);
}

struct FaultCase {
    std::string name;
    std::string galaxyLines;       // appended to the sample galaxy
    std::function<void()> inject;  // after the plugin is loaded, before the session
    std::string searchText = "Harrow";
    std::function<std::string()> expect = [] { return std::string(); };  // problems with the outcome
};

void nullGlobal(std::uintptr_t offset) { *dataAt<void*>(offset) = nullptr; }

// A box of the session reads `wanted` (or, with `part`, contains it).
std::string boxReads(const std::string& wanted, bool part = false) {
    const auto boxes = gameMessageBoxes();
    for (const auto& box : boxes)
        if (part ? box.text.find(wanted) != std::string::npos : box.text == wanted) return "";
    return "no box reading \"" + wanted + "\"\n";
}

std::vector<FaultCase> faultCases() {
    std::vector<FaultCase> cases;
    cases.push_back({"no fault: the session reaches its end", "", [] {}, "Harrow",
                     [] {
                         return focusRequests().size() == 1 && openedPrompts().size() == 1
                                    ? boxReads("Found 2 matches.", true)
                                    : std::string("no focus request or no prompt\n");
                     }});
    const std::pair<FormQuery, const char*> queries[] = {
        {FormQuery::LookupById, "HostForms_LookupById"},
        {FormQuery::GetFullName, "HostForm_GetFullName"},
        {FormQuery::GetParentForm, "HostForm_GetParentForm"},
        {FormQuery::GetNamedForm, "HostLocation_GetNamedForm"},
        {FormQuery::GetLinkedForm, "HostLocation_GetLinkedForm"},
        {FormQuery::GetAltForm, "HostLocation_GetAltForm"},
        {FormQuery::IsFiltered, "HostLocation_IsFiltered"},
        {FormQuery::MatchesContext, "HostLocation_MatchesContext"},
        {FormQuery::MatchesForm, "HostLocation_MatchesForm"},
        {FormQuery::FindExtraDataByType, "HostExtraData_FindByType"},
        {FormQuery::DynamicCast, "HostRuntime_DynamicCast"},
    };
    for (const auto& [query, name] : queries) {
        cases.push_back({std::string(name) + " answers null", "",
                         [q = query] { setAnswerFault(q, AnswerFault::Null); }});
        cases.push_back({std::string(name) + " answers null every third call", "",
                         [q = query] { setAnswerFault(q, AnswerFault::Null, 0.33, 11); }});
    }
    cases[1].expect = [] { return boxReads("Iternal error: 6527"); };
    cases.push_back({"HostForm_GetFullName answers empty names", "",
                     [] { setAnswerFault(FormQuery::GetFullName, AnswerFault::EmptyName); }, "Harrow",
                     [] { return boxReads("No matches."); }});
    for (std::uint64_t seed = 1; seed <= 6; ++seed)
        cases.push_back({"every query wrong now and then, seed " + std::to_string(seed), "", [seed] {
                             for (std::size_t q = 0; q < static_cast<std::size_t>(FormQuery::TypeCode); ++q)
                                 setAnswerFault(static_cast<FormQuery>(q),
                                                (seed + q) % 3 == 0 ? AnswerFault::EmptyName : AnswerFault::Null,
                                                0.05 * static_cast<double>(seed), seed * 100 + q);
                         }});
    cases.push_back({"no UI object", "", [] { setUiObjectPresent(false); }});
    cases.push_back({"no UI message queue", "", [] { nullGlobal(offsets::HostUiMessageQueue_Singleton); }});
    cases.push_back({"no player", "", [] { nullGlobal(offsets::HostGlobal_PlayerCharacter); }});
    cases.push_back({"no all-forms map", "", [] { nullGlobal(offsets::HostForms_AllFormsMap); }});
    cases.push_back({"no planet registry", "", [] { nullGlobal(offsets::HostGlobal_NamedEntryRegistry); }});
    cases.push_back({"no location context", "", [] { nullGlobal(offsets::HostGlobal_LocationContext); }, "Harrow",
                     [] { return boxReads("Iternal error: 6528"); }});
    cases.push_back({"map slots with stray keys, null forms and forms of the wrong type",
                     "slot key=0 form=0x11000E\nslot key=0xFFFFFFFF form=0x11000E\nslot key=0x990000 form=none\n"
                     "form 0x990001 type=placed base=0xA3001 named=0xA2001 linked=0xA2001\n"
                     "form 0x990002 type=placed base=0x10 named=0xA3001 linked=0x10 marker=visible\n"
                     "form 0x990003 type=misc name=\"Harrow Crate\"\nplanets 0xA2001 none 0x990001\n",
                     [] {}});
    cases.push_back({"parent-link cycles",
                     "form 0x990010 type=location name=\"Harrow Loop A\" chain=0x990011\n"
                     "form 0x990011 type=location name=\"Harrow Loop B\" chain=0x990010\n"
                     "form 0x990012 type=body name=\"Harrow Loop Moon\" parent=0x990010\n"
                     "form 0x990013 type=placed base=0x10 named=0x990010 linked=0x990012 marker=visible\n"
                     "planets 0x990012\n",
                     [] {}});
    const std::string huge(100'000, 'x');
    cases.push_back({"names and a search text of 100,000 bytes",
                     "form 0x990020 type=location name=\"Harrow" + huge +
                         "\" parent=0xE0003\n"
                         "form 0x990021 type=placed base=0x10 named=0x990020 linked=0xE0003 marker=visible\n",
                     [] {}, "Harrow" + huge});
    std::string moons;
    std::string registry = "planets";
    for (int i = 0; i < 100'000; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "form 0x%X type=body name=\"Tidal Moon %d\" parent=0xE0003\n", 0x1000000 + i,
                      i);
        moons += line;
        std::snprintf(line, sizeof line, " 0x%X", 0x1000000 + i);
        registry += line;
    }
    cases.push_back({"100,000 matches", moons + registry + "\n", [] {}, "tidal moon",
                     [] { return boxReads("Found 100000 matches.", true); }});
    cases.push_back({"VirtualProtect fails", "", [] { win32layer::failVirtualProtect(ERROR_ACCESS_DENIED); }, "Harrow",
                     [] {
                         return gameMessageBoxes().empty() && openedPrompts().empty()
                                    ? std::string()
                                    : std::string("a box or a prompt without its patch\n");
                     }});
    cases.push_back({"CreateThread fails", "", [] { win32layer::failCreateThread(ERROR_NOT_ENOUGH_MEMORY); }, "Harrow",
                     [] {
                         return win32layer::createdThreads().size() == g_threadsBefore &&
                                        sinkRegistrations().size() == 4
                                    ? std::string()
                                    : "start-up did not go on without its thread: " +
                                          std::to_string(win32layer::createdThreads().size()) + " threads, " +
                                          std::to_string(sinkRegistrations().size()) + " sinks\n";
                     }});
    return cases;
}

class FaultInjection : public lumora_test::SimulatedGameTest {};

std::string playCase(const FaultCase& fault, const std::string& galaxyText) {
    installGalaxy(parseGalaxyText(galaxyText, "fault galaxy"));
    setClockSourceForTesting(&frozenClock);
    win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
    openMenu("GalaxyStarMapMenu");
    recordProtectionChanges();
    g_threadsBefore = win32layer::createdThreads().size();
    fault.inject();
    playSession(fault.searchText);
    clearAnswerFaults();
    std::string problems = lumora_test::joinLines(lumora_test::brokenInvariants()) + writesOutsideTheirPlaces();
    for (const auto& violation : violations()) problems += "game saw: " + violation + "\n";
    return problems + fault.expect();
}

TEST_F(FaultInjection, EveryWrongAnswerLeavesTheGameAliveAndWhole) {
    // Loaded once, before the cases are made: the trampoline's search walks
    // the address space, which is slow once the heap has grown (sanitizers).
    ASSERT_TRUE(ObrixPlugin_Load(reinterpret_cast<const LoaderInterface*>(loaderInterface())));
    const std::string sample = [] {
        std::FILE* file = std::fopen((shippedGalaxyDirectory() + "/sample.galaxy").c_str(), "rb");
        std::string text;
        for (int c; file && (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
        if (file) std::fclose(file);
        return text;
    }();
    ASSERT_FALSE(sample.empty());
    const auto cases = faultCases();
    for (const FaultCase& fault : cases) {
        const auto started = std::chrono::steady_clock::now();
        const auto child = lumora_test::runInChild([&] { return playCase(fault, sample + "\n" + fault.galaxyLines); });
        std::printf("%s: %lld ms\n", fault.name.c_str(),
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - started)
                                               .count()));
        EXPECT_TRUE(child.exitedNormally && child.text.empty()) << fault.name << ":\n" << child.text;
    }
    std::printf("%zu injections\n", cases.size());
}

// The trampoline search meets a failing VirtualQuery: the load's error box
// ends the process with code 0, and when the box shows neither call site has
// been touched.
TEST_F(FaultInjection, FailingVirtualQueryEndsTheLoadWithTheSitesUntouched) {
    EXPECT_EXIT(
        {
            std::uint8_t sites[10];
            std::memcpy(sites, at(offsets::HostCallSite_PromptHook), 5);
            std::memcpy(sites + 5, at(offsets::HostCallSite_TextCaptureHook), 5);
            win32layer::setMessageBoxHandler([&sites](const win32layer::MessageBoxRecord& box) {
                const bool untouched = std::memcmp(sites, at(offsets::HostCallSite_PromptHook), 5) == 0 &&
                                       std::memcmp(sites + 5, at(offsets::HostCallSite_TextCaptureHook), 5) == 0;
                std::fprintf(stderr, "box \"%s\", sites %s\n", box.text.c_str(), untouched ? "untouched" : "patched");
                return IDOK;
            });
            win32layer::failVirtualQuery(ERROR_INVALID_PARAMETER);
            ObrixPlugin_Load(reinterpret_cast<const LoaderInterface*>(loaderInterface()));
            std::exit(1);
        },
        testing::ExitedWithCode(0), "box \"cannot create trampoline\", sites untouched");
}

// A VirtualAlloc that fails in the first free region: the search goes on
// below it and both sites are patched whole.
TEST_F(FaultInjection, FailingVirtualAllocInOneRegionMovesTheBlockFurtherDown) {
    int calls = 0;
    win32layer::setVirtualAllocOverride([&calls](LPVOID address, SIZE_T size, DWORD type, DWORD protect) -> LPVOID {
        if (++calls == 1) return nullptr;
        return win32layer::realVirtualAlloc(address, size, type, protect);
    });
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ObrixPlugin_Load(reinterpret_cast<const LoaderInterface*>(loaderInterface())));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("trampoline alloc "), std::string::npos);
    win32layer::setVirtualAllocOverride({});
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(lumora_test::joinLines(lumora_test::brokenInvariants()), "");
    std::int32_t displacement;
    std::memcpy(&displacement, at(offsets::HostCallSite_PromptHook) + 1, 4);
    EXPECT_EQ(at(offsets::HostCallSite_PromptHook) + 5 + displacement, g_branchTrampoline.base());
}

}  // namespace
