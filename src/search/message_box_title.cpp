#include <string>
#include <vector>

#include "search/message_box.h"

namespace lumora {

std::vector<std::uint8_t> fitMessageBoxTitle(std::string_view title) {
    std::string shown = title.empty() ? std::string(" ") : std::string(title);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) >= 0x80) c = '#';
    constexpr std::size_t maxLength = kHostTitleCapacity - 1;
    if (shown.size() > maxLength) {
        const std::size_t blank = shown.find_last_of(' ', maxLength - 1);
        // A cut at a leading blank would leave nothing to show.
        shown.resize(blank != std::string::npos && blank > 0 ? blank : maxLength);
    }
    std::vector<std::uint8_t> bytes(shown.begin(), shown.end());
    bytes.push_back(0);
    return bytes;
}

}  // namespace lumora
