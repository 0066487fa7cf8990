#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/host_layout.h"

namespace lumora {

std::vector<void*> collectPlanetForms() {
    std::vector<void*> planets;
    const void* registry = readHostPointer(HostOffset::HostGlobal_NamedEntryRegistry);
    if (registry == nullptr) return planets;
    const auto count = readHostField<std::uint32_t>(registry, HostLayout::PlanetCount);
    auto* const* array = readHostField<void* const*>(registry, HostLayout::PlanetArray);
    if (array == nullptr) return planets;
    planets.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        if (array[i] != nullptr) planets.push_back(array[i]);
    return planets;
}

}  // namespace lumora
