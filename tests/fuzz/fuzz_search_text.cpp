// Any bytes as the search text and as the names of a small galaxy: the text
// reaches the search through the capture hook, as the game's capture site
// calls it, and the box the game shows must read exactly as a plain reading
// of the rules computes it (name matching, the linear de-duplication, the
// literal exchange passes of the name ordering, the insertion passes of the
// keyword ordering on short lists, the listing). The result keys must name
// the printed lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "fuzz_game.h"
#include "hook/search_hooks.h"
#include "hostsim/engine_strings.h"
#include "hostsim/galaxy.h"
#include "hostsim/host_lock.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace {

// ---- The galaxy, as the fuzzer's bytes describe it -----------------------

// Enough for more than ten lines (the cut at ten and the location limit of
// five) while the list stays within the 32 entries that the keyword ordering
// sorts by insertion alone.
constexpr int kSystems = 2;  // system i holds star i
constexpr int kPlanets = 6;
constexpr int kNamedForms = 8;
constexpr int kMostPlaced = 12;
constexpr int kMostRegistryEntries = 10;

struct PlacedObject {
    bool eligible = false;  // eligible base and the context test passes; else a visible map marker
    int named = -1;         // named form, -1 none
    int linked = -1;        // target planet, -1 none
    int alt = -1;           // -1 none, 0 the "Outpost overlay template" form, 1 the other alt form
};

struct Universe {
    std::string text;
    std::string systemName[kSystems];
    bool systemCharted[kSystems] = {};  // its keyword list holds 0x149F (else one null keyword)
    std::string starName[kSystems];
    std::string planetName[kPlanets];
    int planetStar[kPlanets] = {};  // -1: no parent
    std::string namedName[kNamedForms];
    int namedPlanet[kNamedForms] = {};  // the named form's parent link
    std::string altName;
    std::string playerName;
    std::vector<PlacedObject> placed;
    std::vector<int> registry;  // planet indices; -1 a null entry
};

