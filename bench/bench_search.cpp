// The whole search over large synthetic galaxies, against the host-call
// floor: the same walk, the same prefetching and the same host queries per
// candidate, without matching, ordering or text. Each search is reported as a
// ratio to the floor measured in the same iterations, with warm and with cold
// caches, and the run ends with a table of the ratios that have targets.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/plugin_log.h"
#include "config/settings.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "host/bindings.h"
#include "hostsim/boot.h"
#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/ui_records.h"
#include "listed_search.h"
#include "search/candidate_collection.h"
#include "search/form_queries.h"
#include "search/host_layout.h"
#include "search/host_lock_guard.h"
#include "search/run_search.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace {

// The search prefetches each form's first two cache lines this many slots
// ahead of the walk; the floor must hide the same memory latency, or the
// ratio credits the search with what the prefetching saves.
constexpr std::uint64_t kPrefetchDistance = 24;

// Gives about every third name one letter of U+00C0-U+017F in place of a
// plain vowel (as UTF-8), so that folding has letters to fold.
void accentNames(hostsim::GalaxyDescription& galaxy) {
    static const char* const kAccented[] = {"\xC3\xA1", "\xC3\xA9", "\xC3\xB6", "\xC3\xAD", "\xC3\xBC",
                                            "\xC3\x89", "\xC4\x81", "\xC4\x9B", "\xC5\x8D", "\xC5\xAF"};
    std::size_t named = 0, accented = 0;
    for (hostsim::FormRecord& form : galaxy.forms) {
        for (std::optional<std::string>* name : {&form.name, &form.displayName}) {
            if (!*name || (*name)->empty()) continue;
            if (named++ % 3 != 0) continue;
            const std::size_t vowel = (*name)->find_first_of("aeiou");
            if (vowel == std::string::npos) continue;
            (*name)->replace(vowel, 1, kAccented[accented++ % std::size(kAccented)]);
        }
    }
}

void useGalaxyOf(std::size_t formCount, bool accented = false) {
    static std::size_t installed = 0;
    static bool installedAccented = false;
    if (installed == formCount && installedAccented == accented) return;
    static const bool booted = [] {
        hostsim::bootGame();
        bindHostImage();
        return true;
    }();
    (void)booted;
    hostsim::SyntheticGalaxyOptions options;
    options.formCount = formCount;
    options.planetCount = 2000;
    options.seed = 77;
    hostsim::GalaxyDescription galaxy = hostsim::generateSyntheticGalaxy(options);
    // The search needs the game's location context.
    hostsim::FormRecord context;
    context.id = 0x7E000001;
    context.typeCode = hostsim::type_code::Location;
    context.name = "Bench Orbit";
    galaxy.forms.push_back(context);
    galaxy.context = context.id;
    if (accented) accentNames(galaxy);
    hostsim::installGalaxy(galaxy);
    installed = formCount;
    installedAccented = accented;
}

// Pushes the galaxy out of every cache level by touching a buffer well
// larger than the last-level cache.
void evictCaches() {
    static std::vector<std::uint64_t> buffer(64u << 20 >> 3);
    for (std::size_t i = 0; i < buffer.size(); i += 8) buffer[i] += i;
    benchmark::ClobberMemory();
}

void prefetchSlotForm(const AllFormsSlot& slot) {
    if (slot.chain == kEmptySlotChain || slot.form == nullptr) return;
    __builtin_prefetch(slot.form);
    __builtin_prefetch(static_cast<const std::uint8_t*>(slot.form) + 0x40);
}

std::size_t nameSize(void* form) { return formDisplayNameView(form).size(); }

void* queryForm(std::uintptr_t offset, void* form) { return hostFunction<FormQueryFn>(offset)(nullptr, 0, form); }

