#pragma once
// The plugin's process-wide shared state. Every field but the mutex is read and
// written only while the mutex is held.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "state/kept_result_lines.h"
#include "state/recent_destinations.h"

namespace lumora {

struct ResultKey {
    std::int32_t key;      // the digit printed in front of the line
    std::uint32_t formId;  // the body the line stands for
    // What the recent destinations keep of a chosen line: its text without
    // "[i] " and newline, and the name of the body it stands for.
    std::string lineText = {};
    std::string targetName = {};
};

// Digit-to-form map of the result box now shown, in print order.
class ResultKeyMap {
public:
    void clear() { m_entries.clear(); }
    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    void append(std::int32_t key, std::uint32_t formId) { m_entries.push_back({key, formId}); }
    void append(std::int32_t key, std::uint32_t formId, std::string lineText, std::string targetName) {
        m_entries.push_back({key, formId, std::move(lineText), std::move(targetName)});
    }
    // The first entry whose key equals the digit, if any.
    std::optional<ResultKey> find(std::int32_t digit) const;
    const std::vector<ResultKey>& entries() const { return m_entries; }

private:
    std::vector<ResultKey> m_entries;
};

struct PluginStateRecord {
    std::recursive_mutex mutex;
    bool textInputActive = false;
    bool resultsBoxOpen = false;
    bool promptRequested = false;
    std::int64_t textEditEndedAtNs = 0;
    std::int64_t starMapOpenedAtNs = 0;
    std::int64_t lastChoiceAtNs = 0;
    std::int64_t resultsShownAtNs = 0;
    std::int64_t lastKeyPollAtNs = 0;
    std::int64_t lastPromptRequestAtNs = 0;
    ResultKeyMap resultKeys;
    ResultPagesRecord resultPages;  // stays empty unless bPageResultsWithHotkey is on
    // Pages dropped on the game's thread, freed by the polling thread.
    std::vector<ResultPagesRecord> droppedResultPages;
    // The message box's last event was its opening: a close event with this
    // clear belongs to a box already closed (tracked for the pages).
    bool messageBoxOpenByEvents = false;
    std::string lastSearchText;  // the last non-empty text searched, as received; kept only when remembering is on
    RecentDestinationsRecord recentDestinations;  // stays empty unless bRecentDestinations is on
};

extern PluginStateRecord PluginState;

// Empties PluginState.resultPages. What they held is not freed here (after a
// one-letter search over a large galaxy that is hundreds of thousands of
// strings) but moved aside for takeDroppedResultPages. Mutex held.
void dropResultPages();

// What dropResultPages moved aside, for the caller to free once it has let
// go of the mutex. Mutex held.
std::vector<ResultPagesRecord> takeDroppedResultPages();

}  // namespace lumora
