#include "search/search_log_line.h"

#include "base/plugin_log.h"
#include "state/clock.h"

namespace lumora {

SearchLogLine::SearchLogLine(const std::string& text) noexcept : text_(text), logging_(pluginLogAccepting()) {
    if (logging_) startedAtNs_ = NowNs();
}

void SearchLogLine::listed(std::size_t matches, std::size_t linesShown, bool closeNames) noexcept {
    matches_ = matches;
    linesShown_ = closeNames ? 0 : linesShown;
    closeNames_ = closeNames ? linesShown : 0;
}

SearchLogLine::~SearchLogLine() {
    if (!logging_) return;
    const std::int64_t elapsedMs = (NowNs() - startedAtNs_) / 1'000'000;
    // The quoted text allocates; without memory the line is left out.
    try {
        if (recentDestinations_ != 0) {
            appendLogLine("search %s: %u recent destinations listed, %lld ms", quotedLogText(text_).c_str(),
                          static_cast<unsigned>(recentDestinations_), static_cast<long long>(elapsedMs));
            return;
        }
        const std::string box = box_ != nullptr ? ", box " + quotedLogText(box_) : std::string();
        appendLogLine("search %s: %u matches, %u lines shown, %u close names%s, %lld ms", quotedLogText(text_).c_str(),
                      static_cast<unsigned>(matches_), static_cast<unsigned>(linesShown_),
                      static_cast<unsigned>(closeNames_), box.c_str(), static_cast<long long>(elapsedMs));
    } catch (...) {
    }
}

}  // namespace lumora