// Every host query the search makes for every candidate that survives to
// the end, in the search's order, but no name is matched.
std::size_t hostCallFloor() {
    SearchForms forms;
    forms.ancestorKeyword = HostStartup.lookupById(kAncestorKeywordFormId);
    forms.context = readHostPointer(HostOffset::HostGlobal_LocationContext);
    forms.firstEligibility = HostStartup.lookupById(kFirstEligibilityFormId);
    forms.secondEligibility = HostStartup.lookupById(kSecondEligibilityFormId);
    HostLockGuard lock(reinterpret_cast<void*>(hostAddress(HostOffset::HostForms_AllFormsLock)));

    std::size_t work = 0;
    const void* map = readHostPointer(HostOffset::HostForms_AllFormsMap);
    const auto* slots = readHostField<const AllFormsSlot*>(map, HostLayout::MapSlots);
    const auto count = readHostField<std::uint64_t>(map, HostLayout::MapSlotCount);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (i + kPrefetchDistance < count) prefetchSlotForm(slots[i + kPrefetchDistance]);
        const AllFormsSlot& slot = slots[i];
        if (slot.chain == kEmptySlotChain || slot.key == 0 || slot.key == 0xFFFFFFFF || slot.form == nullptr) continue;
        void* placed = slot.form;
        if (formTypeCode(placed) != HostLayout::TypePlacedObject) continue;
        void* base = readHostField<void*>(placed, HostLayout::PlacedBase);
        if (base == nullptr || hostFormId(base) == 0 || hostFormId(base) == 0xFFFFFFFF) continue;
        if (isMapMarkerBase(base)) {
            if (readHostField<std::uint32_t>(placed, HostLayout::FormFlags) & HostLayout::FlagHiddenMarker) continue;
            if (hostFunction<IsFilteredFn>(HostOffset::HostLocation_IsFiltered)(nullptr, 0, placed)) continue;
            if (!isStarMapVisibleMarker(placed)) continue;
        } else if (!isKeywordEligible(base, placed, forms.context, forms.firstEligibility, forms.secondEligibility)) {
            continue;
        }
        if ((hostFormId(placed) >> 24) == 0xFF && queryForm(HostOffset::HostLocation_GetAltForm, placed) == nullptr)
            continue;
        void* primary = hostFunction<NamedFormFn>(HostOffset::HostLocation_GetNamedForm)(placed);
        work += nameSize(primary);
        void* target = queryForm(HostOffset::HostLocation_GetLinkedForm, placed);
        work += nameSize(target);
        work += nameSize(readHostField<void*>(placed, HostLayout::PlacedAux));
        work += nameSize(queryForm(HostOffset::HostLocation_GetAltForm, placed));
        void* parent = target != nullptr ? queryForm(HostOffset::HostForm_GetParentForm, target) : nullptr;
        work += nameSize(parent);
        void* ancestor = parent != nullptr ? findAncestorWithKeyword(parent, forms.ancestorKeyword) : nullptr;
        if (ancestor == nullptr) ancestor = findAncestorWithKeyword(primary, forms.ancestorKeyword);
        work += nameSize(ancestor);
    }
    for (void* planet : collectPlanetForms()) {
        work += nameSize(planet);
        void* parent = queryForm(HostOffset::HostForm_GetParentForm, planet);
        work += nameSize(parent);
        work += nameSize(findAncestorWithKeyword(parent, forms.ancestorKeyword));
    }
    return work;
}

// Seconds of processor time this thread spent, stalls on memory included.
// Unlike the wall clock it does not count the time other programs on a busy
// machine hold the processor, so floor and search stay comparable.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Work>
double secondsOf(bool cold, Work work) {
    if (cold) evictCaches();
    const double start = threadSeconds();
    work();
    return threadSeconds() - start;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median ratio of each search to the floor of its own iteration, by
// benchmark name, for the table printed after the run.
std::map<std::string, double>& measuredRatios() {
    static std::map<std::string, double> ratios;
    return ratios;
}

// Args: form count, cold caches (0/1). The timed figure is the search; the
// floor runs in the same iterations, just before it. The ratio is the median
// of the iterations' ratios, so one iteration disturbed by another program
// does not decide it.
void runAgainstFloor(benchmark::State& state, const char* benchmarkName, const char* searchText) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)));
    const bool cold = state.range(1) != 0;
    hostsim::clearUiRecords();
    runSearch(searchText);
    const auto boxes = hostsim::gameMessageBoxes();
    if (boxes.size() != 1 || boxes[0].text.find("Found ") == std::string::npos) {
        state.SkipWithError("the search did not list results");
        return;
    }
    state.counters["matches"] =
        static_cast<double>(std::stoul(boxes[0].text.substr(boxes[0].text.rfind("Found ") + 6)));
    double floorSeconds = 0, searchSeconds = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        hostsim::clearUiRecords();
        const double floor = secondsOf(cold, [] { benchmark::DoNotOptimize(hostCallFloor()); });
        const double search = secondsOf(cold, [&] { runSearch(searchText); });
        floorSeconds += floor;
        searchSeconds += search;
        ratios.push_back(search / floor);
        state.SetIterationTime(search);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floorSeconds / n * 1e3;
    state.counters["search_ms"] = searchSeconds / n * 1e3;
    state.counters["ratio_to_floor"] = median(ratios);
    measuredRatios()[std::string(benchmarkName) + "/forms:" + std::to_string(state.range(0)) +
                     "/cold:" + std::to_string(state.range(1))] = median(ratios);
}

