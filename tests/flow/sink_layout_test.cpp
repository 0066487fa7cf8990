// The sinks as the game sees them: one table pointer, slot 0 the scalar
// deleting destructor and slot 1 OnEvent, both called with the Microsoft x64
// convention straight through the table.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <type_traits>

#include "flow/event_sinks.h"
#include "hostsim/abi.h"
#include "hostsim/events.h"
#include "hostsim/menus.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

using OnEventSlot = std::uint32_t(SIM_ABI*)(void* sink, const void* event, void* source);
using DeletingDestructorSlot = void*(SIM_ABI*)(void* sink, unsigned flags);

void* const* tableOf(const void* sink) { return *static_cast<void* const* const*>(sink); }

// Read before any ordinary dynamic initialiser of the program runs: a sink that
// were built at run time would still have a null table pointer here.
struct TablesAtStart {
    const void* menu = tableOf(&Events::g_menuOpenCloseSink);
    const void* start = tableOf(&Events::g_startEditTextSink);
    const void* end = tableOf(&Events::g_endEditTextSink);
    const void* canceled = tableOf(&Events::g_inputCanceledSink);
};
__attribute__((init_priority(101))) const TablesAtStart tablesAtStart;

template <typename Sink>
constexpr bool hasGameLayout() {
    return sizeof(Sink) == sizeof(void*) && std::is_trivially_destructible_v<Sink> && std::is_polymorphic_v<Sink>;
}
static_assert(hasGameLayout<Events::LumoraSearchEngine_MenuOpenCloseEventClass>());
static_assert(hasGameLayout<Events::LumoraSearchEngine_TextInputMenu_StartEditTextClass>());
static_assert(hasGameLayout<Events::LumoraSearchEngine_TextInputMenu_EndEditTextClass>());
static_assert(hasGameLayout<Events::LumoraSearchEngine_TextInputMenu_InputCanceledClass>());
static_assert(sizeof(BSTEventDetail::SinkBase) == sizeof(void*));

TEST(SinkLayout, FourSinksHaveTheirTablesBeforeAnyInitialiserRuns) {
    EXPECT_NE(tablesAtStart.menu, nullptr);
    EXPECT_NE(tablesAtStart.start, nullptr);
    EXPECT_NE(tablesAtStart.end, nullptr);
    EXPECT_NE(tablesAtStart.canceled, nullptr);
    EXPECT_EQ(tablesAtStart.menu, tableOf(&Events::g_menuOpenCloseSink));
    EXPECT_EQ(tablesAtStart.canceled, tableOf(&Events::g_inputCanceledSink));
}

class SinkSlots : public lumora_test::SimulatedGameTest {};

TEST_F(SinkSlots, SlotOneOfEachSinkRunsItsOwnHandler) {
    hostsim::openMenu("GalaxyStarMapMenu");
    PluginState.textEditEndedAtNs = 0;
    std::uint64_t unusedEvent = 0;
    void* source = hostsim::eventSource(hostsim::EventSourceKind::StartEditText);

    auto slotOne = [](const void* sink) { return reinterpret_cast<OnEventSlot>(tableOf(sink)[1]); };

    EXPECT_EQ(slotOne(&Events::g_startEditTextSink)(&Events::g_startEditTextSink, &unusedEvent, source), 0u);
    EXPECT_TRUE(PluginState.textInputActive);

    EXPECT_EQ(slotOne(&Events::g_endEditTextSink)(&Events::g_endEditTextSink, &unusedEvent, source), 0u);
    EXPECT_FALSE(PluginState.textInputActive);
    const std::int64_t endedAt = PluginState.textEditEndedAtNs;
    EXPECT_GT(endedAt, 0);

    PluginState.textInputActive = true;
    EXPECT_EQ(slotOne(&Events::g_inputCanceledSink)(&Events::g_inputCanceledSink, &unusedEvent, source), 0u);
    EXPECT_FALSE(PluginState.textInputActive);
    EXPECT_GE(PluginState.textEditEndedAtNs, endedAt);

    hostsim::MenuOpenCloseEvent opened{};
    opened.menuName = hostsim::internEngineString("GalaxyStarMapMenu");
    opened.opened = true;
    PluginState.starMapOpenedAtNs = 0;
    EXPECT_EQ(slotOne(&Events::g_menuOpenCloseSink)(&Events::g_menuOpenCloseSink, &opened, source), 0u);
    EXPECT_GT(PluginState.starMapOpenedAtNs, 0);
}

TEST_F(SinkSlots, SlotZeroDestroysAndFreesOnlyWhenBitZeroIsSet) {
    // A sink the game owns: placement-made, then destroyed through slot 0
    // without freeing (flags 0), then a heap sink destroyed and freed (flags 1).
    alignas(Events::LumoraSearchEngine_MenuOpenCloseEventClass) unsigned char storage[sizeof(void*)];
    auto* placed = new (storage) Events::LumoraSearchEngine_MenuOpenCloseEventClass();
    auto slotZero = reinterpret_cast<DeletingDestructorSlot>(tableOf(placed)[0]);
    EXPECT_EQ(slotZero(placed, 0), placed);

    auto* owned = new Events::LumoraSearchEngine_TextInputMenu_EndEditTextClass();
    auto ownedSlotZero = reinterpret_cast<DeletingDestructorSlot>(tableOf(owned)[0]);
    // Freed through slot 0; a leak or a double free shows under the sanitizers.
    EXPECT_EQ(ownedSlotZero(owned, 1), static_cast<void*>(owned));
}

}  // namespace
