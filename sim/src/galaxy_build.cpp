// Building a galaxy's structures: forms scattered over memory, their extra
// data, keyword lists, the all-forms map and the planet registry.
#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>
#include <unordered_set>

#include "galaxy_store.h"
#include "hostsim/engine_strings.h"

namespace hostsim {

void* ScatterArena::allocate(std::size_t size, std::size_t alignment) {
    // Up to three cache lines of poisoned gap before each object.
    const std::size_t gap = static_cast<std::size_t>(random_() % 4) * 64;
    std::size_t start = (used_ + gap + alignment - 1) / alignment * alignment;
    if (chunks_.empty() || start + size > chunkSize_) {
        // Chunks grow so a small galaxy stays small and a large one needs few.
        const std::size_t next = chunks_.empty() ? kFirstChunkSize : std::min(chunkSize_ * 2, kLargestChunkSize);
        chunkSize_ = std::max(next, size + alignment);
        chunks_.emplace_back(new std::byte[chunkSize_]);
        std::memset(chunks_.back().get(), kPoisonByte, chunkSize_);
        used_ = 0;
        start = 0;
    }
    used_ = start + size;
    void* memory = chunks_.back().get() + start;
    std::memset(memory, 0, size);
    return memory;
}

namespace {

bool hasPlacedFields(const FormRecord& form) {
    return form.base || form.aux || form.parent || form.chainGiven || form.container == ContainerMode::Present ||
           form.marker != MarkerKind::Absent || form.displayName || form.typeCode == type_code::Placed ||
           form.typeCode == type_code::Actor;
}

bool needsContainer(const FormRecord& form) {
    if (form.container != ContainerMode::Auto) return form.container == ContainerMode::Present;
    return form.marker != MarkerKind::Absent || form.displayName || form.typeCode == type_code::Placed ||
           form.typeCode == type_code::Actor;
}

bool needsDetails(const FormRecord& form) {
    return form.name || form.parent || form.named || form.linked || form.alt || form.keywords ||
           !form.matches.empty() || form.filtered || form.matchesContext || form.fault;
}

// Forms that somebody treats as more than a header: reached as a relation.
std::unordered_set<std::uint32_t> formsReachedAsRelations(const GalaxyDescription& galaxy) {
    std::unordered_set<std::uint32_t> reached;
    auto note = [&](const FormRef& ref) {
        if (ref) reached.insert(*ref);
    };
    for (const FormRecord& form : galaxy.forms) {
        note(form.parent);
        note(form.chain);
        note(form.base);
        note(form.aux);
        note(form.named);
        note(form.linked);
        note(form.alt);
    }
    note(galaxy.player);
    note(galaxy.context);
    for (const FormRef& planet : galaxy.planets) note(planet);
    return reached;
}

FormHeader* resolve(const GalaxyStore& store, const FormRef& ref) {
    if (!ref) return nullptr;
    return store.byId.at(*ref);
}

FullForm* resolveFull(const GalaxyStore& store, const FormRef& ref) {
    if (!ref) return nullptr;
    return store.fullById.at(*ref);
}

constexpr std::size_t roundUp(std::size_t size, std::size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

// Where the parts of one form's block start. The game keeps what its query
// functions answer inside the form, past the fields the plugin reads, so a
// query touches the form's own memory and nothing else: the details record,
// the keyword-list part the cast returns and its keyword array, the ids
// HostLocation_MatchesForm accepts, and the name's text.
struct FormBlock {
    std::size_t details = 0;
    std::size_t keywordList = 0;
    std::size_t keywordArray = 0;
    std::size_t matchIds = 0;
    std::size_t name = 0;
    std::size_t size = 0;
};

FormBlock planFormBlock(const FormRecord& record, std::size_t layoutSize) {
    FormBlock block;
    block.size = layoutSize;
    if (!needsDetails(record)) return block;
    block.details = roundUp(block.size, alignof(FormDetails));
    block.size = block.details + sizeof(FormDetails);
    if (record.keywords) {
        block.keywordList = roundUp(block.size, alignof(KeywordList));
        block.keywordArray = block.keywordList + sizeof(KeywordList);
        block.size = block.keywordArray + sizeof(FormHeader*) * record.keywords->size();
    }
    if (!record.matches.empty()) {
        block.matchIds = roundUp(block.size, alignof(std::uint32_t));
        block.size = block.matchIds + sizeof(std::uint32_t) * record.matches.size();
    }
    if (record.name) {
        block.name = block.size;
        block.size += record.name->size() + 1;
    }
    return block;
}

// One block per form: the layout the plugin reads, then, for forms the game
// answers questions about, the details behind the header's details pointer.
// The relations between forms are filled in by fillDetails once every form
// has its address.
FormHeader* allocateForm(GalaxyStore& store, const FormRecord& record, bool fullLayout) {
    const FormBlock block = planFormBlock(record, fullLayout ? sizeof(FullForm) : sizeof(FormHeader));
    auto* memory = static_cast<std::uint8_t*>(store.arena.allocate(block.size, 16));
    FormHeader* header = fullLayout ? &(new (memory) FullForm{})->header : new (memory) FormHeader{};
    if (block.details == 0) return header;
    auto* details = new (memory + block.details) FormDetails{};
    if (record.keywords) {
        auto* list = new (memory + block.keywordList) KeywordList{};
        list->count = static_cast<std::uint32_t>(record.keywords->size());
        if (!record.keywords->empty()) list->keywords = reinterpret_cast<FormHeader**>(memory + block.keywordArray);
        details->keywordList = list;
    }
    if (!record.matches.empty()) {
        auto* ids = reinterpret_cast<std::uint32_t*>(memory + block.matchIds);
        std::copy(record.matches.begin(), record.matches.end(), ids);
        details->matchingFormIds = ids;
        details->matchingFormCount = static_cast<std::uint32_t>(record.matches.size());
    }
    if (record.name) {
        auto* name = reinterpret_cast<char*>(memory + block.name);
        std::memcpy(name, record.name->c_str(), record.name->size() + 1);
        details->name = name;
    }
    header->details = details;
    return header;
}

void allocateForms(GalaxyStore& store, const GalaxyDescription& galaxy) {
    const std::unordered_set<std::uint32_t> reached = formsReachedAsRelations(galaxy);
    std::vector<std::size_t> order(galaxy.forms.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937_64 random(galaxy.seed ^ 0x5CA77E2Dull);
    std::shuffle(order.begin(), order.end(), random);
    store.byId.reserve(galaxy.forms.size());
    for (const std::size_t index : order) {
        const FormRecord& record = galaxy.forms[index];
        const bool fullLayout = hasPlacedFields(record) || reached.contains(record.id);
        FormHeader* header = allocateForm(store, record, fullLayout);
        if (fullLayout) store.fullById.emplace(record.id, reinterpret_cast<FullForm*>(header));
        header->virtualTable = virtualTableFor(record.typeCode);
        header->flags = record.flags;
        header->formId = record.id;
        store.byId.emplace(record.id, header);
    }
}

void fillDetails(GalaxyStore& store, const FormRecord& record, FormHeader* header) {
    FormDetails* details = header->details;
    if (details == nullptr) return;
    details->parentForm = resolve(store, record.parent);
    details->namedForm = resolve(store, record.named);
    details->linkedForm = resolve(store, record.linked);
    details->altForm = resolve(store, record.alt);
    if (record.keywords) {
        for (std::size_t i = 0; i < record.keywords->size(); ++i)
            details->keywordList->keywords[i] = resolve(store, (*record.keywords)[i]);
    }
    details->filtered = record.filtered;
    details->matchesContext = record.matchesContext;
    details->fault = record.fault;
}

ExtraDataEntry* prependEntry(GalaxyStore& store, ExtraDataContainer* container, std::uint8_t type, void* payload) {
    auto* entry = store.arena.make<ExtraDataEntry>();
    entry->type = type;
    entry->payload = payload;
    entry->next = container->list.head;
    container->list.head = entry;
    ++container->list.count;
    return entry;
}

// Extra data the search never asks for, so a lookup has to walk past it.
constexpr std::uint8_t kExtraOwnership = 0x21;
constexpr std::uint8_t kExtraLighting = 0x47;

void fillContainer(GalaxyStore& store, const FormRecord& record, FullForm* full) {
    if (!needsContainer(record)) return;
    auto* container = store.arena.make<ExtraDataContainer>();
    store.containers.push_back(container);
    full->extraData = container;
    prependEntry(store, container, kExtraLighting, nullptr);
    if (record.displayName) {
        EngineStringHandle handle = internEngineString(record.displayName->c_str());
        if (record.displayNameFlags != 0) setEngineStringFlags(handle, record.displayNameFlags);
        prependEntry(store, container, kExtraDisplayName, handle);
    }
    if (record.marker == MarkerKind::Flags) {
        auto* marker = store.arena.make<MarkerData>();
        marker->flags = record.markerFlags;
        prependEntry(store, container, kExtraMapMarker, marker);
    } else if (record.marker == MarkerKind::NoData) {
        prependEntry(store, container, kExtraMapMarker, nullptr);
    }
    prependEntry(store, container, kExtraOwnership, nullptr);
}

void linkForms(GalaxyStore& store, const GalaxyDescription& galaxy) {
    for (const FormRecord& record : galaxy.forms) {
        FormHeader* header = store.byId.at(record.id);
        fillDetails(store, record, header);
        auto full = store.fullById.find(record.id);
        if (full == store.fullById.end()) continue;
        FullForm* form = full->second;
        form->baseObject = resolveFull(store, record.base);
        form->auxForm = resolveFull(store, record.aux);
        form->parentLink = resolveFull(store, record.chainGiven ? record.chain : record.parent);
        fillContainer(store, record, form);
    }
}

// Every third occupied slot is followed by a free one, so a walk in slot
// order meets free slots between the forms.
void buildOrderedSlots(GalaxyStore& store, const std::vector<std::pair<std::uint32_t, FormHeader*>>& entries) {
    const std::uint64_t slotCount = entries.size() + entries.size() / 3 + 1;
    store.slots = std::make_unique<MapSlot[]>(slotCount);
    for (std::uint64_t i = 0; i < slotCount; ++i) store.slots[i] = MapSlot{0, 0, nullptr, kEmptySlot, 0};
    std::uint64_t next = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [key, form] = entries[i];
        store.slots[next++] = MapSlot{key, 0, form, static_cast<std::uint32_t>(slotCount), 0};
        store.orderedIndex.emplace(key, form);
        if (i % 3 == 2) ++next;
    }
    store.slotsInFileOrder = true;
    store.map->slots = store.slots.get();
    store.map->slotCount = slotCount;
    store.map->freeCount = slotCount - entries.size();
}

void buildMap(GalaxyStore& store, const GalaxyDescription& galaxy) {
    std::vector<std::pair<std::uint32_t, FormHeader*>> entries;
    entries.reserve(galaxy.forms.size() + galaxy.extraSlots.size());
    for (const FormRecord& record : galaxy.forms)
        if (record.listed) entries.emplace_back(record.id, store.byId.at(record.id));
    for (const SlotRecord& slot : galaxy.extraSlots) entries.emplace_back(slot.key, resolve(store, slot.form));
    store.map = store.arena.make<AllFormsMap>();
    if (galaxy.slotsInFileOrder) {
        buildOrderedSlots(store, entries);
        return;
    }
    std::uint64_t slotCount = 16;
    while (slotCount < entries.size() + entries.size() / 4 + 1) slotCount *= 2;
    store.slots = std::make_unique<MapSlot[]>(slotCount);
    for (std::uint64_t i = 0; i < slotCount; ++i) store.slots[i] = MapSlot{0, 0, nullptr, kEmptySlot, 0};
    // The game entered its forms as it loaded and created them, in no
    // particular order of id.
    std::mt19937_64 random(store.seed ^ 0x51075EEDull);
    std::shuffle(entries.begin(), entries.end(), random);
    std::uint64_t freeCursor = slotCount - 1;
    for (const auto& [key, form] : entries) insertSlot(store.slots.get(), slotCount, store.seed, key, form, freeCursor);
    store.map->slots = store.slots.get();
    store.map->slotCount = slotCount;
    store.map->freeCount = slotCount - entries.size();
}

void buildRegistry(GalaxyStore& store, const GalaxyDescription& galaxy) {
    store.registry = store.arena.make<PlanetRegistry>();
    for (const FormRef& planet : galaxy.planets) store.registryEntries.push_back(resolve(store, planet));
    store.registry->count = static_cast<std::uint32_t>(store.registryEntries.size());
    store.registry->entries = store.registryEntries.empty() ? nullptr : store.registryEntries.data();
}

}  // namespace

Galaxy::Galaxy(const GalaxyDescription& description) : store_(std::make_unique<GalaxyStore>(description.seed)) {
    validateGalaxy(description);
    GalaxyStore& store = *store_;
    allocateForms(store, description);
    linkForms(store, description);
    buildMap(store, description);
    buildRegistry(store, description);
    store.player = resolve(store, description.player);
    store.context = resolve(store, description.context);
    store.nullAllFormsMap = description.nullAllFormsMap;
    store.nullPlanetRegistry = description.nullPlanetRegistry;
}

Galaxy::~Galaxy() = default;

FormHeader* Galaxy::form(std::uint32_t id) const {
    auto it = store_->byId.find(id);
    return it == store_->byId.end() ? nullptr : it->second;
}

FullForm* Galaxy::fullForm(std::uint32_t id) const {
    auto it = store_->fullById.find(id);
    return it == store_->fullById.end() ? nullptr : it->second;
}

AllFormsMap* Galaxy::allFormsMap() const { return store_->map; }
PlanetRegistry* Galaxy::planetRegistry() const { return store_->registry; }
FormHeader* Galaxy::player() const { return store_->player; }
FormHeader* Galaxy::context() const { return store_->context; }
std::size_t Galaxy::formCount() const { return store_->byId.size(); }
std::size_t Galaxy::containerCount() const { return store_->containers.size(); }

FormHeader* Galaxy::lookup(std::uint32_t id) const {
    if (store_->slotsInFileOrder) {
        auto it = store_->orderedIndex.find(id);
        return it == store_->orderedIndex.end() ? nullptr : it->second;
    }
    return findSlot(store_->map->slots, store_->map->slotCount, store_->seed, id);
}

bool Galaxy::containerLocksBalanced() const {
    return std::all_of(store_->containers.begin(), store_->containers.end(),
                       [](const ExtraDataContainer* c) { return isBalanced(c->lock); });
}

}  // namespace hostsim