// Times `searchWith(false)` and `searchWith(true)` in the same iterations,
// in alternating order, and records the median of the iterations' on/off
// ratios under the benchmark's name.
template <typename SearchWith>
void measureOnAgainstOff(benchmark::State& state, const char* benchmarkName, SearchWith searchWith) {
    double offSeconds = 0, onSeconds = 0;
    std::vector<double> ratios;
    bool offFirst = true;
    for (auto _ : state) {
        hostsim::clearUiRecords();
        double off = 0, on = 0;
        if (offFirst) {
            off = searchWith(false);
            on = searchWith(true);
        } else {
            on = searchWith(true);
            off = searchWith(false);
        }
        offFirst = !offFirst;
        offSeconds += off;
        onSeconds += on;
        ratios.push_back(on / off);
        state.SetIterationTime(on);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["off_ms"] = offSeconds / n * 1e3;
    state.counters["on_ms"] = onSeconds / n * 1e3;
    state.counters["on_over_off"] = median(ratios);
    measuredRatios()[std::string(benchmarkName) + "/forms:" + std::to_string(state.range(0)) +
                     "/cold:" + std::to_string(state.range(1))] = median(ratios);
}

// The same search with bPageResultsWithHotkey off and on, in the same
// iterations and in alternating order: what keeping the later pages costs.
// As in the game, the search with the key on starts with the pages of the
// one before it to drop, and the search with it off with none. The ratio is
// the median of the iterations' on/off ratios. Args: form count, cold caches.
void runPagingOnAgainstOff(benchmark::State& state, const char* benchmarkName, const char* searchText) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)));
    const bool cold = state.range(1) != 0;
    ResultPagesRecord previousPages;
    auto searchWithPaging = [&](bool on) {
        // Outside the timing: the shared state as the game would hold it.
        if (on) PluginState.resultPages = std::move(previousPages);
        else PluginState.resultPages = {};
        Settings.pageResultsWithHotkey = on;
        const double seconds = secondsOf(cold, [&] { runSearch(searchText); });
        if (on) previousPages = std::move(PluginState.resultPages);
        // What the search dropped, freed as the polling thread would.
        PluginState.droppedResultPages.clear();
        return seconds;
    };
    searchWithPaging(true);
    // Lines kept for later pages (0: the first page held them all).
    state.counters["kept_lines"] =
        static_cast<double>(previousPages.locations.sources.size() + previousPages.planets.sources.size());
    measureOnAgainstOff(state, benchmarkName, searchWithPaging);
    Settings.pageResultsWithHotkey = false;
    PluginState.resultPages = {};
}

// The walk alone: every slot's form asked for its type code, nothing else;
// with and without asking for the forms' memory ahead of time.
std::size_t bareWalk(bool prefetch) {
    const void* map = readHostPointer(HostOffset::HostForms_AllFormsMap);
    const auto* slots = readHostField<const AllFormsSlot*>(map, HostLayout::MapSlots);
    const auto count = readHostField<std::uint64_t>(map, HostLayout::MapSlotCount);
    std::size_t placed = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (prefetch && i + 24 < count && slots[i + 24].chain != kEmptySlotChain)
            __builtin_prefetch(slots[i + 24].form);
        if (slots[i].chain == kEmptySlotChain || slots[i].form == nullptr) continue;
        placed += formTypeCode(slots[i].form) == HostLayout::TypePlacedObject;
    }
    return placed;
}

