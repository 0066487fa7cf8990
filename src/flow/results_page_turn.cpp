#include "flow/results_page_turn.h"

#include "base/plugin_log.h"
#include "config/ui_texts.h"
#include "host/game_names.h"
#include "host/ui.h"
#include "search/message_box.h"
#include "search/result_pages.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

void onMessageBoxClosedForPages() {
    ResultPagesRecord& pages = PluginState.resultPages;
    if (pages.turn == PageTurn::None) pages = {};
    else pages.turn = PageTurn::Ready;
}

void showRequestedResultsPage() {
    ResultPagesRecord& pages = PluginState.resultPages;
    if (pages.turn == PageTurn::Closing) {
        if (NowNs() - pages.turnRequestedAtNs >= kPageTurnCloseWaitNs) pages = {};
        return;
    }
    if (pages.turn != PageTurn::Ready) return;
    if (!IsMenuOpen(kStarMapMenu) || IsMenuOpen(kMessageBoxMenu) || IsMenuOpen(kTextInputMenu) ||
        IsMenuOpen(kConsoleMenu)) {
        pages = {};
        return;
    }
    pages.turn = PageTurn::None;
    ResultsListing page;
    try {
        page = buildNextResultsPage(pages, UiTexts);
    } catch (...) {
        // Half-built pages are not kept: the player can search again.
        pages = {};
        throw;
    }
    if (!pages.linesRemain()) pages = {};
    appendLogLine("results page turned: %u lines shown", static_cast<unsigned>(page.keys.size()));
    PluginState.resultKeys = std::move(page.keys);
    PluginState.resultsShownAtNs = NowNs();
    showMessageBox(UiTexts.searchResults, std::move(page.text));
}

}  // namespace lumora
