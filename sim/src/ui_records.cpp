#include "hostsim/ui_records.h"

#include <mutex>

namespace hostsim {
namespace {

struct UiRecords {
    std::mutex mutex;
    std::vector<SoundRecord> sounds;
    std::vector<MessageBoxRecord> boxes;
    std::vector<PromptRecord> prompts;
    std::vector<FocusRequestRecord> focusRequests;
};

UiRecords& records() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static UiRecords& instance = *new UiRecords;
    return instance;
}

template <typename T>
std::vector<T> copyOf(const std::vector<T>& list) {
    std::lock_guard lock(records().mutex);
    return list;
}

template <typename T>
void append(std::vector<T>& list, T record) {
    std::lock_guard lock(records().mutex);
    list.push_back(std::move(record));
}

}  // namespace

std::vector<SoundRecord> playedSounds() { return copyOf(records().sounds); }
std::vector<MessageBoxRecord> gameMessageBoxes() { return copyOf(records().boxes); }
std::vector<PromptRecord> openedPrompts() { return copyOf(records().prompts); }
std::vector<FocusRequestRecord> focusRequests() { return copyOf(records().focusRequests); }

void clearUiRecords() {
    auto& r = records();
    std::lock_guard lock(r.mutex);
    r.sounds.clear();
    r.boxes.clear();
    r.prompts.clear();
    r.focusRequests.clear();
}

void addSoundRecord(SoundRecord record) { append(records().sounds, std::move(record)); }
void addMessageBoxRecord(MessageBoxRecord record) { append(records().boxes, std::move(record)); }
void addPromptRecord(PromptRecord record) { append(records().prompts, std::move(record)); }
void addFocusRequestRecord(FocusRequestRecord record) { append(records().focusRequests, std::move(record)); }

}  // namespace hostsim