void BM_BareWalk(benchmark::State& state) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)));
    const bool cold = state.range(1) != 0, prefetch = state.range(2) != 0;
    for (auto _ : state) state.SetIterationTime(secondsOf(cold, [&] { benchmark::DoNotOptimize(bareWalk(prefetch)); }));
}

void BM_SelectiveSearch(benchmark::State& state) { runAgainstFloor(state, "BM_SelectiveSearch", "Nyxdri"); }
void BM_OneLetterSearch(benchmark::State& state) { runAgainstFloor(state, "BM_OneLetterSearch", "a"); }

// The same search with an addition's key off and on, in the same iterations
// and in alternating order. The ratio is the median of the iterations' on/off
// ratios. `boxStart` is how the box with the key on must begin, so that the
// search measured does the work it is meant to. Args: form count, cold caches.
void runAdditionOnAgainstOff(benchmark::State& state, const char* benchmarkName, const char* searchText,
                             bool SettingsRecord::*key, const char* boxStart, bool accentedGalaxy = false) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)), accentedGalaxy);
    const bool cold = state.range(1) != 0;
    auto searchWithKey = [&](bool on) {
        Settings.*key = on;
        const double seconds = secondsOf(cold, [&] { runSearch(searchText); });
        Settings.*key = false;
        return seconds;
    };
    hostsim::clearUiRecords();
    searchWithKey(true);
    const auto boxes = hostsim::gameMessageBoxes();
    if (boxes.size() != 1 || boxes[0].text.rfind(boxStart, 0) != 0) {
        state.SkipWithError("the search with the key on did not show the box it is measured for");
        return;
    }
    measureOnAgainstOff(state, benchmarkName, searchWithKey);
}

// A typing slip of a generated name that no name holds: close names come from
// all over the galaxy, so the walk gathers them to its end.
constexpr const char* kNoMatchText = "Kalorvke";

void BM_NoMatchCloseNamesOnVsOff(benchmark::State& state) {
    runAdditionOnAgainstOff(state, "BM_NoMatchCloseNamesOnVsOff", kNoMatchText, &SettingsRecord::suggestSimilarNames,
                            "No matches.\n\nClose names:\n");
}
void BM_SelectiveCloseNamesOnVsOff(benchmark::State& state) {
    runAdditionOnAgainstOff(state, "BM_SelectiveCloseNamesOnVsOff", "Nyxdri", &SettingsRecord::suggestSimilarNames,
                            "Search: ");
}
void BM_SelectiveFoldedOnVsOff(benchmark::State& state) {
    runAdditionOnAgainstOff(state, "BM_SelectiveFoldedOnVsOff", "Nyxdri", &SettingsRecord::foldAccentedLetters,
                            "Search: ");
}

// The same on a galaxy where about a third of the names hold accented letters.
void BM_SelectiveFoldedAccentedOnVsOff(benchmark::State& state) {
    runAdditionOnAgainstOff(state, "BM_SelectiveFoldedAccentedOnVsOff", "Nyxdri", &SettingsRecord::foldAccentedLetters,
                            "Search: ", true);
}

// Absolute times, by benchmark name, for the table of the pages' drop.
std::map<std::string, double>& measuredMilliseconds() {
    static std::map<std::string, double> milliseconds;
    return milliseconds;
}

