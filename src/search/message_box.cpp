#include "search/message_box.h"

#include "hook/patch_code_bytes.h"
#include "host/bindings.h"
#include "host/engine_string.h"

namespace {

const std::vector<std::uint8_t> kHostOwnTitle = {'D', 'E', 'B', 'U', 'G', 0, 0, 0, 0, 0, 0, 0};
static_assert(kHostTitleCapacity == 12);

// Writes the game's own title back however the box call is left.
class HostTitleRestorer {
public:
    explicit HostTitleRestorer(void* titleText) : m_titleText(titleText) {}
    ~HostTitleRestorer() { patchCodeBytes(kHostOwnTitle, m_titleText); }
    HostTitleRestorer(const HostTitleRestorer&) = delete;
    HostTitleRestorer& operator=(const HostTitleRestorer&) = delete;

private:
    void* m_titleText;
};

}  // namespace

std::vector<std::uint8_t> fitMessageBoxTitle(const std::string& title) {
    std::string shown = title.empty() ? std::string(" ") : title;
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

bool showMessageBox(std::string title, std::string text) {
    void* titleText = reinterpret_cast<void*>(hostAddress(HostOffset::HostUi_MessageBoxTitleText));
    if (!patchCodeBytes(fitMessageBoxTitle(title), titleText)) return false;
    HostTitleRestorer restorer(titleText);
    EngineStringHandle handle(text.c_str());
    hostFunction<ShowMessageBoxFn>(HostOffset::HostUi_ShowMessageBox)(nullptr, 0, 0, handle.value());
    return true;
}
