#pragma once
// The game's event sink classes, laid out as the game's compiler lays them
// out: one virtual table pointer; slot 0 the scalar deleting destructor,
// slot 1 OnEvent. The game calls both through the table. OnEvent returns 0 in
// every case, also when a handler was stopped by an exception (the event is
// then not recorded, and a diagnostic line says so).
#include <cstddef>
#include <cstdint>

#include "host/bindings.h"

namespace lumora {

struct MenuOpenCloseEvent {
    EngineString menuName;
    bool opened;
};
static_assert(offsetof(MenuOpenCloseEvent, menuName) == 0);
static_assert(offsetof(MenuOpenCloseEvent, opened) == 8);

struct TextInputMenu_StartEditText {};
struct TextInputMenu_EndEditText {};
struct TextInputMenu_InputCanceled {};

namespace BSTEventDetail {
class SinkBase {
public:
    constexpr SinkBase() = default;
    // Destroys the sink and frees it when bit 0 of the flags is set.
    virtual HOST_ABI void* scalarDeletingDestructor(unsigned flags) noexcept;

protected:
    ~SinkBase() = default;
};
}  // namespace BSTEventDetail

template <typename Event>
class BSTEventSink : public BSTEventDetail::SinkBase {
public:
    constexpr BSTEventSink() = default;
    virtual HOST_ABI std::uint32_t OnEvent(const Event* event, void* source) noexcept { return 0; }
};

namespace Events {

class LumoraSearchEngine_MenuOpenCloseEventClass : public BSTEventSink<MenuOpenCloseEvent> {
public:
    constexpr LumoraSearchEngine_MenuOpenCloseEventClass() = default;
    HOST_ABI std::uint32_t OnEvent(const MenuOpenCloseEvent* event, void* source) noexcept override;
};

class LumoraSearchEngine_TextInputMenu_StartEditTextClass : public BSTEventSink<TextInputMenu_StartEditText> {
public:
    constexpr LumoraSearchEngine_TextInputMenu_StartEditTextClass() = default;
    HOST_ABI std::uint32_t OnEvent(const TextInputMenu_StartEditText* event, void* source) noexcept override;
};

class LumoraSearchEngine_TextInputMenu_EndEditTextClass : public BSTEventSink<TextInputMenu_EndEditText> {
public:
    constexpr LumoraSearchEngine_TextInputMenu_EndEditTextClass() = default;
    HOST_ABI std::uint32_t OnEvent(const TextInputMenu_EndEditText* event, void* source) noexcept override;
};

class LumoraSearchEngine_TextInputMenu_InputCanceledClass : public BSTEventSink<TextInputMenu_InputCanceled> {
public:
    constexpr LumoraSearchEngine_TextInputMenu_InputCanceledClass() = default;
    HOST_ABI std::uint32_t OnEvent(const TextInputMenu_InputCanceled* event, void* source) noexcept override;
};

// The four process-wide sinks.
extern LumoraSearchEngine_MenuOpenCloseEventClass g_menuOpenCloseSink;
extern LumoraSearchEngine_TextInputMenu_StartEditTextClass g_startEditTextSink;
extern LumoraSearchEngine_TextInputMenu_EndEditTextClass g_endEditTextSink;
extern LumoraSearchEngine_TextInputMenu_InputCanceledClass g_inputCanceledSink;

}  // namespace Events

static_assert(sizeof(Events::LumoraSearchEngine_MenuOpenCloseEventClass) == sizeof(void*));

// Registers the four sinks with the game's event sources, in the game's
// expected order. The menu sink is skipped, with a diagnostic line, while the
// game has no UI object.
void registerEventSinks();

}  // namespace lumora
