#include <algorithm>
#include <array>

#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/host_layout.h"
#include "search/host_lock_guard.h"

namespace lumora {

namespace {
constexpr std::array<std::uint32_t, 5> kMapMarkerBaseIds = {0x10, 0x254244, 0x254245, 0x31FB3E, 0x13463B};
}  // namespace

std::uint8_t formTypeCode(void* form) {
    const auto* table = readHostField<const std::uint8_t*>(form, 0);
    const auto typeCode = readHostField<FormTypeFn>(table, HostLayout::TypeCodeVirtual);
    return typeCode(form);
}

void* findExtraData(void* object, std::uint8_t type) {
    auto* container = readHostField<std::uint8_t*>(object, HostLayout::ExtraContainer);
    if (container == nullptr) return nullptr;
    HostLockGuard lock(container + HostLayout::ContainerLock);
    return hostFunction<FindExtraDataFn>(HostOffset::HostExtraData_FindByType)(container + HostLayout::ContainerList,
                                                                               type);
}

bool isMapMarkerBase(void* base) {
    if (formTypeCode(base) != HostLayout::TypeMapMarkerBase) return false;
    const std::uint32_t id = hostFormId(base);
    return std::find(kMapMarkerBaseIds.begin(), kMapMarkerBaseIds.end(), id) != kMapMarkerBaseIds.end();
}

bool isKeywordEligible(void* base, void* placed, void* context, void* firstEligibilityForm,
                       void* secondEligibilityForm) {
    if (formTypeCode(base) != HostLayout::TypeEligibleBase) return false;
    static const MatchesFn matchesContext = hostFunction<MatchesFn>(HostOffset::HostLocation_MatchesContext);
    if (matchesContext(placed, context)) return true;
    const auto matchesForm = hostFunction<MatchesFn>(HostOffset::HostLocation_MatchesForm);
    return matchesForm(placed, firstEligibilityForm) || matchesForm(placed, secondEligibilityForm);
}

bool isStarMapVisibleMarker(void* placed) {
    void* extra = findExtraData(placed, HostLayout::ExtraTypeMarker);
    if (extra == nullptr) return false;
    const auto* markerData = readHostField<const std::uint8_t*>(extra, HostLayout::ExtraPayload);
    if (markerData == nullptr) return false;
    return (markerData[HostLayout::MarkerFlagsByte] & HostLayout::MarkerVisibleOnStarMap) != 0;
}

}  // namespace lumora
