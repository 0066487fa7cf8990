#pragma once
// What the game showed or received through its UI functions, as records a
// test can inspect (the transcript has the same as text).
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"
#include "hostsim/menus.h"

namespace hostsim {

struct SoundRecord {
    std::string name;
    float volume = 0;
};

struct MessageBoxRecord {
    std::string title;  // as the game read it when the box was requested
    std::string text;
};

struct PromptRecord {
    std::string header;
    std::string defaultText;
    std::uint64_t mode = 0;
    bool compareForced = false;  // the compare bytes read 48 39 FF during the call
};

struct FocusRequestRecord {
    std::string menu;
    std::string request;
    bool open = false;
    std::uint32_t formId = 0;
};

std::vector<SoundRecord> playedSounds();
std::vector<MessageBoxRecord> gameMessageBoxes();
std::vector<PromptRecord> openedPrompts();
std::vector<FocusRequestRecord> focusRequests();
void clearUiRecords();

void addSoundRecord(SoundRecord record);
void addMessageBoxRecord(MessageBoxRecord record);
void addPromptRecord(PromptRecord record);
void addFocusRequestRecord(FocusRequestRecord record);

// Guard bytes the game keeps right after its 12-byte message box title text.
inline constexpr std::size_t kTitleGuardSize = 16;
inline constexpr std::uint8_t kTitleGuardByte = 0xA5;

// The game's functions behind the stubs.
SIM_ABI bool playUiSoundHost(std::uint32_t* soundId, const char* name, const void* context, float volume);
SIM_ABI void sendUiRequest(UiMessageQueueObject* queue, EngineStringHandle menu, bool open, EngineStringHandle request,
                           const std::uint32_t* payload);
SIM_ABI void showMessageBoxHost(void* owner, std::uint64_t reserved1, std::uint64_t reserved2, EngineStringHandle text);
SIM_ABI void openTextInputMenuHost(const char* header, const char* defaultText, std::uint64_t mode);

// Writes the title text with its guard bytes, and the compare instruction,
// into the image.
void placeUiData();

}  // namespace hostsim
