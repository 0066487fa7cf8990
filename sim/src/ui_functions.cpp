// Sounds and star map requests.
#include <atomic>
#include <cstdio>

#include "hostsim/game_code.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"

namespace hostsim {

SIM_ABI bool playUiSoundHost(std::uint32_t* soundId, const char* name, const void* context, float volume) {
    GameCodeScope gameCode;
    if (context != at(offsets::HostAudio_UiSoundContext)) {
        recordViolation("HostAudio_PlayUiSound with a context other than the UI sound context");
        return false;
    }
    if (soundId == nullptr || name == nullptr) {
        recordViolation("HostAudio_PlayUiSound with a null sound id or name");
        return false;
    }
    if (*soundId != 0) recordViolation("HostAudio_PlayUiSound with a sound id that is not 0");
    static std::atomic<std::uint32_t> nextSoundInstance{0x100};
    *soundId = nextSoundInstance.fetch_add(1);

    char volumeText[32];
    std::snprintf(volumeText, sizeof volumeText, "%.2f", static_cast<double>(volume));
    addSoundRecord({name, volume});
    recordTranscriptLine("sound " + quoted(name) + " volume " + volumeText);
    return true;
}

SIM_ABI void sendUiRequest(UiMessageQueueObject* queue, EngineStringHandle menu, bool open, EngineStringHandle request,
                           const std::uint32_t* payload) {
    GameCodeScope gameCode;
    if (queue != uiMessageQueue()) {
        recordViolation("HostUiMessageQueue_SendRequest called with an object that is not the message queue");
        return;
    }
    if (!isEngineString(menu) || !isEngineString(request)) {
        recordViolation("HostUiMessageQueue_SendRequest with a menu or request that is not a string handle");
        return;
    }
    if (payload == nullptr) {
        recordViolation("HostUiMessageQueue_SendRequest without a payload");
        return;
    }
    FocusRequestRecord record{engineStringText(menu), engineStringText(request), open, *payload};
    char formText[16];
    std::snprintf(formText, sizeof formText, "0x%08X", static_cast<unsigned>(record.formId));
    recordTranscriptLine("focus request menu " + quoted(record.menu) + " request " + quoted(record.request) + " open " +
                         (open ? "1" : "0") + " form " + formText);
    addFocusRequestRecord(std::move(record));
}

}  // namespace hostsim
