// Checks that a galaxy can be built: unique ids, every reference resolved.
#include <cstdio>
#include <unordered_map>

#include "hostsim/galaxy.h"

namespace hostsim {
namespace {

std::string hexId(std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", id);
    return hex;
}

}  // namespace

void validateGalaxy(const GalaxyDescription& galaxy, const std::string& sourceName) {
    std::unordered_map<std::uint32_t, const FormRecord*> byId;
    byId.reserve(galaxy.forms.size());
    for (const FormRecord& form : galaxy.forms) {
        if (!byId.emplace(form.id, &form).second)
            throw GalaxyFileError(sourceName, form.line, "id", "form " + hexId(form.id) + " is described twice");
    }
    auto require = [&](const FormRef& ref, int line, const char* field) {
        if (ref && !byId.contains(*ref)) throw GalaxyFileError(sourceName, line, field, "no form " + hexId(*ref));
    };
    for (const FormRecord& form : galaxy.forms) {
        require(form.parent, form.line, "parent");
        if (form.chainGiven) require(form.chain, form.line, "chain");
        require(form.base, form.line, "base");
        require(form.aux, form.line, "aux");
        require(form.named, form.line, "named");
        require(form.linked, form.line, "linked");
        require(form.alt, form.line, "alt");
        if (form.keywords)
            for (const FormRef& keyword : *form.keywords) require(keyword, form.line, "keywords");
        if (form.container == ContainerMode::Absent && form.marker != MarkerKind::Absent)
            throw GalaxyFileError(sourceName, form.line, "container", "map-marker data needs a container");
        if (form.container == ContainerMode::Absent && form.displayName)
            throw GalaxyFileError(sourceName, form.line, "container", "a display name needs a container");
    }
    for (const SlotRecord& slot : galaxy.extraSlots) require(slot.form, slot.line, "form");
    require(galaxy.player, 0, "player");
    require(galaxy.context, 0, "context");
    for (const FormRef& planet : galaxy.planets) require(planet, 0, "planets");
}

}  // namespace hostsim
