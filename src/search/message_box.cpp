#include "search/message_box.h"

#include "base/patch_code_bytes.h"
#include "host/bindings.h"
#include "host/engine_string.h"

namespace lumora {

namespace {

const std::vector<std::uint8_t> kHostOwnTitle = {'D', 'E', 'B', 'U', 'G', 0, 0, 0, 0, 0, 0, 0};
static_assert(kHostTitleCapacity == 12);

// Writes the game's own title back however the box call is left. The bytes
// are copied up front: the restore moves them and allocates nothing, so it
// cannot fail (or throw out of a destructor) for want of memory.
class HostTitleRestorer {
public:
    HostTitleRestorer(void* titleText, std::vector<std::uint8_t> ownTitle)
        : m_titleText(titleText), m_ownTitle(std::move(ownTitle)) {}
    // A failed restore is not reported: the box has been shown, and there is
    // no one on the game's thread to tell.
    ~HostTitleRestorer() { patchCodeBytes(std::move(m_ownTitle), m_titleText); }
    HostTitleRestorer(const HostTitleRestorer&) = delete;
    HostTitleRestorer& operator=(const HostTitleRestorer&) = delete;

private:
    void* m_titleText;
    std::vector<std::uint8_t> m_ownTitle;
};

}  // namespace

bool showMessageBox(std::string title, std::string text) {
    void* titleText = reinterpret_cast<void*>(hostAddress(HostOffset::HostUi_MessageBoxTitleText));
    std::vector<std::uint8_t> ownTitle = kHostOwnTitle;
    if (!patchCodeBytes(fitMessageBoxTitle(title), titleText)) return false;
    HostTitleRestorer restorer(titleText, std::move(ownTitle));
    EngineStringHandle handle(text.c_str());
    hostFunction<ShowMessageBoxFn>(HostOffset::HostUi_ShowMessageBox)(nullptr, 0, 0, handle.value());
    return true;
}

}  // namespace lumora
