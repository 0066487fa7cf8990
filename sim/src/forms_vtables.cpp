// The game's form classes as the plugin sees them: one virtual table per
// type code. Entry 34 answers the type code; every other entry is a function
// the search never has reason to call, so calling one is recorded.
#include <array>
#include <string>
#include <utility>

#include "hostsim/forms.h"

namespace hostsim {
namespace {

constexpr std::size_t kTypeCodeEntry = kTypeCodeVtableByte / sizeof(void*);
static_assert(kTypeCodeEntry == 34);
static_assert(kTypeCodeEntry < kVirtualTableEntries);

template <std::uint8_t Code>
SIM_ABI std::uint8_t answerTypeCode(const void*) {
    countFormQuery(FormQuery::TypeCode);
    return Code;
}

template <std::size_t Entry>
SIM_ABI std::uintptr_t unexpectedVirtualCall(const void* self) {
    recordFormViolation("virtual call to entry " + std::to_string(Entry) + " of a form's table");
    return 0;
}

using VirtualTable = std::array<const void*, kVirtualTableEntries>;

template <std::uint8_t Code, std::size_t... Entry>
constexpr VirtualTable makeTable(std::index_sequence<Entry...>) {
    return VirtualTable{(Entry == kTypeCodeEntry ? reinterpret_cast<const void*>(&answerTypeCode<Code>)
                                                 : reinterpret_cast<const void*>(&unexpectedVirtualCall<Entry>))...};
}

template <std::size_t... Code>
std::array<VirtualTable, 256> makeAllTables(std::index_sequence<Code...>) {
    return {makeTable<static_cast<std::uint8_t>(Code)>(std::make_index_sequence<kVirtualTableEntries>{})...};
}

const std::array<VirtualTable, 256>& allTables() {
    static const std::array<VirtualTable, 256> tables = makeAllTables(std::make_index_sequence<256>{});
    return tables;
}

}  // namespace

const void* const* virtualTableFor(std::uint8_t typeCode) { return allTables()[typeCode].data(); }

std::uint8_t typeCodeOf(const FormHeader* form) {
    using TypeCodeFn = std::uint8_t(SIM_ABI*)(const void*);
    // The table holds code addresses as const void*; reinterpret_cast may not drop
    // the const, which clang also enforces for a cast to a function pointer.
    auto fn = reinterpret_cast<TypeCodeFn>(const_cast<void*>(form->virtualTable[kTypeCodeEntry]));
    return fn(form);
}

}  // namespace hostsim
