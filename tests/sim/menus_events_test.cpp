// Menus open and close by handle; every change reaches the sinks registered
// on the UI object's source through slot 1 of their virtual tables.
#include <gtest/gtest.h>

#include <vector>

#include "hostsim/game_thread.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

struct SeenEvent {
    int sink;
    std::string menu;
    bool opened;
    const void* source;
};
std::vector<SeenEvent> seenEvents;
int destructorCalls = 0;

struct TestSink {
    const void* const* vtable;
    int id;
    bool readsMenuEvent;
};

SIM_ABI void* scalarDeletingDestructor(TestSink*, unsigned) {
    ++destructorCalls;
    return nullptr;
}

SIM_ABI std::uint32_t onEvent(TestSink* sink, const void* event, EventSourceObject* source) {
    SeenEvent seen{sink->id, {}, false, source};
    if (sink->readsMenuEvent) {
        const auto* menuEvent = static_cast<const MenuOpenCloseEvent*>(event);
        seen.menu = engineStringText(menuEvent->menuName);
        seen.opened = menuEvent->opened;
    }
    seenEvents.push_back(seen);
    return 0;
}

const void* const sinkVtable[2] = {reinterpret_cast<const void*>(&scalarDeletingDestructor),
                                   reinterpret_cast<const void*>(&onEvent)};

using RegisterSinkFn = void(SIM_ABI*)(void* source, void* sink);
using SourceFn = EventSourceObject*(SIM_ABI*)();
using AddMessageFn = void(SIM_ABI*)(void* queue, const EngineStringHandle* menu, std::uint32_t kind);

class MenusAndEvents : public SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        seenEvents.clear();
        destructorCalls = 0;
    }
    void registerSink(void* source, TestSink& sink) {
        reinterpret_cast<RegisterSinkFn>(at(offsets::HostEventSource_RegisterSink))(source, &sink);
    }
    void* menuSource() { return reinterpret_cast<std::uint8_t*>(*dataAt<UiObject*>(offsets::HostUi_Singleton)) + 16; }
};

TEST_F(MenusAndEvents, OpenAndCloseReachEverySinkInRegistrationOrderThroughSlotOne) {
    TestSink first{sinkVtable, 1, true};
    TestSink second{sinkVtable, 2, true};
    registerSink(menuSource(), first);
    registerSink(menuSource(), second);

    openMenu("GalaxyStarMapMenu");
    closeMenu("GalaxyStarMapMenu");

    ASSERT_EQ(seenEvents.size(), 4u);
    EXPECT_EQ(seenEvents[0].sink, 1);
    EXPECT_EQ(seenEvents[1].sink, 2);
    EXPECT_EQ(seenEvents[0].menu, "GalaxyStarMapMenu");
    EXPECT_TRUE(seenEvents[0].opened);
    EXPECT_FALSE(seenEvents[2].opened);
    EXPECT_EQ(seenEvents[0].source, menuSource());
    EXPECT_EQ(destructorCalls, 0);
    EXPECT_EQ(transcript(),
              (std::vector<std::string>{"sink registered MenuOpenCloseEvent", "sink registered MenuOpenCloseEvent",
                                        "menu opened \"GalaxyStarMapMenu\"", "menu closed \"GalaxyStarMapMenu\""}));
}

TEST_F(MenusAndEvents, OpeningAnOpenMenuDeliversNothingMore) {
    TestSink sink{sinkVtable, 1, true};
    registerSink(menuSource(), sink);
    openMenu("Console");
    openMenu("Console");
    closeMenu("MessageBoxMenu");  // was never open
    EXPECT_EQ(seenEvents.size(), 1u);
    EXPECT_TRUE(isMenuOpen("Console"));
}

TEST_F(MenusAndEvents, TextInputSourcesAreDistinctAndDeliverOnlyToTheirOwnSinks) {
    auto start = reinterpret_cast<SourceFn>(at(offsets::HostEventSource_TextInputMenuStartEditText))();
    auto end = reinterpret_cast<SourceFn>(at(offsets::HostEventSource_TextInputMenuEndEditText))();
    auto cancel = reinterpret_cast<SourceFn>(at(offsets::HostEventSource_TextInputMenuInputCanceled))();
    ASSERT_NE(start, end);
    ASSERT_NE(end, cancel);
    ASSERT_NE(start, cancel);
    TestSink startSink{sinkVtable, 10, false};
    TestSink endSink{sinkVtable, 20, false};
    registerSink(start, startSink);
    registerSink(end, endSink);

    EXPECT_EQ(deliverTextInputEvent(EventSourceKind::EndEditText), 1u);
    EXPECT_EQ(deliverTextInputEvent(EventSourceKind::InputCanceled), 0u);
    ASSERT_EQ(seenEvents.size(), 1u);
    EXPECT_EQ(seenEvents[0].sink, 20);
    EXPECT_EQ(seenEvents[0].source, end);
}

TEST_F(MenusAndEvents, RegisteringWithAnUnknownSourceIsRefused) {
    expectViolations();
    TestSink sink{sinkVtable, 1, true};
    EventSourceObject stray{};
    registerSink(&stray, sink);
    EXPECT_TRUE(sinkRegistrations().empty());
    EXPECT_EQ(violations().size(), 1u);
}

