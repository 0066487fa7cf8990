#include "search/message_box.h"

#include "base/patch_code_bytes.h"
#include "host/bindings.h"
#include "host/engine_string.h"

namespace lumora {

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

bool showMessageBox(std::string title, std::string text) {
    void* titleText = reinterpret_cast<void*>(hostAddress(HostOffset::HostUi_MessageBoxTitleText));
    if (!patchCodeBytes(fitMessageBoxTitle(title), titleText)) return false;
    HostTitleRestorer restorer(titleText);
    EngineStringHandle handle(text.c_str());
    hostFunction<ShowMessageBoxFn>(HostOffset::HostUi_ShowMessageBox)(nullptr, 0, 0, handle.value());
    return true;
}

}  // namespace lumora