// A one-letter search with bPageResultsWithHotkey on, then the star map
// closed: the menu sink drops the kept pages on the game's thread. Timed side
// by side in each iteration: the search, the close event's delivery on the
// game's thread, and the polling pass that frees what was dropped. The
// table takes the median drop.
void BM_OneLetterPagesDropped(benchmark::State& state) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)));
    const bool cold = state.range(1) != 0;
    static const bool sinksRegistered = [] {
        registerEventSinks();
        return true;
    }();
    (void)sinksRegistered;
    Settings.pageResultsWithHotkey = true;
    hostsim::openMenu("GalaxyStarMapMenu");
    runSearch("a");
    const std::size_t kept =
        PluginState.resultPages.locations.sources.size() + PluginState.resultPages.planets.sources.size();
    state.counters["kept_lines"] = static_cast<double>(kept);
    if (kept == 0) {
        state.SkipWithError("the search kept no later pages");
        Settings.pageResultsWithHotkey = false;
        return;
    }
    double searchSeconds = 0, dropSeconds = 0, releaseSeconds = 0;
    std::vector<double> drops;
    for (auto _ : state) {
        hostsim::clearUiRecords();
        hostsim::openMenu("GalaxyStarMapMenu");
        const double search = secondsOf(cold, [] { runSearch("a"); });
        const double drop = secondsOf(false, [] { hostsim::closeMenu("GalaxyStarMapMenu"); });
        const double release = secondsOf(false, [] { PollOnce(); });
        if (!PluginState.droppedResultPages.empty() || PluginState.resultPages.linesRemain()) {
            state.SkipWithError("the pages were not dropped and freed");
            break;
        }
        searchSeconds += search;
        dropSeconds += drop;
        releaseSeconds += release;
        drops.push_back(drop);
        // The search is the timed figure: the drop alone would take tens of
        // thousands of searches to fill the minimum time.
        state.SetIterationTime(search);
    }
    Settings.pageResultsWithHotkey = false;
    const double n = static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["search_ms"] = searchSeconds / n * 1e3;
    state.counters["drop_ms"] = dropSeconds / n * 1e3;
    state.counters["release_ms"] = releaseSeconds / n * 1e3;
    if (!drops.empty()) {
        const std::string name = "BM_OneLetterPagesDropped/forms:" + std::to_string(state.range(0)) +
                                 "/cold:" + std::to_string(state.range(1));
        measuredMilliseconds()[name + "/drop"] = median(drops) * 1e3;
        measuredMilliseconds()[name + "/search"] = searchSeconds / n * 1e3;
        measuredMilliseconds()[name + "/release"] = releaseSeconds / n * 1e3;
    }
}

// Where the log's lines go in the benchmark: taken and dropped, so that the
// file's limit never turns the log off between iterations.
void* openNowhere(const char*) {
    static int nowhere;
    return &nowhere;
}
bool writeNowhere(void*, const char*, std::size_t) { return true; }
void closeNowhere(void*) {}
constexpr LogFileOperations kNowhere{&openNowhere, &writeNowhere, &closeNowhere};

// The same search with bWriteLogFile off and on, in the same iterations and
// in alternating order: the game's thread formats and queues the search's
// line, the writer (outside the timing, as it runs on the polling thread)
// writes it. Args: form count, cold caches.
void runLogOnAgainstOff(benchmark::State& state, const char* benchmarkName, const char* searchText) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)));
    const bool cold = state.range(1) != 0;
    setLogFileOperationsForTesting(&kNowhere);
    auto searchWithLog = [&](bool on) {
        resetPluginLogForTesting();
        settlePluginLog(on);
        const double seconds = secondsOf(cold, [&] { runSearch(searchText); });
        writeQueuedLogLines();
        return seconds;
    };
    measureOnAgainstOff(state, benchmarkName, searchWithLog);
    resetPluginLogForTesting();
    settlePluginLog(false);
    setLogFileOperationsForTesting(nullptr);
}

// The release's two setups, as the plugin reads them from its settings file.
struct SetupSettings {
    SettingsRecord recommended;
    SettingsRecord classic;
};

// Reads one setup's LumoraSearchEngine.ini with the plugin's own reader, from
// the plugin folder under the benchmark's working folder (see main).
SettingsRecord settingsOfSetup(const char* setup) {
    namespace fs = std::filesystem;
    const fs::path folder = "Data/Obrix/Plugins";
    fs::create_directories(folder);
    fs::copy_file(fs::path(LUMORA_SETUP_DIR) / setup / "LumoraSearchEngine.ini", folder / "LumoraSearchEngine.ini",
                  fs::copy_options::overwrite_existing);
    Settings = SettingsRecord{};
    loadSettingsFile();
    const SettingsRecord read = Settings;
    Settings = SettingsRecord{};
    fs::remove(folder / "LumoraSearchEngine.ini");
    return read;
}

const SetupSettings& setupSettings() {
    static const SetupSettings settings{settingsOfSetup("recommended"), settingsOfSetup("classic")};
    return settings;
}

