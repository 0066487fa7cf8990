#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>

#include "win32_controls.h"

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { win32layer::clearMessageBoxes(); }
    void TearDown() override {
        win32layer::setMessageBoxHandler({});
        win32layer::clearMessageBoxes();
    }
};

TEST_F(MessageBoxTest, RecordsEveryFieldAndAnswersOkByDefault) {
    HWND owner = win32layer::createWindow("Halcyra");
    EXPECT_EQ(MessageBoxA(nullptr, "Installation error", "Plugin v3.1", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "second", "cap", MB_OKCANCEL | MB_ICONERROR), IDOK);
    const auto boxes = win32layer::shownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].text, "Installation error");
    EXPECT_EQ(boxes[0].caption, "Plugin v3.1");
    EXPECT_EQ(boxes[0].type, MB_OK);
    EXPECT_EQ(boxes[0].thread, std::this_thread::get_id());
    EXPECT_EQ(boxes[1].owner, owner);
    EXPECT_EQ(boxes[1].type, MB_OKCANCEL | MB_ICONERROR);
    win32layer::destroyWindow(owner);
}

TEST_F(MessageBoxTest, NullTextIsEmptyAndNullCaptionIsError) {
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    const auto boxes = win32layer::shownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "");
    EXPECT_EQ(boxes[0].caption, "Error");
}

TEST_F(MessageBoxTest, HandlerAnswerIsReturnedAndSeesTheRecord) {
    std::string seenText;
    win32layer::setMessageBoxHandler([&](const win32layer::MessageBoxRecord& box) {
        seenText = box.text;
        return IDCANCEL;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "question", "cap", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(seenText, "question");
    win32layer::setMessageBoxHandler({});
    EXPECT_EQ(MessageBoxA(nullptr, "again", "cap", MB_OK), IDOK) << "empty handler restores the default";
}

TEST_F(MessageBoxTest, BlockingHandlerKeepsBoxOpenOnItsThreadUntilDismissed) {
    std::mutex mutex;
    std::condition_variable dismissed;
    bool dismiss = false;
    win32layer::setMessageBoxHandler([&](const win32layer::MessageBoxRecord&) {
        std::unique_lock lock(mutex);
        dismissed.wait(lock, [&] { return dismiss; });
        return IDOK;
    });
    std::atomic<bool> returned{false};
    std::promise<std::thread::id> callerId;
    std::thread caller([&] {
        callerId.set_value(std::this_thread::get_id());
        MessageBoxA(nullptr, "modal", "cap", MB_OK);
        returned = true;
    });
    const std::thread::id expected = callerId.get_future().get();
    ASSERT_TRUE(win32layer::waitForMessageBoxes(1, std::chrono::seconds(10)));
    const auto open = win32layer::shownMessageBoxes();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].thread, expected);
    EXPECT_FALSE(returned.load()) << "the box is modal until dismissed";

    // Another thread can show and read boxes while one is open.
    win32layer::setMessageBoxHandler({});
    EXPECT_EQ(MessageBoxA(nullptr, "other", "cap", MB_OK), IDOK);

    {
        std::lock_guard lock(mutex);
        dismiss = true;
    }
    dismissed.notify_all();
    caller.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(win32layer::shownMessageBoxes().size(), 2u);
}

TEST_F(MessageBoxTest, WaitTimesOutWhenTooFewBoxesAndClearEmptiesLog) {
    MessageBoxA(nullptr, "one", "cap", MB_OK);
    EXPECT_TRUE(win32layer::waitForMessageBoxes(1, std::chrono::milliseconds(0)));
    EXPECT_FALSE(win32layer::waitForMessageBoxes(2, std::chrono::milliseconds(20)));
    win32layer::clearMessageBoxes();
    EXPECT_TRUE(win32layer::shownMessageBoxes().empty());
}

}  // namespace
