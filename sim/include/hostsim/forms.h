#pragma once
// The game's forms as they sit in memory, byte for byte, and the game
// functions that answer questions about them. Everything here is the game's
// own layout; the plugin reaches it only through raw offsets.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/host_lock.h"
#include "hostsim/offsets.h"

namespace hostsim {

// Short names for the offsets of the game functions and globals that deal
// with forms.
namespace form_offsets {
inline constexpr std::uintptr_t LookupById = offsets::HostForms_LookupById;
inline constexpr std::uintptr_t DynamicCast = offsets::HostRuntime_DynamicCast;
inline constexpr std::uintptr_t AllFormsMap = offsets::HostForms_AllFormsMap;    // pointer global
inline constexpr std::uintptr_t AllFormsLock = offsets::HostForms_AllFormsLock;  // HostLockObject itself
inline constexpr std::uintptr_t FindExtraDataByType = offsets::HostExtraData_FindByType;
inline constexpr std::uintptr_t GetFullName = offsets::HostForm_GetFullName;
inline constexpr std::uintptr_t GetNamedForm = offsets::HostLocation_GetNamedForm;
inline constexpr std::uintptr_t GetLinkedForm = offsets::HostLocation_GetLinkedForm;
inline constexpr std::uintptr_t GetAltForm = offsets::HostLocation_GetAltForm;
inline constexpr std::uintptr_t IsFiltered = offsets::HostLocation_IsFiltered;
inline constexpr std::uintptr_t GetParentForm = offsets::HostForm_GetParentForm;
inline constexpr std::uintptr_t MatchesContext = offsets::HostLocation_MatchesContext;
inline constexpr std::uintptr_t MatchesForm = offsets::HostLocation_MatchesForm;
inline constexpr std::uintptr_t LocationContext = offsets::HostGlobal_LocationContext;        // pointer global
inline constexpr std::uintptr_t PlayerCharacter = offsets::HostGlobal_PlayerCharacter;        // pointer global
inline constexpr std::uintptr_t NamedEntryRegistry = offsets::HostGlobal_NamedEntryRegistry;  // pointer global
inline constexpr std::uintptr_t CastSourceDescriptor = offsets::HostTypeDescriptor_CastSource;
inline constexpr std::uintptr_t KeywordListDescriptor = offsets::HostTypeDescriptor_KeywordList;
}  // namespace form_offsets

// Type codes the game's forms report through their virtual table.
namespace type_code {
inline constexpr std::uint8_t Keyword = 0x04;
inline constexpr std::uint8_t EligibleBase = 0x1E;
inline constexpr std::uint8_t MarkerBase = 0x29;
inline constexpr std::uint8_t NpcBase = 0x2B;
inline constexpr std::uint8_t Body = 0x3C;   // stars, planets, moons
inline constexpr std::uint8_t Actor = 0x3E;  // the player character
inline constexpr std::uint8_t Placed = 0x4A;
inline constexpr std::uint8_t Location = 0x55;  // systems, settlements, sites
inline constexpr std::uint8_t Ship = 0x5A;
inline constexpr std::uint8_t Misc = 0x70;  // everything the search never wants
}  // namespace type_code

inline constexpr std::uint8_t kExtraMapMarker = 0x2A;
inline constexpr std::uint8_t kExtraDisplayName = 0x96;
inline constexpr std::uint8_t kMarkerVisibleOnStarMap = 0x10;
inline constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;
// Byte of the virtual table that holds the type-code function.
inline constexpr std::size_t kTypeCodeVtableByte = 0x110;
inline constexpr std::size_t kVirtualTableEntries = 48;

struct FormDetails;

// Every form starts with this header. Forms that nothing treats as a placed
// object or an ancestor (most of the game's forms) are only this long.
struct FormHeader {
    const void* const* virtualTable;  // 0x00
    FormDetails* details;             // 0x08
    std::uint64_t reserved10;         // 0x10
    std::uint64_t reserved18;         // 0x18
    std::uint32_t flags;              // 0x20
    std::uint32_t reserved24;         // 0x24
    std::uint32_t formId;             // 0x28
    std::uint32_t reserved2C;         // 0x2C
};
static_assert(sizeof(FormHeader) == 0x30);
static_assert(offsetof(FormHeader, flags) == 0x20);
static_assert(offsetof(FormHeader, formId) == 0x28);

struct ExtraDataContainer;

// Placed objects, bodies, locations, the player: the full layout.
struct FullForm {
    FormHeader header;  // 0x00
    std::uint8_t reserved30[0x98 - 0x30];
    FullForm* baseObject;           // 0x98
    std::uint64_t reservedA0;       // 0xA0
    std::uint64_t reservedA8;       // 0xA8
    FullForm* auxForm;              // 0xB0
    std::uint64_t reservedB8;       // 0xB8
    FullForm* parentLink;           // 0xC0
    ExtraDataContainer* extraData;  // 0xC8
};
static_assert(sizeof(FullForm) == 0xD0);
static_assert(offsetof(FullForm, baseObject) == 0x98);
static_assert(offsetof(FullForm, auxForm) == 0xB0);
static_assert(offsetof(FullForm, parentLink) == 0xC0);
static_assert(offsetof(FullForm, extraData) == 0xC8);

// One extra-data entry of a container's singly linked list.
struct ExtraDataEntry {
    const void* virtualTable;  // 0x00
    ExtraDataEntry* next;      // 0x08
    std::uint8_t type;         // 0x10
    std::uint8_t reserved11[7];
    void* payload;  // 0x18: marker data (type 0x2A) or an engine-string handle (0x96)
};
static_assert(sizeof(ExtraDataEntry) == 0x20);
static_assert(offsetof(ExtraDataEntry, type) == 0x10);
static_assert(offsetof(ExtraDataEntry, payload) == 0x18);

struct ExtraDataList {
    ExtraDataEntry* head;  // container + 0x08
    std::uint64_t count;   // container + 0x10
    std::uint64_t reserved;
};

struct ExtraDataContainer {
    const void* virtualTable;  // 0x00
    ExtraDataList list;        // 0x08: what HostExtraData_FindByType searches
    HostLockObject lock;       // 0x20
};
static_assert(offsetof(ExtraDataContainer, list) == 0x08);
static_assert(offsetof(ExtraDataContainer, lock) == 0x20);
static_assert(sizeof(ExtraDataContainer) == 0x38);

struct MarkerData {
    std::uint8_t reserved00[0x18];
    std::uint8_t flags;  // 0x18: 0x10 = visible on the star map
    std::uint8_t reserved19[7];
};
static_assert(offsetof(MarkerData, flags) == 0x18);

// What a form is seen as after the cast to the keyword-list class.
struct KeywordList {
    const void* virtualTable;  // 0x00
    std::uint8_t reserved08[0x18];
    std::uint32_t count;  // 0x20
    std::uint32_t reserved24;
    FormHeader** keywords;  // 0x28
};
static_assert(offsetof(KeywordList, count) == 0x20);
static_assert(offsetof(KeywordList, keywords) == 0x28);

struct MapSlot {
    std::uint32_t key;  // 0x00: form id
    std::uint32_t reserved04;
    FormHeader* form;     // 0x08
    std::uint32_t chain;  // 0x10: next slot of the chain; kEmptySlot marks a free slot
    std::uint32_t reserved14;
};
static_assert(sizeof(MapSlot) == 24);
static_assert(offsetof(MapSlot, form) == 0x08);
static_assert(offsetof(MapSlot, chain) == 0x10);

struct AllFormsMap {
    const void* virtualTable;  // 0x00
    std::uint64_t reserved08;
    MapSlot* slots;           // 0x10
    std::uint64_t slotCount;  // 0x18
    std::uint64_t freeCount;  // 0x20
    std::uint64_t reserved28;
};
static_assert(offsetof(AllFormsMap, slots) == 0x10);
static_assert(offsetof(AllFormsMap, slotCount) == 0x18);

struct PlanetRegistry {
    std::uint8_t reserved0000[0x11E8];
    std::uint32_t count;  // 0x11E8
    std::uint32_t reserved11EC;
    FormHeader** entries;  // 0x11F0
};
static_assert(offsetof(PlanetRegistry, count) == 0x11E8);
static_assert(offsetof(PlanetRegistry, entries) == 0x11F0);

struct KeywordList;

// The game's own bookkeeping about a form, behind the header's details
// pointer: what its query functions answer. It sits in the form's own block,
// right after the layout above, with the name's text and the other arrays it
// points to. The plugin never reads it.
struct FormDetails {
    const char* name = nullptr;                      // HostForm_GetFullName; null: the form has no name
    FormHeader* parentForm = nullptr;                // HostForm_GetParentForm
    FormHeader* namedForm = nullptr;                 // HostLocation_GetNamedForm
    FormHeader* linkedForm = nullptr;                // HostLocation_GetLinkedForm
    FormHeader* altForm = nullptr;                   // HostLocation_GetAltForm
    KeywordList* keywordList = nullptr;              // the cast to the keyword-list class; null: not castable
    const std::uint32_t* matchingFormIds = nullptr;  // HostLocation_MatchesForm
    std::uint32_t matchingFormCount = 0;
    bool filtered = false;        // HostLocation_IsFiltered
    bool matchesContext = false;  // HostLocation_MatchesContext
    bool fault = false;           // name lookups and casts of this form throw HostFault
};

// Type code as the game answers it: entry 34 of the form's virtual table.
std::uint8_t typeCodeOf(const FormHeader* form);
// Virtual table of the class whose forms report this type code.
const void* const* virtualTableFor(std::uint8_t typeCode);

// The game functions, in the game's calling convention. They are placed in
// the image by installGalaxy(); tests may also call them directly.
namespace host_query {
SIM_ABI void* lookupById(std::uint32_t formId);
SIM_ABI const char* getFullName(void* form);
SIM_ABI void* getParentForm(void* unused, std::int32_t zero, void* form);
SIM_ABI void* getNamedForm(void* placed);
SIM_ABI void* getLinkedForm(void* unused, std::int32_t zero, void* placed);
SIM_ABI void* getAltForm(void* unused, std::int32_t zero, void* placed);
SIM_ABI bool isFiltered(void* unused, std::int32_t zero, void* placed);
SIM_ABI bool matchesContext(void* placed, void* context);
SIM_ABI bool matchesForm(void* placed, void* form);
SIM_ABI void* findExtraDataByType(void* list, std::uint8_t type);
SIM_ABI void* dynamicCast(void* object, std::int32_t offset, const void* source, const void* target,
                          std::int32_t isReference);
}  // namespace host_query

// Raised by a query on a form marked "fault" in its galaxy: how tests make a
// host call fail inside a search.
struct HostFault {
    std::uint32_t formId;
};

// Calls of each game function since the last reset.
enum class FormQuery : std::size_t {
    LookupById,
    GetFullName,
    GetParentForm,
    GetNamedForm,
    GetLinkedForm,
    GetAltForm,
    IsFiltered,
    MatchesContext,
    MatchesForm,
    FindExtraDataByType,
    DynamicCast,
    TypeCode,
    Count
};
std::uint64_t formQueryCalls(FormQuery query);
void countFormQuery(FormQuery query);
void resetFormQueryCalls();

// Misuse of the game's functions (wrong arguments, a container searched
// without its lock, a virtual call the game does not expect), in order.
// Each is also recorded as a violation in the game's transcript.
std::vector<std::string> formViolations();
void recordFormViolation(std::string what);
void clearFormViolations();

}  // namespace hostsim
