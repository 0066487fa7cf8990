#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/host_layout.h"

namespace lumora {

namespace {

bool keywordListHolds(void* list, std::uint32_t keywordId) {
    const auto count = readHostField<std::uint32_t>(list, HostLayout::KeywordCount);
    auto* const* keywords = readHostField<void* const*>(list, HostLayout::KeywordArray);
    if (keywords == nullptr) return false;
    for (std::uint32_t i = 0; i < count; ++i)
        if (keywords[i] != nullptr && hostFormId(keywords[i]) == keywordId) return true;
    return false;
}

}  // namespace

void* findAncestorWithKeyword(void* form, void* keyword) {
    if (form == nullptr) return nullptr;
    if (keyword == nullptr) {
        try {
            keyword = HostStartup.lookupById(kAncestorKeywordFormId);
        } catch (...) {
            return nullptr;
        }
        if (keyword == nullptr) return nullptr;
    }
    const std::uint32_t keywordId = hostFormId(keyword);
    const void* castSource = reinterpret_cast<const void*>(hostAddress(HostOffset::HostTypeDescriptor_CastSource));
    const void* keywordList = reinterpret_cast<const void*>(hostAddress(HostOffset::HostTypeDescriptor_KeywordList));

    void* ancestor = readHostField<void*>(form, HostLayout::ParentLink);
    for (int link = 0; link < kMaxAncestorLinks && ancestor != nullptr; ++link) {
        void* list = nullptr;
        try {
            list = HostStartup.dynamicCast(ancestor, 0, castSource, keywordList, 0);
        } catch (...) {
            return nullptr;
        }
        if (list != nullptr && keywordListHolds(list, keywordId)) return ancestor;
        ancestor = readHostField<void*>(ancestor, HostLayout::ParentLink);
    }
    return nullptr;
}

}  // namespace lumora
