#include "base/diagnostics.h"
#include "base/plugin_log.h"
#include "flow/event_sinks.h"

namespace lumora {

namespace {
// Offset of the menu open/close event source inside the game's UI object.
constexpr std::uintptr_t kUiMenuEventSourceOffset = 16;

void registerSink(void* source, void* sink, const char* event) {
    static const RegisterSinkFn registerWithSource =
        hostFunction<RegisterSinkFn>(HostOffset::HostEventSource_RegisterSink);
    registerWithSource(source, sink);
    appendLogLine("sink registered: %s", event);
}

void* eventSource(std::uintptr_t getterOffset) { return hostFunction<EventSourceGetterFn>(getterOffset)(); }
}  // namespace

void registerEventSinks() {
    registerSink(eventSource(HostOffset::HostEventSource_TextInputMenuEndEditText), &Events::g_endEditTextSink,
                 "TextInputMenu_EndEditText");
    registerSink(eventSource(HostOffset::HostEventSource_TextInputMenuStartEditText), &Events::g_startEditTextSink,
                 "TextInputMenu_StartEditText");
    registerSink(eventSource(HostOffset::HostEventSource_TextInputMenuInputCanceled), &Events::g_inputCanceledSink,
                 "TextInputMenu_InputCanceled");

    auto* ui = static_cast<std::uint8_t*>(readHostPointer(HostOffset::HostUi_Singleton));
    if (ui == nullptr) {
        writeDiagnostic("menu event sink not registered: the game has no UI object yet");
        appendLogLine("sink not registered: MenuOpenCloseEvent (the game has no UI object yet)");
        return;
    }
    registerSink(ui + kUiMenuEventSourceOffset, &Events::g_menuOpenCloseSink, "MenuOpenCloseEvent");
}

}  // namespace lumora
