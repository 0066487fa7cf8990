#pragma once
// The lines of the last search that its first box had no room for, kept so
// that the hotkey can show them ten at a time, and where a page turn stands.
#include <cstdint>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

namespace lumora {

// What one line of a later page is made of: "name | detail", selecting the
// form with formId.
struct PageLineSource {
    const void* listedForm = nullptr;  // the once-per-section rule compares it; it is never read
    std::uint32_t formId = 0;
    std::string name;
    std::string detail;
};

// One section's sources in print order, repeats of a form included (they are
// passed over when reached), and how far the pages have come.
struct PageSection {
    std::vector<PageLineSource> sources;
    std::size_t next = 0;  // kept on the next source that makes a line
    std::unordered_set<const void*> listed;
    bool exhausted() const { return next >= sources.size(); }
};

enum class PageTurn {
    None,
    Closing,  // the hotkey asked for the next page; the shown box is closing
    Ready,    // the box has closed: the game's thread shows the next page
};

struct ResultPagesRecord {
    std::string header;     // the first page's header line and the empty line below it
    std::string countLine;  // the first page's count line
    PageSection locations;
    PageSection planets;
    PageTurn turn = PageTurn::None;
    std::int64_t turnRequestedAtNs = 0;
    bool linesRemain() const { return !locations.exhausted() || !planets.exhausted(); }
};

static_assert(std::is_nothrow_move_constructible_v<ResultPagesRecord>,
              "dropping the pages moves them aside, which must not fail half way");

}  // namespace lumora
