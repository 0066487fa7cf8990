// Putting a galaxy behind the game's globals and its form functions at
// their offsets in the image.
#include <cstring>

#include "galaxy_store.h"
#include "hostsim/image.h"

namespace hostsim {
namespace {

std::unique_ptr<Galaxy>& installedSlot() {
    static std::unique_ptr<Galaxy> galaxy;
    return galaxy;
}

// The two run-time type descriptors the keyword cast names. Only their
// addresses matter to the cast; the text makes them recognisable in a dump.
void writeTypeDescriptor(std::uintptr_t offset, const char* className) {
    std::uint8_t* descriptor = at(offset);
    std::memset(descriptor, 0, 16);
    std::strcpy(reinterpret_cast<char*>(descriptor + 16), className);
}

void placeFormFunctions() {
    using namespace form_offsets;
    placeStub(LookupById, reinterpret_cast<const void*>(&host_query::lookupById));
    placeStub(GetFullName, reinterpret_cast<const void*>(&host_query::getFullName));
    placeStub(GetParentForm, reinterpret_cast<const void*>(&host_query::getParentForm));
    placeStub(GetNamedForm, reinterpret_cast<const void*>(&host_query::getNamedForm));
    placeStub(GetLinkedForm, reinterpret_cast<const void*>(&host_query::getLinkedForm));
    placeStub(GetAltForm, reinterpret_cast<const void*>(&host_query::getAltForm));
    placeStub(IsFiltered, reinterpret_cast<const void*>(&host_query::isFiltered));
    placeStub(MatchesContext, reinterpret_cast<const void*>(&host_query::matchesContext));
    placeStub(MatchesForm, reinterpret_cast<const void*>(&host_query::matchesForm));
    placeStub(FindExtraDataByType, reinterpret_cast<const void*>(&host_query::findExtraDataByType));
    placeStub(DynamicCast, reinterpret_cast<const void*>(&host_query::dynamicCast));
}

void writeGlobals(const Galaxy* galaxy) {
    namespace offsets = form_offsets;
    *dataAt<AllFormsMap*>(offsets::AllFormsMap) =
        galaxy != nullptr && !GalaxyAccess::store(*galaxy).nullAllFormsMap ? galaxy->allFormsMap() : nullptr;
    *dataAt<PlanetRegistry*>(offsets::NamedEntryRegistry) =
        galaxy != nullptr && !GalaxyAccess::store(*galaxy).nullPlanetRegistry ? galaxy->planetRegistry() : nullptr;
    *dataAt<FormHeader*>(offsets::PlayerCharacter) = galaxy != nullptr ? galaxy->player() : nullptr;
    *dataAt<FormHeader*>(offsets::LocationContext) = galaxy != nullptr ? galaxy->context() : nullptr;
}

}  // namespace

Galaxy& installGalaxy(const GalaxyDescription& description) {
    auto galaxy = std::make_unique<Galaxy>(description);
    writeGlobals(nullptr);
    installedSlot() = std::move(galaxy);
    writeTypeDescriptor(form_offsets::CastSourceDescriptor, ".?AVFormBase@hostsim@@");
    writeTypeDescriptor(form_offsets::KeywordListDescriptor, ".?AVKeywordList@hostsim@@");
    placeFormFunctions();
    writeGlobals(installedSlot().get());
    return *installedSlot();
}

Galaxy* installedGalaxy() { return installedSlot().get(); }

void uninstallGalaxy() {
    writeGlobals(nullptr);
    installedSlot().reset();
}

}  // namespace hostsim
