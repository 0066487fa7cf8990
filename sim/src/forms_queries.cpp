// The game's functions that answer questions about forms. Each answers from
// the form's own bookkeeping; wrong arguments are recorded and answered with
// null or false, as a test double of a game that would otherwise crash.
#include <algorithm>
#include <cstdio>

#include "hostsim/answer_faults.h"
#include "hostsim/forms.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"

namespace hostsim {
namespace {

std::string describeForm(const void* form) {
    if (form == nullptr) return "null form";
    char text[32];
    std::snprintf(text, sizeof text, "form 0x%08X", static_cast<const FormHeader*>(form)->formId);
    return text;
}

const FormDetails* detailsOf(const void* form) {
    return form == nullptr ? nullptr : static_cast<const FormHeader*>(form)->details;
}

// The three-argument queries take (null, 0, form); anything else is a caller's mistake.
bool checkLeadingArguments(const char* function, const void* unused, std::int32_t zero, const void* form) {
    bool ok = true;
    if (unused != nullptr || zero != 0) {
        recordFormViolation(std::string(function) + ": first arguments must be null and 0");
        ok = false;
    }
    if (form == nullptr) {
        recordFormViolation(std::string(function) + ": called with a null form");
        ok = false;
    }
    return ok;
}

void throwIfFaulty(const void* form) {
    const FormDetails* details = detailsOf(form);
    if (details != nullptr && details->fault) throw HostFault{static_cast<const FormHeader*>(form)->formId};
}

}  // namespace

namespace host_query {

SIM_ABI void* lookupById(std::uint32_t formId) {
    countFormQuery(FormQuery::LookupById);
    if (takeAnswerFault(FormQuery::LookupById) != AnswerFault::None) return nullptr;
    Galaxy* galaxy = installedGalaxy();
    return galaxy == nullptr ? nullptr : galaxy->lookup(formId);
}

SIM_ABI const char* getFullName(void* form) {
    countFormQuery(FormQuery::GetFullName);
    if (form == nullptr) {
        recordFormViolation("HostForm_GetFullName: called with a null form");
        return nullptr;
    }
    throwIfFaulty(form);
    if (const AnswerFault fault = takeAnswerFault(FormQuery::GetFullName); fault != AnswerFault::None)
        return fault == AnswerFault::EmptyName ? "" : nullptr;
    const FormDetails* details = detailsOf(form);
    return details == nullptr ? nullptr : details->name;
}

SIM_ABI void* getParentForm(void* unused, std::int32_t zero, void* form) {
    countFormQuery(FormQuery::GetParentForm);
    if (!checkLeadingArguments("HostForm_GetParentForm", unused, zero, form)) return nullptr;
    if (takeAnswerFault(FormQuery::GetParentForm) != AnswerFault::None) return nullptr;
    const FormDetails* details = detailsOf(form);
    return details == nullptr ? nullptr : details->parentForm;
}

SIM_ABI void* getNamedForm(void* placed) {
    countFormQuery(FormQuery::GetNamedForm);
    if (placed == nullptr) {
        recordFormViolation("HostLocation_GetNamedForm: called with a null form");
        return nullptr;
    }
    if (takeAnswerFault(FormQuery::GetNamedForm) != AnswerFault::None) return nullptr;
    const FormDetails* details = detailsOf(placed);
    return details == nullptr ? nullptr : details->namedForm;
}

SIM_ABI void* getLinkedForm(void* unused, std::int32_t zero, void* placed) {
    countFormQuery(FormQuery::GetLinkedForm);
    if (!checkLeadingArguments("HostLocation_GetLinkedForm", unused, zero, placed)) return nullptr;
    if (takeAnswerFault(FormQuery::GetLinkedForm) != AnswerFault::None) return nullptr;
    const FormDetails* details = detailsOf(placed);
    return details == nullptr ? nullptr : details->linkedForm;
}

SIM_ABI void* getAltForm(void* unused, std::int32_t zero, void* placed) {
    countFormQuery(FormQuery::GetAltForm);
    if (!checkLeadingArguments("HostLocation_GetAltForm", unused, zero, placed)) return nullptr;
    if (takeAnswerFault(FormQuery::GetAltForm) != AnswerFault::None) return nullptr;
    const FormDetails* details = detailsOf(placed);
    return details == nullptr ? nullptr : details->altForm;
}

SIM_ABI bool isFiltered(void* unused, std::int32_t zero, void* placed) {
    countFormQuery(FormQuery::IsFiltered);
    if (!checkLeadingArguments("HostLocation_IsFiltered", unused, zero, placed)) return false;
    if (takeAnswerFault(FormQuery::IsFiltered) != AnswerFault::None) return false;
    const FormDetails* details = detailsOf(placed);
    return details != nullptr && details->filtered;
}

SIM_ABI bool matchesContext(void* placed, void* context) {
    countFormQuery(FormQuery::MatchesContext);
    if (placed == nullptr) {
        recordFormViolation("HostLocation_MatchesContext: called with a null form");
        return false;
    }
    Galaxy* galaxy = installedGalaxy();
    if (galaxy == nullptr || context == nullptr || context != galaxy->context()) {
        recordFormViolation("HostLocation_MatchesContext: " + describeForm(context) +
                            " is not the game's location context");
        return false;
    }
    if (takeAnswerFault(FormQuery::MatchesContext) != AnswerFault::None) return false;
    const FormDetails* details = detailsOf(placed);
    return details != nullptr && details->matchesContext;
}

SIM_ABI bool matchesForm(void* placed, void* form) {
    countFormQuery(FormQuery::MatchesForm);
    if (placed == nullptr || form == nullptr) {
        recordFormViolation("HostLocation_MatchesForm: called with a null form");
        return false;
    }
    if (takeAnswerFault(FormQuery::MatchesForm) != AnswerFault::None) return false;
    const FormDetails* details = detailsOf(placed);
    if (details == nullptr) return false;
    const std::uint32_t wanted = static_cast<const FormHeader*>(form)->formId;
    const std::uint32_t* end = details->matchingFormIds + details->matchingFormCount;
    return std::find(details->matchingFormIds, end, wanted) != end;
}

SIM_ABI void* findExtraDataByType(void* list, std::uint8_t type) {
    countFormQuery(FormQuery::FindExtraDataByType);
    if (list == nullptr) {
        recordFormViolation("HostExtraData_FindByType: called with a null list");
        return nullptr;
    }
    auto* container =
        reinterpret_cast<ExtraDataContainer*>(static_cast<std::uint8_t*>(list) - offsetof(ExtraDataContainer, list));
    if (container->lock.ownerThread.load() == 0 ||
        container->lock.acquisitions.load() <= container->lock.releases.load()) {
        recordFormViolation("HostExtraData_FindByType: container searched without holding its lock");
    }
    if (takeAnswerFault(FormQuery::FindExtraDataByType) != AnswerFault::None) return nullptr;
    for (ExtraDataEntry* entry = container->list.head; entry != nullptr; entry = entry->next) {
        if (entry->type == type) return entry;
    }
    return nullptr;
}

SIM_ABI void* dynamicCast(void* object, std::int32_t offset, const void* source, const void* target,
                          std::int32_t isReference) {
    countFormQuery(FormQuery::DynamicCast);
    if (offset != 0 || isReference != 0) {
        recordFormViolation("HostRuntime_DynamicCast: offset and reference flag must be 0");
        return nullptr;
    }
    if (source != at(form_offsets::CastSourceDescriptor) || target != at(form_offsets::KeywordListDescriptor)) {
        recordFormViolation("HostRuntime_DynamicCast: unknown type descriptors");
        return nullptr;
    }
    if (object == nullptr) return nullptr;
    throwIfFaulty(object);
    if (takeAnswerFault(FormQuery::DynamicCast) != AnswerFault::None) return nullptr;
    const FormDetails* details = detailsOf(object);
    return details == nullptr ? nullptr : details->keywordList;
}

}  // namespace host_query
}  // namespace hostsim