// The search as players run it with the Recommended setup (close names,
// folding, the last search, pages, recent destinations and the log all on)
// against the same search with the Classic setup, in the same iterations and
// in alternating order, on a galaxy where about a third of the names carry
// accented letters. The host-call floor runs first in each iteration. The log
// writes to a real file; its writer, on the polling thread in the game, runs
// outside the timing, as does the freeing of the dropped pages. Args: form
// count, cold caches.
void runRecommendedAgainstClassic(benchmark::State& state, const char* benchmarkName, const char* searchText) {
    useGalaxyOf(static_cast<std::size_t>(state.range(0)), true);
    const bool cold = state.range(1) != 0;
    const SetupSettings& setups = setupSettings();
    const SettingsRecord& r = setups.recommended;
    if (!(r.suggestSimilarNames && r.foldAccentedLetters && r.pageResultsWithHotkey && r.writeLogFile)) {
        state.SkipWithError("the Recommended settings file was not read with its additions on");
        return;
    }
    setLogFileOperationsForTesting(nullptr);
    ResultPagesRecord previousPages;
    auto prepare = [&](bool recommended) {
        Settings = recommended ? setups.recommended : setups.classic;
        resetPluginLogForTesting();
        settlePluginLog(Settings.writeLogFile);
        // As in the game, a search with pages on starts with the pages of the
        // one before it to drop.
        if (Settings.pageResultsWithHotkey) PluginState.resultPages = std::move(previousPages);
        else PluginState.resultPages = {};
    };
    auto finish = [&] {
        if (Settings.pageResultsWithHotkey) previousPages = std::move(PluginState.resultPages);
        PluginState.droppedResultPages.clear();
        writeQueuedLogLines();
    };
    auto searchWith = [&](bool recommended) {
        prepare(recommended);
        const double seconds = secondsOf(cold, [&] { runSearch(searchText); });
        finish();
        return seconds;
    };
    auto restore = [&] {
        Settings = SettingsRecord{};
        PluginState.resultPages = {};
        PluginState.droppedResultPages.clear();
        resetPluginLogForTesting();
        settlePluginLog(false);
    };
    for (const bool recommended : {false, true}) {
        prepare(recommended);
        const std::optional<std::size_t> matches = lumora_bench::matchesListedBySearch(searchText);
        finish();
        if (!matches) {
            restore();
            state.SkipWithError(recommended ? "the search with the Recommended settings found no match"
                                            : "the search with the Classic settings found no match");
            return;
        }
        state.counters[recommended ? "recommended_matches" : "classic_matches"] = static_cast<double>(*matches);
    }
    // The search's line went to the file: the writer found it and could write.
    std::error_code noSize;
    if (std::filesystem::file_size("Data/Obrix/Plugins/LumoraSearchEngine.log", noSize) == 0 || noSize) {
        restore();
        state.SkipWithError("the Recommended setup's search wrote no log file");
        return;
    }

    double floorSeconds = 0, classicSeconds = 0, recommendedSeconds = 0;
    std::vector<double> overClassic, overFloor;
    bool classicFirst = true;
    for (auto _ : state) {
        hostsim::clearUiRecords();
        const double floor = secondsOf(cold, [] { benchmark::DoNotOptimize(hostCallFloor()); });
        double classic = 0, recommended = 0;
        if (classicFirst) {
            classic = searchWith(false);
            recommended = searchWith(true);
        } else {
            recommended = searchWith(true);
            classic = searchWith(false);
        }
        classicFirst = !classicFirst;
        floorSeconds += floor;
        classicSeconds += classic;
        recommendedSeconds += recommended;
        overClassic.push_back(recommended / classic);
        overFloor.push_back(recommended / floor);
        state.SetIterationTime(recommended);
    }
    restore();
    const double n = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floorSeconds / n * 1e3;
    state.counters["classic_ms"] = classicSeconds / n * 1e3;
    state.counters["recommended_ms"] = recommendedSeconds / n * 1e3;
    state.counters["over_classic"] = median(overClassic);
    state.counters["over_floor"] = median(overFloor);
    const std::string name = std::string(benchmarkName) + "/forms:" + std::to_string(state.range(0)) +
                             "/cold:" + std::to_string(state.range(1));
    measuredRatios()[name] = median(overClassic);
    measuredRatios()[name + "/floor"] = median(overFloor);
}

