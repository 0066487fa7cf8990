#include "state/plugin_state.h"

namespace lumora {

PluginStateRecord PluginState;

std::optional<ResultKey> ResultKeyMap::find(std::int32_t digit) const {
    for (const ResultKey& entry : m_entries)
        if (entry.key == digit) return entry;
    return std::nullopt;
}

}  // namespace lumora
