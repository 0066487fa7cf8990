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
    if (pages.turn == PageTurn::None) dropResultPages();
    else pages.turn = PageTurn::Ready;
}

void onMessageBoxOpenedForPages() {
    // The box a turn closes does not open again by itself, and the next page
    // is shown only after the turn has ended: this box is another one.
    if (PluginState.resultPages.turn != PageTurn::None) dropResultPages();
}

void showRequestedResultsPage() {
    ResultPagesRecord& pages = PluginState.resultPages;
    // Nothing says the game takes a closed box off its list of open menus
    // before it tells of the close: until it has, the turn waits.
    const bool boxLeaving = pages.turn == PageTurn::Ready && IsMenuOpen(kMessageBoxMenu);
    if (pages.turn == PageTurn::Closing || boxLeaving) {
        if (NowNs() - pages.turnRequestedAtNs >= kPageTurnCloseWaitNs) dropResultPages();
        return;
    }
    if (pages.turn != PageTurn::Ready) return;
    if (!IsMenuOpen(kStarMapMenu) || IsMenuOpen(kTextInputMenu) || IsMenuOpen(kConsoleMenu)) {
        dropResultPages();
        return;
    }
    pages.turn = PageTurn::None;
    ResultsListing page;
    try {
        page = buildNextResultsPage(pages, UiTexts);
    } catch (...) {
        // Half-built pages are not kept: the player can search again.
        dropResultPages();
        throw;
    }
    if (!pages.linesRemain()) dropResultPages();
    appendLogLine("results page turned: %u lines shown", static_cast<unsigned>(page.keys.size()));
    PluginState.resultKeys = std::move(page.keys);
    PluginState.resultsShownAtNs = NowNs();
    showMessageBox(UiTexts.searchResults, std::move(page.text));
}

}  // namespace lumora
