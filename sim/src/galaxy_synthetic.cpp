// Large made-up galaxies for measurements: star systems with planets, map
// markers and buildable structures placed on them, and a great many forms
// the search never wants.
#include <algorithm>
#include <random>

#include "hostsim/galaxy.h"

namespace hostsim {
namespace {

constexpr std::uint32_t kAncestorKeyword = 0x149F;
constexpr std::uint32_t kFirstEligibilityForm = 0x3E8651;
constexpr std::uint32_t kSecondEligibilityForm = 0x24DC8;
constexpr std::uint32_t kMarkerBaseIds[] = {0x10, 0x254244, 0x254245, 0x31FB3E, 0x13463B};

class NameMaker {
public:
    explicit NameMaker(std::mt19937_64& random) : random_(random) {}
    std::string word() {
        static const char* const syllables[] = {"ka", "lor", "vek", "si", "tha", "mur", "en", "qua", "dri",
                                                "zo", "bel", "nyx", "os", "rin", "ta",  "ul", "phe", "gar"};
        const int count = 2 + static_cast<int>(random_() % 2);
        std::string w;
        for (int i = 0; i < count; ++i) w += syllables[random_() % std::size(syllables)];
        w[0] = static_cast<char>(w[0] - 'a' + 'A');
        return w;
    }
    std::string place() {
        static const char* const kinds[] = {"Station", "Outpost", "Landing", "Ruins", "Depot",
                                            "Relay",   "Mine",    "Hollow",  "Spire", "Camp"};
        return word() + " " + kinds[random_() % std::size(kinds)];
    }

private:
    std::mt19937_64& random_;
};

struct IdMaker {
    std::mt19937_64& random;
    std::uint32_t next = 0x01000000;
    std::uint32_t operator()() {
        next += 1 + static_cast<std::uint32_t>(random() % 7);
        return next;
    }
};

FormRecord makeForm(std::uint32_t id, std::uint8_t type) {
    FormRecord form;
    form.id = id;
    form.typeCode = type;
    return form;
}

}  // namespace

GalaxyDescription generateSyntheticGalaxy(const SyntheticGalaxyOptions& options) {
    std::mt19937_64 random(options.seed);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    NameMaker names(random);
    IdMaker nextId{random};
    GalaxyDescription galaxy;
    galaxy.seed = options.seed;
    galaxy.forms.reserve(options.formCount + 16);
    auto add = [&](FormRecord form) -> FormRecord& { return galaxy.forms.emplace_back(std::move(form)); };

    // Fixed forms and bases.
    FormRecord keyword = makeForm(kAncestorKeyword, type_code::Keyword);
    keyword.name = "Star System";
    add(keyword);
    for (std::uint32_t id : {kFirstEligibilityForm, kSecondEligibilityForm}) {
        FormRecord f = makeForm(id, type_code::Keyword);
        f.name = "Settled Ground";
        add(f);
    }
    for (std::uint32_t id : kMarkerBaseIds) {
        FormRecord f = makeForm(id, type_code::MarkerBase);
        f.name = "Map Marker";
        add(f);
    }
    std::vector<std::uint32_t> eligibleBases, otherBases;
    for (const char* name : {"Beacon", "Habitat", "Decor Lantern", "Landing Pad"}) {
        FormRecord f = makeForm(nextId(), type_code::EligibleBase);
        f.name = name;
        eligibleBases.push_back(add(f).id);
    }
    for (int i = 0; i < 12; ++i) {
        FormRecord f = makeForm(nextId(), type_code::Misc);
        f.name = names.word();
        otherBases.push_back(add(f).id);
    }
    FormRecord overlay = makeForm(nextId(), type_code::Misc);
    overlay.name = "Outpost overlay template";
    const std::uint32_t overlayId = add(overlay).id;

    // Systems, stars, planets.
    const std::size_t systemCount = std::max<std::size_t>(1, options.planetCount / 8);
    std::vector<std::uint32_t> stars;
    for (std::size_t s = 0; s < systemCount; ++s) {
        const std::string systemName = names.word();
        FormRecord system = makeForm(nextId(), type_code::Location);
        system.name = systemName + " System";
        system.keywords = std::vector<FormRef>{kAncestorKeyword};
        const std::uint32_t systemId = add(system).id;
        FormRecord star = makeForm(nextId(), type_code::Body);
        star.name = systemName;
        star.chainGiven = true;
        star.chain = systemId;
        stars.push_back(add(star).id);
    }
    std::vector<std::uint32_t> planets;
    for (std::size_t p = 0; p < options.planetCount; ++p) {
        FormRecord planet = makeForm(nextId(), type_code::Body);
        planet.name = names.word();
        planet.parent = stars[p % stars.size()];
        planets.push_back(add(planet).id);
        galaxy.planets.push_back(planets.back());
    }
    if (planets.empty()) planets.push_back(stars.front());

    // Placed objects: map markers, eligible structures, everything else.
    std::uint32_t runtimeIds = 0xFF000800u;
    const auto placedCount = static_cast<std::size_t>(static_cast<double>(options.formCount) * options.placedShare);
    for (std::size_t i = 0; i < placedCount && galaxy.forms.size() + 2 <= options.formCount; ++i) {
        const double kind = chance(random);
        const std::uint32_t planet = planets[random() % planets.size()];
        FormRecord placed = makeForm(nextId(), type_code::Placed);
        if (chance(random) < 0.02) placed.id = runtimeIds++;  // created while playing
        if (kind < options.markerShareOfPlaced || kind < options.markerShareOfPlaced + options.eligibleShareOfPlaced) {
            const bool marker = kind < options.markerShareOfPlaced;
            FormRecord location = makeForm(nextId(), type_code::Location);
            location.name = names.place();
            location.parent = planet;
            placed.named = add(location).id;
            placed.linked = planet;
            if (marker) {
                placed.base = kMarkerBaseIds[random() % std::size(kMarkerBaseIds)];
                placed.marker = MarkerKind::Flags;
                placed.markerFlags = chance(random) < 0.7 ? kMarkerVisibleOnStarMap : 0;
                if (chance(random) < 0.05) placed.flags = 0x20;
                placed.filtered = chance(random) < 0.05;
            } else {
                placed.base = eligibleBases[random() % eligibleBases.size()];
                const double pass = chance(random);
                placed.matchesContext = pass < 0.3;
                if (pass >= 0.3 && pass < 0.55) placed.matches = {kFirstEligibilityForm};
                else if (pass >= 0.55 && pass < 0.7) placed.matches = {kSecondEligibilityForm};
                if (chance(random) < 0.2) placed.alt = overlayId;
            }
        } else {
            placed.base = otherBases[random() % otherBases.size()];
        }
        if (galaxy.forms.size() + 1 > options.formCount) break;
        add(std::move(placed));
    }

    // The rest: forms the walk sees only as a type code.
    while (galaxy.forms.size() < options.formCount) add(makeForm(nextId(), type_code::Misc));
    return galaxy;
}

}  // namespace hostsim