constexpr std::uint32_t systemId(int i) { return 0xB0001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t starId(int i) { return 0xD0001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t planetId(int i) { return 0xE0001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t namedId(int i) { return 0x110001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t altId(int i) { return 0x120001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t placedId(std::size_t i) { return 0x200001u + static_cast<std::uint32_t>(i); }
constexpr std::uint32_t kPlayerId = 0x300001;
constexpr std::uint32_t kContextId = 0x400001;
const std::string kOverlayTemplate = "Outpost overlay template";

// The game's names are C strings: whatever follows a zero byte is not seen.
std::string gameName(FuzzedDataProvider& bytes) {
    std::string name = bytes.ConsumeRandomLengthString(24);
    return name.substr(0, name.find('\0'));
}

Universe readUniverse(FuzzedDataProvider& bytes) {
    Universe u;
    u.text = bytes.ConsumeRandomLengthString(48);
    if (bytes.ConsumeBool()) u.text.insert(bytes.ConsumeIntegralInRange<std::size_t>(0, u.text.size()), "--");
    for (int i = 0; i < kSystems; ++i) {
        u.systemName[i] = gameName(bytes);
        u.starName[i] = gameName(bytes);
        u.systemCharted[i] = bytes.ConsumeIntegralInRange(0, 3) != 0;
    }
    for (int i = 0; i < kPlanets; ++i) {
        u.planetName[i] = gameName(bytes);
        u.planetStar[i] = bytes.ConsumeIntegralInRange(-1, kSystems - 1);
        if (u.planetStar[i] < 0 && bytes.ConsumeBool()) u.planetStar[i] = 0;  // parentless planets are rare
    }
    for (int i = 0; i < kNamedForms; ++i) {
        u.namedName[i] = gameName(bytes);
        u.namedPlanet[i] = bytes.ConsumeIntegralInRange(0, kPlanets - 1);
    }
    u.altName = gameName(bytes);
    u.playerName = gameName(bytes);
    if (u.playerName.empty()) u.playerName = "Ada";  // an empty player name is a case of its own
    const int placedCount = bytes.ConsumeIntegralInRange(0, kMostPlaced);
    for (int i = 0; i < placedCount; ++i) {
        PlacedObject p;
        p.eligible = bytes.ConsumeBool();
        p.named = bytes.ConsumeIntegralInRange(-1, kNamedForms - 1);
        p.linked = bytes.ConsumeIntegralInRange(-1, kPlanets - 1);
        p.alt = bytes.ConsumeIntegralInRange(-1, 1);
        u.placed.push_back(p);
    }
    const int registryCount = bytes.ConsumeIntegralInRange(0, kMostRegistryEntries);
    for (int i = 0; i < registryCount; ++i) u.registry.push_back(bytes.ConsumeIntegralInRange(-1, kPlanets - 1));
    return u;
}

hostsim::FormRecord form(std::uint32_t id, std::uint8_t type, std::optional<std::string> name = std::nullopt) {
    hostsim::FormRecord record;
    record.id = id;
    record.typeCode = type;
    record.name = std::move(name);
    return record;
}

hostsim::GalaxyDescription describe(const Universe& u) {
    namespace tc = hostsim::type_code;
    hostsim::GalaxyDescription g;
    g.slotsInFileOrder = true;  // the walk meets the placed objects in their order
    g.forms.push_back(form(0x149F, tc::Keyword, "Charted System"));
    g.forms.push_back(form(0x3E8651, tc::Keyword, "Settled Territory"));
    g.forms.push_back(form(0x24DC8, tc::Keyword, "Outpost Claim"));
    g.forms.push_back(form(0x10, tc::MarkerBase, "Map Marker"));
    g.forms.push_back(form(0xA1001, tc::EligibleBase, "Hab Module"));
    g.forms.push_back(form(0xA3001, tc::NpcBase, "Wanderer"));
    for (int i = 0; i < kSystems; ++i) {
        auto system = form(systemId(i), tc::Location, u.systemName[i]);
        system.keywords = std::vector<hostsim::FormRef>{u.systemCharted[i] ? hostsim::FormRef(0x149F) : std::nullopt};
        g.forms.push_back(system);
        auto star = form(starId(i), tc::Body, u.starName[i]);
        star.chainGiven = true;
        star.chain = systemId(i);
        g.forms.push_back(star);
    }
    for (int i = 0; i < kPlanets; ++i) {
        auto planet = form(planetId(i), tc::Body, u.planetName[i]);
        if (u.planetStar[i] >= 0) planet.parent = starId(u.planetStar[i]);
        g.forms.push_back(planet);
    }
    for (int i = 0; i < kNamedForms; ++i) {
        auto named = form(namedId(i), tc::Location, u.namedName[i]);
        named.parent = planetId(u.namedPlanet[i]);
        g.forms.push_back(named);
    }
    g.forms.push_back(form(altId(0), tc::Misc, kOverlayTemplate));
    g.forms.push_back(form(altId(1), tc::Misc, u.altName));
    auto player = form(kPlayerId, tc::Actor);
    player.base = 0xA3001;
    player.displayName = u.playerName;
    g.forms.push_back(player);
    g.forms.push_back(form(kContextId, tc::Location, "Thessa Orbit"));
    for (std::size_t i = 0; i < u.placed.size(); ++i) {
        const PlacedObject& p = u.placed[i];
        auto placed = form(placedId(i), tc::Placed);
        placed.base = p.eligible ? 0xA1001 : 0x10;
        if (p.eligible) placed.matchesContext = true;
        else {
            placed.marker = hostsim::MarkerKind::Flags;
            placed.markerFlags = hostsim::kMarkerVisibleOnStarMap;
        }
        if (p.named >= 0) placed.named = namedId(p.named);
        if (p.linked >= 0) placed.linked = planetId(p.linked);
        if (p.alt >= 0) placed.alt = altId(p.alt);
        g.forms.push_back(placed);
    }
    g.player = kPlayerId;
    g.context = kContextId;
    for (int r : u.registry) g.planets.push_back(r >= 0 ? hostsim::FormRef(planetId(r)) : std::nullopt);
    return g;
}

// ---- The rules, read plainly --------------------------------------------

struct Match {
    bool eligible = false;
    bool keywordMatched = false;
    int pos = -1;
    bool wordStart = false;
};

std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string without(std::string s, char removed) {
    s.erase(std::remove(s.begin(), s.end(), removed), s.end());
    return s;
}

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

int matchTerm(std::string term, std::string name, Match& m) {
    auto hitAt = [&](std::size_t p, bool wordStart) {
        if (wordStart) m.wordStart = true;
        if (m.pos < 0) m.pos = static_cast<int>(p);
    };
    if (term.size() <= name.size()) {
        if (const std::size_t p = name.find(term); p != std::string::npos) {
            hitAt(p, p == 0 || name[p - 1] == ' ');
            return 1;
        }
    }
    int kind = 2;
    for (char removed : {' ', '\'', '-'}) {
        term = without(term, removed);
        name = without(name, removed);
        if (term.size() <= name.size()) {
            if (const std::size_t p = name.find(term); p != std::string::npos) {
                hitAt(p, p == 0);
                return kind;
            }
        }
        ++kind;
    }
    if (name.size() >= 6 && term.size() >= 5 && contains(term, "varun")) {
        if (const std::size_t p = name.find("varuun"); p != std::string::npos) {
            hitAt(p, p == 0);
            return 5;
        }
    }
    if (!m.eligible) return 0;
    int keyword = 0;
    if (term.size() >= 5 && contains(term, "beaco")) keyword = 6;
    else if (term.size() >= 4 && contains(term, "outp")) keyword = 7;
    else if (contains(term, "decor")) keyword = 8;
    if (keyword != 0) m.keywordMatched = true;
    return keyword;
}

struct Terms {
    std::string include, exclude;
};

Terms splitText(const std::string& text) {
    const std::size_t p = text.find("--");
    if (text.size() >= 2 && p != std::string::npos) return {text.substr(0, p), text.substr(p + 2)};
    return {text, ""};
}

int matchName(const Terms& lower, Match& m, const std::string& name) {
    const std::string n = lowered(name);
    if (!lower.exclude.empty() && matchTerm(lower.exclude, n, m) != 0) return -1;
    if (!lower.include.empty()) return matchTerm(lower.include, n, m);
    return 0;
}

struct Entry {
    bool eligible = false, keywordMatched = false, P = false, S = false, T = false, W = false;
    int pos = -1;
    std::uint32_t targetId = 0, primaryId = 0;  // 0: null form
    std::string targetName, primaryName, ancestorName, extraName;
};

std::string replaceAll(const std::string& text, const std::string& pattern, const std::string& replacement) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(pattern, from)) != std::string::npos; from = at + pattern.size())
        out += text.substr(from, at - from) + replacement;
    return out + text.substr(from);
}

// The system that carries the keyword above a star, or -1.
int chartedAboveStar(const Universe& u, int star) { return u.systemCharted[star] ? star : -1; }
// The walk from a named form's parent link: its planet, the planet's star, the star's system.
int chartedAboveNamed(const Universe& u, int named) {
    const int star = u.planetStar[u.namedPlanet[named]];
    return star < 0 ? -1 : chartedAboveStar(u, star);
}

std::vector<Entry> collect(const Universe& u, const Terms& lower, bool& anyKeywordMatched) {
    std::vector<Entry> list;
    for (const PlacedObject& p : u.placed) {
        Entry e;
        Match m;
        m.eligible = e.eligible = p.eligible;
        if (p.named >= 0) {
            e.primaryId = namedId(p.named);
            const std::string& name = u.namedName[p.named];
            if (!name.empty()) {
                if (p.eligible && name == "Ship") continue;
                e.primaryName = replaceAll(name, "<Alias=Player>", u.playerName);
                const int r = matchName(lower, m, e.primaryName);
                if (r < 0) continue;
                e.P = r > 0;
            }
        }
        int star = -1;
        if (p.linked >= 0) {
            e.targetId = planetId(p.linked);
            e.targetName = u.planetName[p.linked];
            if (e.targetName.empty()) continue;
            const int r = matchName(lower, m, e.targetName);
            if (r < 0) continue;
            e.S = r > 0;
            star = u.planetStar[p.linked];
            if (star < 0 || u.starName[star].empty()) continue;
            const int rp = matchName(lower, m, u.starName[star]);
            if (rp < 0) continue;
            e.S = e.S || rp > 0;
        }
        if (p.alt >= 0) e.extraName = p.alt == 0 ? kOverlayTemplate : u.altName;
        int system = star >= 0 ? chartedAboveStar(u, star) : -1;
        if (system < 0 && p.named >= 0) system = chartedAboveNamed(u, p.named);
        if (system < 0 || u.systemName[system].empty()) continue;
        e.ancestorName = u.systemName[system];
        const int ra = matchName(lower, m, e.ancestorName);
        if (ra < 0) continue;
        e.T = ra > 0;
        if (!e.P && !e.S && !e.T) continue;
        e.keywordMatched = m.keywordMatched;
        e.pos = m.pos;
        e.W = m.wordStart;
        bool dropped = false;
        for (std::size_t i = 0; i < list.size() && !dropped;) {
            if (list[i].primaryId == e.primaryId) {
                if (!list[i].eligible && e.eligible) {
                    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                    continue;
                }
                dropped = true;
            } else if (list[i].primaryName == e.primaryName &&
                       (list[i].targetId == e.targetId || list[i].targetName == e.targetName)) {
                dropped = true;
            }
            ++i;
        }
        if (dropped) continue;
        list.push_back(e);
        anyKeywordMatched = anyKeywordMatched || e.keywordMatched;
    }
    for (int r : u.registry) {
        if (r < 0) continue;
        Entry e;
        Match m;
        e.targetId = planetId(r);
        e.targetName = u.planetName[r];
        if (e.targetName.empty()) continue;
        const int rn = matchName(lower, m, e.targetName);
        if (rn < 0) continue;
        const int star = u.planetStar[r];
        if (star < 0 || u.starName[star].empty()) continue;
        const int rp = matchName(lower, m, u.starName[star]);
        if (rp < 0) continue;
        const int system = chartedAboveStar(u, star);
        if (system < 0 || u.systemName[system].empty()) continue;
        e.ancestorName = u.systemName[system];
        const int ra = matchName(lower, m, e.ancestorName);
        if (ra < 0) continue;
        if (rn <= 0 && rp <= 0 && ra <= 0) continue;
        e.S = rn > 0 || rp > 0;
        e.T = ra > 0;
        e.pos = m.pos;
        e.W = m.wordStart;
        list.push_back(e);
    }
    return list;
}

template <typename Condition>
void exchangePass(std::vector<Entry>& list, Condition c) {
    for (std::size_t i = 0; i < list.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (c(list[i], list[j])) std::swap(list[i], list[j]);
}

// One group of the name ordering: flag `in` marks the group, `outside` the
// groups ranked above it.
template <typename In, typename Outside>
void orderGroup(std::vector<Entry>& list, In in, Outside outside) {
    exchangePass(list, [&](const Entry& x, const Entry& y) { return !outside(x) && !outside(y) && in(x) && !in(y); });
    exchangePass(list, [&](const Entry& x, const Entry& y) {
        return !outside(x) && !outside(y) && in(x) && in(y) && x.W && !y.W;
    });
    exchangePass(list, [&](const Entry& x, const Entry& y) {
        return !outside(x) && !outside(y) && in(x) && in(y) && x.W && y.W && x.pos < y.pos;
    });
}

void order(std::vector<Entry>& list, bool anyKeywordMatched) {
    if (anyKeywordMatched) {
        // Lists this short are ordered by insertion, which keeps ties in order.
        std::stable_sort(list.begin(), list.end(), [](const Entry& x, const Entry& y) {
            return x.extraName == kOverlayTemplate && y.extraName != kOverlayTemplate;
        });
        std::stable_sort(list.begin(), list.end(),
                         [](const Entry& x, const Entry& y) { return x.eligible && !y.eligible; });
        return;
    }
    auto none = [](const Entry&) { return false; };
    orderGroup(
        list, [](const Entry& e) { return e.P; }, none);
    orderGroup(
        list, [](const Entry& e) { return e.S; }, [](const Entry& e) { return e.P; });
    orderGroup(
        list, [](const Entry& e) { return e.T; }, [](const Entry& e) { return e.P || e.S; });
}

using Keys = std::vector<std::pair<int, std::uint32_t>>;

struct Box {
    std::string text;
    bool listing = false;  // a results box; only it replaces the result keys
    Keys keys;
};

Box expectedBox(const Universe& u, const std::string& text) {
    if (text.empty()) return {"Search text is empty.", false, {}};
    const Terms typed = splitText(text);
    const Terms lower{lowered(typed.include), lowered(typed.exclude)};
    bool anyKeywordMatched = false;
    std::vector<Entry> list = collect(u, lower, anyKeywordMatched);
    if (list.empty()) return {"No matches.", false, {}};
    const std::vector<Entry> collected = list;
    order(list, anyKeywordMatched);

    struct Line {
        std::string text;
        std::uint32_t formId;
    };
    std::vector<Line> locations, planets;
    std::vector<std::uint32_t> listed;
    for (const Entry& e : list) {
        if (locations.size() == 10) break;
        if (e.targetId == 0 || e.targetName.empty() || e.primaryId == 0 || e.primaryName.empty()) continue;
        if (std::count(listed.begin(), listed.end(), e.primaryId) != 0) continue;
        locations.push_back({e.primaryName + " | " + e.targetName + "\n", e.targetId});
        listed.push_back(e.primaryId);
    }
    listed.clear();
    std::size_t k = 0, l = 0;
    for (const Entry& e : collected) {
        if (planets.size() == 10) break;
        if (e.targetId == 0 || e.targetName.empty() || !(e.S || e.T)) continue;
        if (std::count(listed.begin(), listed.end(), e.targetId) != 0) continue;
        planets.push_back({e.targetName + " | " + e.ancestorName + "\n", e.targetId});
        listed.push_back(e.targetId);
        k += e.S;
        l += e.T;
    }
    const std::size_t limit = (k >= 5 || l >= 5) ? 5 : 10 - std::max(k, l);

    Box box;
    box.listing = true;
    box.text = lower.exclude.empty() ? "Search: " + text + "\n"
                                     : "Search: " + typed.include + " (excl.: " + typed.exclude + ")\n";
    box.text += "\n";
    int i = 0;
    bool locationHeading = false;
    for (const Line& line : locations) {
        if (static_cast<std::size_t>(i) >= limit) break;
        if (!locationHeading) box.text += "Locations:\n";
        locationHeading = true;
        box.text += "[" + std::to_string(i) + "] " + line.text;
        box.keys.emplace_back(i++, line.formId);
    }
    bool planetHeading = false;
    for (const Line& line : planets) {
        if (i >= 10) break;
        if (!planetHeading) box.text += std::string(locationHeading ? "\n" : "") + "Planets:\n";
        planetHeading = true;
        box.text += "[" + std::to_string(i) + "] " + line.text;
        box.keys.emplace_back(i++, line.formId);
    }
    const std::size_t n = std::max(list.size(), locations.size() + planets.size());
    box.text += "\nFound " + std::to_string(n) + " matches.";
    return box;
}

// ---- The game's side ------------------------------------------------------

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "search: %s\n", why.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_game::bootForFuzzing();
    Settings.skipNonStarMapVisibleMapMarkers = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    const Universe universe = readUniverse(bytes);
    hostsim::installGalaxy(describe(universe));
    hostsim::clearUiRecords();
    hostsim::clearTranscript();
    {
        std::lock_guard lock(PluginState.mutex);
        PluginState.textEditEndedAtNs = fuzz_game::kNow;  // editing just ended on the star map
        PluginState.resultKeys.clear();
        PluginState.resultKeys.append(99, 0xDEAD);  // only a listing replaces it
    }
    // The game's capture site passes the text as a C string.
    EngineString handle = nullptr;
    textCaptureHook(&handle, universe.text.c_str(), 0);
    const std::string searched = universe.text.substr(0, universe.text.find('\0'));
    if (hostsim::engineStringText(handle) != searched) fail("the game's string is not the text it passed");
    hostsim::releaseEngineString(&handle);
    hostsim::processUiQueue();  // the box opens; the game checks its title text
    hostsim::closeMenu("MessageBoxMenu");

    const Box expected = expectedBox(universe, searched);
    const auto boxes = hostsim::gameMessageBoxes();
    // To see what an input does: LUMORA_FUZZ_SHOW=1 fuzz_search_text FILE...
    if (std::getenv("LUMORA_FUZZ_SHOW") != nullptr && !boxes.empty())
        std::fprintf(stderr, "--- box\n%s\n", boxes[0].text.c_str());
    if (boxes.size() != 1) fail(std::to_string(boxes.size()) + " boxes for one search");
    if (boxes[0].text != expected.text)
        fail("box text differs\n--- expected\n" + expected.text + "\n--- shown\n" + boxes[0].text);
    Keys keys;
    {
        std::lock_guard lock(PluginState.mutex);
        for (const ResultKey& key : PluginState.resultKeys.entries()) keys.emplace_back(key.key, key.formId);
    }
    const Keys expectedKeys = expected.listing ? expected.keys : Keys{{99, 0xDEAD}};
    if (keys != expectedKeys) {
        std::string shown;
        for (const auto& [key, formId] : keys) shown += " " + std::to_string(key) + ":" + std::to_string(formId);
        fail("result keys" + shown + " do not name the printed lines of\n" + expected.text);
    }
    for (const std::string& violation : hostsim::violations()) fail("game saw: " + violation);
    if (!hostsim::engineStringLedgerBalanced()) fail("engine strings unbalanced");
    if (!hostsim::isBalanced(hostsim::allFormsLock())) fail("all-forms lock held");
    if (!hostsim::installedGalaxy()->containerLocksBalanced()) fail("an extra-data lock held");
    return 0;
}
