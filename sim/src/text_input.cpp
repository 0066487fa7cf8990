// The game's text input menu. Opening it passes a compare instruction in the
// game's code that refuses the menu in this context unless it was forced to
// compare a register with itself.
#include <cstring>

#include "hostsim/game_code.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"

namespace hostsim {
namespace {

const std::uint8_t* compareBytes() { return at(offsets::HostPatch_TextInputCompare); }

bool compareBytesAre(const std::uint8_t (&expected)[3]) {
    return std::memcmp(compareBytes(), expected, sizeof expected) == 0;
}

void checkCompareRestored() {
    if (!compareBytesAre(kTextInputCompareOriginal))
        recordViolation("text input compare bytes not restored to 48 3B FB after the menu call");
}

}  // namespace

SIM_ABI void openTextInputMenuHost(const char* header, const char* defaultText, std::uint64_t mode) {
    GameCodeScope gameCode;
    PromptRecord record{header ? header : "", defaultText ? defaultText : "", mode,
                        compareBytesAre(kTextInputCompareForced)};
    if (header == nullptr || defaultText == nullptr)
        recordViolation("HostUi_OpenTextInputMenu with a null header or default text");
    recordTranscriptLine("prompt header " + quoted(record.header) + " text " + quoted(record.defaultText) + " mode " +
                         std::to_string(mode));
    const bool forced = record.compareForced;
    addPromptRecord(std::move(record));
    if (!forced) {
        recordViolation("text input compare bytes did not read 48 39 FF during the menu call; menu refused");
        return;
    }
    queueMenuOpen("TextInputMenu", checkCompareRestored);
}

}  // namespace hostsim
