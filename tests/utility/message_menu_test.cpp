// The library's message queues (one per thread, pumped by MsgProcess) and menu item states.

#include <tollund/CFunction.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Received {
    std::vector<CFunction::Message> messages;
    uint32_t threadId = 0;
    uint32_t postedFromHandler = 0;
};

void Record(const CFunction::Message& message, void* context) {
    auto& received = *static_cast<Received*>(context);
    received.messages.push_back(message);
    if (message.message == 99) {
        // Posted while pumping: waits for the next MsgProcess.
        received.postedFromHandler = CFunction::PostThreadMessage(received.threadId, 100, 0, 0);
    }
}

TEST(MessageQueue, MsgProcessDispatchesWhatIsWaitingInOrder) {
    Received received;
    received.threadId = CFunction::GetCurrentThreadId();
    CFunction::SetMessageHandler(Record, &received);
    std::thread poster([&] {
        EXPECT_EQ(CFunction::PostThreadMessage(received.threadId, 1, 10, -1), 1);
        EXPECT_EQ(CFunction::PostThreadMessage(received.threadId, 2, 20, -2), 1);
        EXPECT_EQ(CFunction::PostThreadMessage(received.threadId, 99, 0, 0), 1);
    });
    poster.join();
    CFunction::MsgProcess();
    ASSERT_EQ(received.messages.size(), 3u);
    EXPECT_EQ(received.messages[0].message, 1u);
    EXPECT_EQ(received.messages[0].wParam, 10u);
    EXPECT_EQ(received.messages[0].lParam, -1);
    EXPECT_EQ(received.messages[1].message, 2u);
    EXPECT_EQ(received.postedFromHandler, 1u);
    CFunction::MsgProcess();
    ASSERT_EQ(received.messages.size(), 4u);
    EXPECT_EQ(received.messages[3].message, 100u);
    CFunction::MsgProcess(); // nothing waiting: returns at once
    EXPECT_EQ(received.messages.size(), 4u);
    CFunction::SetMessageHandler(nullptr, nullptr);
}

TEST(MessageQueue, AThreadWithoutAQueueCannotBePostedTo) {
    uint32_t id = 0;
    std::thread([&] { id = CFunction::GetCurrentThreadId(); }).join();
    EXPECT_EQ(CFunction::PostThreadMessage(id, 1, 0, 0), 0);
    // A queue disappears with its thread.
    std::thread([&] {
        id = CFunction::GetCurrentThreadId();
        CFunction::MsgProcess();
        EXPECT_EQ(CFunction::PostThreadMessage(id, 1, 0, 0), 1);
    }).join();
    EXPECT_EQ(CFunction::PostThreadMessage(id, 1, 0, 0), 0);
}

TEST(MenuState, SetMenuItemStateReplacesOnlyTheItemsState) {
    CFunction::Menu menu;
    menu.AppendItem(100, "Open", CFunction::MenuStateChecked);
    menu.AppendItem(200, "Close");
    struct Case {
        int check;
        int enable;
        uint32_t state;
    };
    for (const Case c : {Case{0, 1, 0u}, Case{1, 1, CFunction::MenuStateChecked},
                         Case{0, 0, CFunction::MenuStateGrayed},
                         Case{5, 0, CFunction::MenuStateGrayed | CFunction::MenuStateChecked}}) {
        CFunction::SetMenuItemState(&menu, 100, c.check, c.enable);
        uint32_t state = 0xFFFF;
        ASSERT_TRUE(menu.GetItemState(100, state));
        EXPECT_EQ(state, c.state) << c.check << "," << c.enable;
    }
    uint32_t other = 0xFFFF;
    ASSERT_TRUE(menu.GetItemState(200, other));
    EXPECT_EQ(other, 0u);
    CFunction::SetMenuItemState(&menu, 300, 1, 0); // no such item: nothing happens
    EXPECT_FALSE(menu.GetItemState(300, other));
    CFunction::SetMenuItemState(nullptr, 100, 1, 1);
}

} // namespace