TEST_F(MenusAndEvents, CloseMessageTakesEffectOnTheNextFrameOnly) {
    openMenu("MessageBoxMenu");
    EngineStringHandle box = internEngineString("MessageBoxMenu");
    auto addMessage = reinterpret_cast<AddMessageFn>(at(offsets::HostUiMessageQueue_AddMessage));
    void* queue = *dataAt<void*>(offsets::HostUiMessageQueue_Singleton);

    addMessage(queue, &box, 2);
    EXPECT_TRUE(isMenuOpen("MessageBoxMenu"));
    stepFrame();
    EXPECT_FALSE(isMenuOpen("MessageBoxMenu"));
    EXPECT_EQ(transcript().back(), "menu closed \"MessageBoxMenu\"");
}

TEST_F(MenusAndEvents, MessagesOfOtherKindsLeaveTheMenuOpen) {
    openMenu("MessageBoxMenu");
    EngineStringHandle box = internEngineString("MessageBoxMenu");
    auto addMessage = reinterpret_cast<AddMessageFn>(at(offsets::HostUiMessageQueue_AddMessage));
    void* queue = *dataAt<void*>(offsets::HostUiMessageQueue_Singleton);
    for (std::uint32_t kind : {0u, 1u, 3u, 0x102u}) addMessage(queue, &box, kind);
    stepFrame();
    EXPECT_TRUE(isMenuOpen("MessageBoxMenu"));
}

}  // namespace

namespace {

// The other orders in which the game can tell of a closing menu. What the
// sink sees is recorded with whether the game lists the menu as open at that
// moment.
std::vector<std::pair<bool, bool>> closeEventsSeen;  // (opened, listed as open)

SIM_ABI std::uint32_t onEventNotingList(TestSink*, const void* event, EventSourceObject*) {
    const auto* menuEvent = static_cast<const MenuOpenCloseEvent*>(event);
    if (engineStringText(menuEvent->menuName) == "MessageBoxMenu")
        closeEventsSeen.emplace_back(menuEvent->opened, isMenuOpen("MessageBoxMenu"));
    return 0;
}

const void* const listingSinkVtable[2] = {reinterpret_cast<const void*>(&scalarDeletingDestructor),
                                          reinterpret_cast<const void*>(&onEventNotingList)};

class MenuEventOrders : public MenusAndEvents {
protected:
    void SetUp() override {
        MenusAndEvents::SetUp();
        closeEventsSeen.clear();
        registerSink(menuSource(), sink_);
    }
    void TearDown() override {
        setMenuEventOrder({});
        MenusAndEvents::TearDown();
    }
    TestSink sink_{listingSinkVtable, 1, true};
};

TEST_F(MenuEventOrders, NamesParseAloneAndJoinedAndNothingElse) {
    const struct {
        const char* text;
        bool valid, lingers, twice;
    } cases[] = {
        {"game", true, false, false},
        {"late-leave", true, true, false},
        {"second-close", true, false, true},
        {"late-leave,second-close", true, true, true},
        {"second-close,late-leave", true, true, true},
        {"", false, false, false},
        {"late-leave,", false, false, false},
        {"late-leave,late-leave", false, false, false},
        {"game,late-leave", false, false, false},
        {"Late-leave", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto order = parseMenuEventOrder(c.text);
        ASSERT_EQ(order.has_value(), c.valid);
        if (!order) continue;
        EXPECT_EQ(order->closedMenuLingers, c.lingers);
        EXPECT_EQ(order->messageBoxClosesTwice, c.twice);
    }
}

TEST_F(MenuEventOrders, EachOrderTellsOfAClosingBoxAsNamed) {
    const struct {
        const char* what;
        MenuEventOrder order;
        std::vector<std::pair<bool, bool>> seenAtClose;  // the events of the close's own pass
        bool listedAfterClose;
        std::vector<std::pair<bool, bool>> seenAtNextPass;
    } cases[] = {
        {"game", {}, {{false, false}}, false, {}},
        {"late-leave", {true, false}, {{false, true}}, true, {}},
        {"second-close", {false, true}, {{false, false}}, false, {{false, false}}},
        {"both", {true, true}, {{false, true}}, true, {{false, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setMenuEventOrder(c.order);
        openMenu("MessageBoxMenu");
        closeEventsSeen.clear();
        queueMenuClose("MessageBoxMenu");
        processUiQueue();
        EXPECT_EQ(closeEventsSeen, c.seenAtClose);
        EXPECT_EQ(isMenuOpen("MessageBoxMenu"), c.listedAfterClose);
        closeEventsSeen.clear();
        processUiQueue();
        EXPECT_EQ(closeEventsSeen, c.seenAtNextPass);
        EXPECT_FALSE(isMenuOpen("MessageBoxMenu"));
        processUiQueue();
        EXPECT_EQ(closeEventsSeen, c.seenAtNextPass);  // told of twice at most
    }
}

TEST_F(MenuEventOrders, ReopeningALingeringMenuListsItAsOpenAfterTheNextPass) {
    setMenuEventOrder({true, false});
    openMenu("MessageBoxMenu");
    closeMenu("MessageBoxMenu");
    EXPECT_TRUE(isMenuOpen("MessageBoxMenu"));
    openMenu("MessageBoxMenu");
    processUiQueue();
    EXPECT_TRUE(isMenuOpen("MessageBoxMenu"));
    closeMenu("MessageBoxMenu");
    processUiQueue();
    EXPECT_FALSE(isMenuOpen("MessageBoxMenu"));
}

}  // namespace
