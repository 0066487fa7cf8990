#pragma once
// The game's data: a galaxy of forms described in a text file (see
// galaxies/FORMAT.md) or generated, built into the game's structures and
// installed behind the game's globals.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostsim/forms.h"
#include "hostsim/host_lock.h"

namespace hostsim {

// ---- Description: plain records, as read from a galaxy file ------------

using FormRef = std::optional<std::uint32_t>;  // a form id, or none (null)

enum class MarkerKind : std::uint8_t { Absent, Flags, NoData };
enum class ContainerMode : std::uint8_t { Auto, Present, Absent };

struct FormRecord {
    std::uint32_t id = 0;
    std::uint8_t typeCode = type_code::Misc;
    std::uint32_t flags = 0;
    std::optional<std::string> name;  // absent: the game has no name for it (null)
    FormRef parent;                   // HostForm_GetParentForm
    bool chainGiven = false;          // false: the parent link at 0xC0 follows `parent`
    FormRef chain;
    FormRef base, aux, named, linked, alt;
    bool filtered = false;
    bool matchesContext = false;
    std::vector<std::uint32_t> matches;            // ids HostLocation_MatchesForm accepts
    std::optional<std::vector<FormRef>> keywords;  // absent: the cast gives null
    MarkerKind marker = MarkerKind::Absent;
    std::uint8_t markerFlags = 0;
    std::optional<std::string> displayName;  // extra data 0x96
    std::uint8_t displayNameFlags = 0;       // engine-string entry flags
    ContainerMode container = ContainerMode::Auto;
    bool listed = true;  // entered in the all-forms map
    bool fault = false;
    int line = 0;  // where it was described; 0 if generated
};

struct SlotRecord {
    std::uint32_t key = 0;
    FormRef form;
    int line = 0;
};

struct GalaxyDescription {
    std::vector<FormRecord> forms;
    std::vector<SlotRecord> extraSlots;  // odd slots: stray keys, null form pointers
    FormRef player;
    FormRef context;
    std::vector<FormRef> planets;  // the registry's array, in order
    bool nullAllFormsMap = false;
    bool nullPlanetRegistry = false;
    bool slotsInFileOrder = false;  // forms fill the slots in description order
    std::uint64_t seed = 1;         // slot hashing and heap scattering
};

// A galaxy file that cannot be used. line is 1-based (0: the file itself);
// field names the offending field, empty when the whole line is wrong.
class GalaxyFileError : public std::runtime_error {
public:
    GalaxyFileError(std::string source, int line, std::string field, const std::string& problem);
    const std::string& source() const { return source_; }
    int line() const { return line_; }
    const std::string& field() const { return field_; }

private:
    std::string source_;
    int line_;
    std::string field_;
};

// Parse and check a galaxy (every reference resolved, ids unique).
GalaxyDescription parseGalaxyText(std::string_view text, const std::string& sourceName = "<text>");
GalaxyDescription loadGalaxyFile(const std::string& path);
// The text that parses back to the same description.
std::string formatGalaxyText(const GalaxyDescription& galaxy);
// Same checks as the parser, for descriptions built in code.
void validateGalaxy(const GalaxyDescription& galaxy, const std::string& sourceName = "<galaxy>");

// Directory of the galaxies shipped with the project (galaxies/).
std::string shippedGalaxyDirectory();

// ---- Synthetic galaxies for measurements --------------------------------

struct SyntheticGalaxyOptions {
    std::size_t formCount = 100000;
    double placedShare = 0.05;          // of all forms
    double markerShareOfPlaced = 0.30;  // placed objects on a map-marker base
    double eligibleShareOfPlaced = 0.20;
    std::size_t planetCount = 2000;
    std::uint64_t seed = 1;
};
GalaxyDescription generateSyntheticGalaxy(const SyntheticGalaxyOptions& options);

// ---- Built galaxy ---------------------------------------------------------

// The game's structures for one galaxy. Forms are scattered over memory in
// an order unrelated to the map's slot order. Owns everything it built.
struct GalaxyStore;
class Galaxy {
public:
    explicit Galaxy(const GalaxyDescription& description);
    ~Galaxy();
    Galaxy(const Galaxy&) = delete;
    Galaxy& operator=(const Galaxy&) = delete;

    // A form by id, whether or not it is in the map (simulator's view, no counting).
    FormHeader* form(std::uint32_t id) const;
    FullForm* fullForm(std::uint32_t id) const;  // null unless the form has the full layout
    AllFormsMap* allFormsMap() const;            // the map object even when the global is null
    PlanetRegistry* planetRegistry() const;
    FormHeader* player() const;
    FormHeader* context() const;
    std::size_t formCount() const;
    // The map's lookup, as HostForms_LookupById does it.
    FormHeader* lookup(std::uint32_t id) const;
    // Every extra-data container lock acquired as often as released.
    bool containerLocksBalanced() const;
    std::size_t containerCount() const;

private:
    std::unique_ptr<GalaxyStore> store_;
    friend struct GalaxyAccess;
};

// Makes the galaxy the game's: writes the globals (map, lock, registry,
// player, context, type descriptors) into the image and places the query
// functions at their offsets. The image must be prepared. Replaces any
// galaxy installed before; the previous one is destroyed. The all-forms lock
// is the zeroed lock at its fixed place in the image (hostsim/host_lock.h:
// allFormsLock()).
Galaxy& installGalaxy(const GalaxyDescription& description);
// The installed galaxy, or null.
Galaxy* installedGalaxy();
// Clears the globals and destroys the installed galaxy.
void uninstallGalaxy();

}  // namespace hostsim
