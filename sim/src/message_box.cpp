// The game's message box: its title comes from a fixed 12-byte text in the
// image, read when the box is requested.
#include <cstring>

#include "hostsim/game_code.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"

namespace hostsim {
namespace {

std::uint8_t* titleText() { return at(offsets::HostUi_MessageBoxTitleText); }

bool titleGuardIntact() {
    const std::uint8_t* guard = titleText() + sizeof kMessageBoxTitleText;
    for (std::size_t i = 0; i < kTitleGuardSize; ++i)
        if (guard[i] != kTitleGuardByte) return false;
    return true;
}

// The title as the game reads it: a C string starting at the title text.
std::string readTitle() {
    const char* title = reinterpret_cast<const char*>(titleText());
    const std::size_t limit = sizeof kMessageBoxTitleText + kTitleGuardSize;
    return std::string(title, strnlen(title, limit));
}

void checkTitleRestored() {
    if (std::memcmp(titleText(), kMessageBoxTitleText, sizeof kMessageBoxTitleText) != 0)
        recordViolation("message box title text not restored to \"DEBUG\" after the box");
    if (!titleGuardIntact()) recordViolation("bytes after the message box title text were changed");
}

}  // namespace

void placeUiData() {
    std::memcpy(titleText(), kMessageBoxTitleText, sizeof kMessageBoxTitleText);
    std::memset(titleText() + sizeof kMessageBoxTitleText, kTitleGuardByte, kTitleGuardSize);
    std::memcpy(at(offsets::HostPatch_TextInputCompare), kTextInputCompareOriginal, sizeof kTextInputCompareOriginal);
}

SIM_ABI void showMessageBoxHost(void* owner, std::uint64_t reserved1, std::uint64_t reserved2,
                                EngineStringHandle text) {
    GameCodeScope gameCode;
    MessageBoxRecord record{readTitle(), {}};
    if (!titleGuardIntact()) recordViolation("bytes after the message box title text were changed");
    if (owner != nullptr || reserved1 != 0 || reserved2 != 0)
        recordViolation("HostUi_ShowMessageBox with arguments other than null, 0, 0 before the text");
    if (!isEngineString(text)) {
        recordViolation("HostUi_ShowMessageBox with a text that is not a string handle");
    } else {
        if (!engineStringHeld(text)) recordViolation("HostUi_ShowMessageBox with a text handle nobody holds");
        record.text = engineStringText(text);
    }
    recordTranscriptLine("message box title " + quoted(record.title) + " text " + quoted(record.text));
    addMessageBoxRecord(std::move(record));
    // The box opens on the game thread's next frame; by then the caller must
    // have put the game's own title back.
    queueMenuOpen("MessageBoxMenu", checkTitleRestored);
}

}  // namespace hostsim
