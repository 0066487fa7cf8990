#include "hostsim/events.h"

#include <mutex>

#include "hostsim/game_code.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

constexpr std::uint64_t kSourceSignature = 0x4556534F55524345;  // "EVSOURCE"

constexpr EventSourceObject makeSource(EventSourceKind kind) {
    EventSourceObject source{};
    source.signature = kSourceSignature;
    source.kind = kind;
    return source;
}

constinit EventSourceObject startEditTextSource = makeSource(EventSourceKind::StartEditText);
constinit EventSourceObject endEditTextSource = makeSource(EventSourceKind::EndEditText);
constinit EventSourceObject inputCanceledSource = makeSource(EventSourceKind::InputCanceled);

struct SinkTable {
    std::mutex mutex;
    std::vector<SinkRegistration> registrations;
};

SinkTable& sinkTable() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static SinkTable& instance = *new SinkTable;
    return instance;
}

bool identifySource(const EventSourceObject* source, EventSourceKind& kind) {
    for (auto candidate : {EventSourceKind::MenuOpenClose, EventSourceKind::StartEditText, EventSourceKind::EndEditText,
                           EventSourceKind::InputCanceled}) {
        if (eventSource(candidate) == source) {
            kind = candidate;
            return true;
        }
    }
    return false;
}

using OnEventSlot = std::uint32_t(SIM_ABI*)(void* sink, const void* event, EventSourceObject* source);

}  // namespace

const char* eventSourceName(EventSourceKind kind) {
    switch (kind) {
        case EventSourceKind::MenuOpenClose: return "MenuOpenCloseEvent";
        case EventSourceKind::StartEditText: return "TextInputMenu_StartEditText";
        case EventSourceKind::EndEditText: return "TextInputMenu_EndEditText";
        case EventSourceKind::InputCanceled: return "TextInputMenu_InputCanceled";
    }
    return "unknown";
}

EventSourceObject* eventSource(EventSourceKind kind) {
    switch (kind) {
        case EventSourceKind::MenuOpenClose: return &uiObject()->menuOpenClose;
        case EventSourceKind::StartEditText: return &startEditTextSource;
        case EventSourceKind::EndEditText: return &endEditTextSource;
        case EventSourceKind::InputCanceled: return &inputCanceledSource;
    }
    return nullptr;
}

std::vector<SinkRegistration> sinkRegistrations() {
    auto& table = sinkTable();
    std::lock_guard lock(table.mutex);
    return table.registrations;
}

std::vector<void*> registeredSinks(EventSourceKind kind) {
    std::vector<void*> sinks;
    for (const auto& registration : sinkRegistrations())
        if (registration.kind == kind) sinks.push_back(registration.sink);
    return sinks;
}

std::size_t deliverEvent(EventSourceKind kind, const void* event) {
    // No simulator lock is held while a sink runs: sinks call back into the
    // game and may wait for their own locks.
    const std::vector<void*> sinks = registeredSinks(kind);
    EventSourceObject* source = eventSource(kind);
    for (void* sink : sinks) {
        auto* const* vtable = *static_cast<void* const* const*>(sink);
        auto onEvent = reinterpret_cast<OnEventSlot>(vtable[1]);
        onEvent(sink, event, source);
    }
    return sinks.size();
}

std::size_t deliverMenuOpenClose(const char* menuName, bool opened) {
    MenuOpenCloseEvent event{};
    event.menuName = internEngineString(menuName);
    event.opened = opened;
    return deliverEvent(EventSourceKind::MenuOpenClose, &event);
}

std::size_t deliverTextInputEvent(EventSourceKind kind) {
    TextInputMenuEvent event{};
    return deliverEvent(kind, &event);
}

SIM_ABI void registerEventSink(EventSourceObject* source, void* sink) {
    GameCodeScope gameCode;
    EventSourceKind kind{};
    if (!identifySource(source, kind)) {
        recordViolation("HostEventSource_RegisterSink with an unknown event source");
        return;
    }
    if (sink == nullptr) {
        recordViolation(std::string("HostEventSource_RegisterSink with a null sink for ") + eventSourceName(kind));
        return;
    }
    {
        auto& table = sinkTable();
        std::lock_guard lock(table.mutex);
        table.registrations.push_back({kind, sink});
    }
    recordTranscriptLine(std::string("sink registered ") + eventSourceName(kind));
}

SIM_ABI EventSourceObject* textInputMenuEndEditTextSource() { return &endEditTextSource; }
SIM_ABI EventSourceObject* textInputMenuInputCanceledSource() { return &inputCanceledSource; }
SIM_ABI EventSourceObject* textInputMenuStartEditTextSource() { return &startEditTextSource; }

}  // namespace hostsim
