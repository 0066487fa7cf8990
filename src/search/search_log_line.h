#pragma once
// The log's line for one search: the text, how many matches it found, how
// many lines and close names its box showed (or which box ended it), and the
// milliseconds it took. Written when the search returns, whichever way.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lumora {

class SearchLogLine {
public:
    // Takes the start time only while the log takes lines, so that a search
    // with the log off pays one flag test.
    explicit SearchLogLine(const std::string& text) noexcept;
    ~SearchLogLine();
    SearchLogLine(const SearchLogLine&) = delete;
    SearchLogLine& operator=(const SearchLogLine&) = delete;

    // The search ended with a box that lists nothing: an error or no matches.
    void endedWithBox(const char* message) noexcept { box_ = message; }
    void endedWithBox(const std::string& message) noexcept { box_ = message.c_str(); }
    // The search showed its box of lines: results, or close names when no
    // result matched.
    void listed(std::size_t matches, std::size_t linesShown, bool closeNames) noexcept;
    // An empty search listed the bodies chosen last.
    void listedRecentDestinations(std::size_t bodies) noexcept { recentDestinations_ = bodies; }

private:
    const std::string& text_;
    bool logging_ = false;
    std::int64_t startedAtNs_ = 0;
    const char* box_ = nullptr;
    std::size_t matches_ = 0;
    std::size_t linesShown_ = 0;
    std::size_t closeNames_ = 0;
    std::size_t recentDestinations_ = 0;
};

}  // namespace lumora
