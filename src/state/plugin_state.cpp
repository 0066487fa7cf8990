#include "state/plugin_state.h"

#include <new>
#include <utility>

namespace lumora {

PluginStateRecord PluginState;

std::optional<ResultKey> ResultKeyMap::find(std::int32_t digit) const {
    for (const ResultKey& entry : m_entries)
        if (entry.key == digit) return entry;
    return std::nullopt;
}

void dropResultPages() {
    ResultPagesRecord& pages = PluginState.resultPages;
    if (pages.locations.sources.empty() && pages.planets.sources.empty()) {
        pages = {};  // nothing to free
        return;
    }
    try {
        PluginState.droppedResultPages.push_back(std::move(pages));
    } catch (const std::bad_alloc&) {
        // No room to move them aside: they are freed here instead.
    }
    pages = {};
}

std::vector<ResultPagesRecord> takeDroppedResultPages() {
    // Only read when there is nothing: the polling thread calls this on every
    // pass, also while the process ends and the record is destroyed.
    if (PluginState.droppedResultPages.empty()) return {};
    return std::exchange(PluginState.droppedResultPages, {});
}

}  // namespace lumora
