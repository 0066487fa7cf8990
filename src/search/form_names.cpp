#include <cstring>

#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/host_layout.h"

namespace lumora {

std::string_view formDisplayNameView(void* form) {
    if (form == nullptr) return {};
    const char* name = hostFunction<GetFullNameFn>(HostOffset::HostForm_GetFullName)(form);
    return name != nullptr ? std::string_view(name) : std::string_view();
}

std::string formDisplayName(void* form) { return std::string(formDisplayNameView(form)); }

std::string_view engineStringTextView(const void* handle) {
    if (handle == nullptr) return {};
    const auto flags = readHostField<std::uint8_t>(handle, HostLayout::StringFlags);
    if (flags & HostLayout::StringHasNoNarrowText) return {};
    const auto length = readHostField<std::uint64_t>(handle, HostLayout::StringLength);
    if (length == 0) return {};
    const char* text = static_cast<const char*>(handle) + HostLayout::StringText;
    return std::string_view(text, strnlen(text, length));
}

std::string playerDisplayName() {
    void* player = readHostPointer(HostOffset::HostGlobal_PlayerCharacter);
    if (player == nullptr) return {};
    if (void* extra = findExtraData(player, HostLayout::ExtraTypeDisplayName)) {
        const auto handle = readHostField<const void*>(extra, HostLayout::ExtraPayload);
        if (std::string_view text = engineStringTextView(handle); !text.empty()) return std::string(text);
    }
    return formDisplayName(readHostField<void*>(player, HostLayout::PlacedBase));
}

std::string replaceAll(std::string_view text, std::string_view pattern, std::string_view replacement) {
    if (text.empty() || pattern.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(pattern); at != std::string_view::npos; at = text.find(pattern, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + pattern.size();
    }
    result.append(text, from, std::string_view::npos);
    return result;
}

}  // namespace lumora