void BM_SelectiveRecommendedVsClassic(benchmark::State& state) {
    runRecommendedAgainstClassic(state, "BM_SelectiveRecommendedVsClassic", "Nyxdri");
}
void BM_OneLetterRecommendedVsClassic(benchmark::State& state) {
    runRecommendedAgainstClassic(state, "BM_OneLetterRecommendedVsClassic", "a");
}

void BM_SelectiveLogOnVsOff(benchmark::State& state) { runLogOnAgainstOff(state, "BM_SelectiveLogOnVsOff", "Nyxdri"); }
void BM_OneLetterLogOnVsOff(benchmark::State& state) { runLogOnAgainstOff(state, "BM_OneLetterLogOnVsOff", "a"); }

void BM_SelectivePagingOnVsOff(benchmark::State& state) {
    runPagingOnAgainstOff(state, "BM_SelectivePagingOnVsOff", "Nyxdri");
}
void BM_OneLetterPagingOnVsOff(benchmark::State& state) {
    runPagingOnAgainstOff(state, "BM_OneLetterPagingOnVsOff", "a");
}

void configure(benchmark::internal::Benchmark* b) {
    for (std::int64_t forms : {100'000, 1'000'000})
        for (std::int64_t cold : {0, 1}) b->Args({forms, cold});
    b->ArgNames({"forms", "cold"})->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

// The on/off comparisons: a million forms, cold caches.
void configureOnVsOff(benchmark::internal::Benchmark* b) {
    b->Args({1'000'000, 1})->ArgNames({"forms", "cold"})->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

struct RatioTarget {
    const char* search;
    const char* benchmark;
    double limit;
};

// The search players run with the Recommended setup may cost this much more
// than with the Classic one.
constexpr RatioTarget kSetupTargets[] = {
    {"selective search", "BM_SelectiveRecommendedVsClassic/forms:1000000/cold:1", 1.10},
    {"one-letter search", "BM_OneLetterRecommendedVsClassic/forms:1000000/cold:1", 1.10},
};

// The targets: at a million scattered forms with cold caches, the search may
// add this much to what the game's own calls cost.
constexpr RatioTarget kRatioTargets[] = {
    {"selective search", "BM_SelectiveSearch/forms:1000000/cold:1", 1.10},
    {"one-letter search", "BM_OneLetterSearch/forms:1000000/cold:1", 1.25},
};

// Keeping the later pages may cost the search this much more than with the
// key off.
constexpr RatioTarget kPagingTargets[] = {
    {"selective search", "BM_SelectivePagingOnVsOff/forms:1000000/cold:1", 1.05},
    {"one-letter search", "BM_OneLetterPagingOnVsOff/forms:1000000/cold:1", 1.05},
};

// Close names may cost a search that matches nothing this much more than with
// the key off, and a search with matches this much.
constexpr RatioTarget kCloseNamesTargets[] = {
    {"no-match search", "BM_NoMatchCloseNamesOnVsOff/forms:1000000/cold:1", 1.50},
    {"selective search", "BM_SelectiveCloseNamesOnVsOff/forms:1000000/cold:1", 1.05},
};

// Writing the log may cost a search this much more.
constexpr RatioTarget kLogTargets[] = {
    {"selective search", "BM_SelectiveLogOnVsOff/forms:1000000/cold:1", 1.02},
    {"one-letter search", "BM_OneLetterLogOnVsOff/forms:1000000/cold:1", 1.02},
};

// Folding accented letters may cost a search this much more.
constexpr RatioTarget kFoldingTargets[] = {
    {"selective search", "BM_SelectiveFoldedOnVsOff/forms:1000000/cold:1", 1.25},
    {"selective, accented", "BM_SelectiveFoldedAccentedOnVsOff/forms:1000000/cold:1", 1.25},
};

// Dropping the pages a one-letter search kept may cost the game's thread this
// many milliseconds.
constexpr double kPagesDropLimitMs = 1.0;
constexpr const char* kPagesDropBenchmark = "BM_OneLetterPagesDropped/forms:1000000/cold:1";

void printPagesDropRow() {
    std::printf("%-20s %10s %10s %12s %8s  %s\n", "search", "search", "drop", "freed later", "target", "verdict");
    const auto& ms = measuredMilliseconds();
    const std::string name = kPagesDropBenchmark;
    const auto drop = ms.find(name + "/drop");
    if (drop == ms.end()) {
        std::printf("%-20s %10s %10s %12s %6.2fms  %s\n", "one-letter search", "-", "-", "-", kPagesDropLimitMs,
                    "not run");
        return;
    }
    std::printf("%-20s %8.2fms %8.3fms %10.2fms %6.2fms  %s\n", "one-letter search", ms.at(name + "/search"),
                drop->second, ms.at(name + "/release"), kPagesDropLimitMs,
                drop->second <= kPagesDropLimitMs ? "met" : "MISSED");
}

// With `floorColumn`, each row also shows the ratio recorded under the
// benchmark's name + "/floor": the search over the host-call floor.
void printRatioRows(std::span<const RatioTarget> targets, bool floorColumn = false) {
    std::printf("%-20s %8s %8s  %-8s%s\n", "search", "ratio", "target", "verdict", floorColumn ? "  over floor" : "");
    const auto& ratios = measuredRatios();
    for (const RatioTarget& target : targets) {
        const auto found = ratios.find(target.benchmark);
        if (found == ratios.end()) {
            std::printf("%-20s %8s %7.2fx  %s\n", target.search, "-", target.limit, "not run");
            continue;
        }
        std::printf("%-20s %7.3fx %7.2fx  %-8s", target.search, found->second, target.limit,
                    found->second <= target.limit ? "met" : "MISSED");
        if (floorColumn) std::printf("  %9.3fx", ratios.at(std::string(target.benchmark) + "/floor"));
        std::printf("\n");
    }
}

void printRatioTable() {
    std::printf(
        "\nSearch time with the Recommended setup over the same search with the Classic setup, 1,000,000 forms, a "
        "third of the names accented, the log written to a file, cold caches\n");
    printRatioRows(kSetupTargets, true);
    std::printf("\nSearch time over the host-call floor, 1,000,000 forms, cold caches\n");
    printRatioRows(kRatioTargets);
    std::printf(
        "\nSearch time with bPageResultsWithHotkey=1 over the same search with it off, 1,000,000 forms, "
        "cold caches\n");
    printRatioRows(kPagingTargets);
    std::printf(
        "\nSearch time with bSuggestSimilarNames=1 over the same search with it off, 1,000,000 forms, cold "
        "caches\n");
    printRatioRows(kCloseNamesTargets);
    std::printf(
        "\nSearch time with bFoldAccentedLetters=1 over the same search with it off, 1,000,000 forms, cold "
        "caches\n");
    printRatioRows(kFoldingTargets);
    std::printf(
        "\nDropping the pages a search with bPageResultsWithHotkey=1 kept (the star map closed), on the game's "
        "thread, beside the search; freed later by the polling thread; 1,000,000 forms, cold caches\n");
    printPagesDropRow();

    std::printf("\nSearch time with bWriteLogFile=1 over the same search with it off, 1,000,000 forms, cold caches\n");
    printRatioRows(kLogTargets);
}

}  // namespace

BENCHMARK(BM_SelectiveRecommendedVsClassic)->Apply(configureOnVsOff);
BENCHMARK(BM_OneLetterRecommendedVsClassic)->Apply(configureOnVsOff);
BENCHMARK(BM_BareWalk)
    ->ArgsProduct({{100'000, 1'000'000}, {0, 1}, {0, 1}})
    ->ArgNames({"forms", "cold", "prefetch"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);
BENCHMARK(BM_SelectiveSearch)->Apply(configure);
BENCHMARK(BM_OneLetterSearch)->Apply(configure);
BENCHMARK(BM_SelectivePagingOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_OneLetterPagingOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_NoMatchCloseNamesOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_SelectiveCloseNamesOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_SelectiveFoldedOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_SelectiveFoldedAccentedOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_OneLetterPagesDropped)->Apply(configureOnVsOff);
BENCHMARK(BM_SelectiveLogOnVsOff)->Apply(configureOnVsOff);
BENCHMARK(BM_OneLetterLogOnVsOff)->Apply(configureOnVsOff);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // A folder of its own stands in for the game's: the settings files are
    // read, and the log written, under it.
    char folder[] = "/tmp/lumora-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    std::filesystem::current_path(folder);
    // No loader sends the data-loaded message here: without this the log
    // would hold every search's line for a decision that never comes.
    settlePluginLog(false);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatioTable();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
