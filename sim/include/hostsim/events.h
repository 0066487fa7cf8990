#pragma once
// The game's event sources and their sinks. A sink is an object whose first
// member points to a virtual table: slot 0 the scalar deleting destructor (the
// game never calls it while running), slot 1
// `uint32 OnEvent(sink, const event*, source*)` (Microsoft x64).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"

namespace hostsim {

enum class EventSourceKind : std::uint32_t {
    MenuOpenClose = 1,
    StartEditText = 2,
    EndEditText = 3,
    InputCanceled = 4,
};

// "MenuOpenCloseEvent", "TextInputMenu_StartEditText", ...
const char* eventSourceName(EventSourceKind kind);

// What an event source looks like in the game's memory; its sinks are kept
// by the simulator, keyed by the source.
struct EventSourceObject {
    std::uint64_t signature;
    EventSourceKind kind;
    std::uint32_t reserved0;
    std::uint8_t reserved[48];
};
static_assert(sizeof(EventSourceObject) == 64);

struct MenuOpenCloseEvent {
    EngineStringHandle menuName;  // 0x00
    bool opened;                  // 0x08
    std::uint8_t unused[7];
};
static_assert(offsetof(MenuOpenCloseEvent, menuName) == 0);
static_assert(offsetof(MenuOpenCloseEvent, opened) == 8);
static_assert(sizeof(MenuOpenCloseEvent) == 16);

// The text input menu's editing events carry nothing a sink reads.
struct TextInputMenuEvent {
    std::uint64_t unused;
};

EventSourceObject* eventSource(EventSourceKind kind);

struct SinkRegistration {
    EventSourceKind kind;
    void* sink;
};
// Every registration in the order the game received it.
std::vector<SinkRegistration> sinkRegistrations();
std::vector<void*> registeredSinks(EventSourceKind kind);

// Calls slot 1 of every sink registered with the source, on the calling
// thread, in registration order. Returns how many sinks were called.
std::size_t deliverEvent(EventSourceKind kind, const void* event);
std::size_t deliverMenuOpenClose(const char* menuName, bool opened);
std::size_t deliverTextInputEvent(EventSourceKind kind);

// The game's functions behind the stubs.
SIM_ABI void registerEventSink(EventSourceObject* source, void* sink);
SIM_ABI EventSourceObject* textInputMenuEndEditTextSource();
SIM_ABI EventSourceObject* textInputMenuInputCanceledSource();
SIM_ABI EventSourceObject* textInputMenuStartEditTextSource();

}  // namespace hostsim
