#include <gtest/gtest.h>

#include "platform/MessagePump.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "platform/WindowRegistry.h"

namespace {

class FrameCountingWindow : public Window {
public:
    FrameCountingWindow() : Window("Registry test", 64, 48, true, false, nullptr, false, 32) {}
    void onFrame() override {
        ++frames;
        if (deleteOnFrame)
            delete this;
    }
    int frames = 0;
    bool deleteOnFrame = false;
};

}  // namespace

TEST(WindowRegistry, GrowsByDoublingAndPutsTheNewWindowInTheLastSlot) {
    ASSERT_FALSE(anyWindowRegistered());
    EXPECT_EQ(windowRegistryCapacity(), 0);
    auto* first = new FrameCountingWindow;
    EXPECT_EQ(windowRegistryCapacity(), 1);
    auto* second = new FrameCountingWindow;
    EXPECT_EQ(windowRegistryCapacity(), 2);
    EXPECT_EQ(windowRegistrySlot(1), second);
    auto* third = new FrameCountingWindow;
    EXPECT_EQ(windowRegistryCapacity(), 4);
    EXPECT_EQ(windowRegistrySlot(0), first);
    EXPECT_EQ(windowRegistrySlot(1), second);
    EXPECT_EQ(windowRegistrySlot(2), nullptr);
    EXPECT_EQ(windowRegistrySlot(3), third);
    EXPECT_EQ(windowRegistrySlot(4), nullptr);
    EXPECT_EQ(windowRegistrySlot(-1), nullptr);

    // A freed slot is reused before the array grows.
    delete second;
    EXPECT_EQ(windowRegistrySlot(1), nullptr);
    auto* fourth = new FrameCountingWindow;
    EXPECT_EQ(windowRegistrySlot(1), fourth);
    EXPECT_EQ(windowRegistryCapacity(), 4);

    delete first;
    delete third;
    EXPECT_TRUE(anyWindowRegistered());
    delete fourth;
    EXPECT_FALSE(anyWindowRegistered());
    EXPECT_EQ(windowRegistryCapacity(), 0);
}

TEST(WindowRegistry, ActiveMeansSomeWindowWantsFrames) {
    EXPECT_FALSE(anyWindowActive());
    auto* a = new FrameCountingWindow;
    auto* b = new FrameCountingWindow;
    EXPECT_TRUE(anyWindowActive());
    a->handleMessage(MsgActivateApp, 0, 0);
    EXPECT_TRUE(anyWindowActive());
    b->handleMessage(MsgActivateApp, 0, 0);
    EXPECT_FALSE(anyWindowActive());
    EXPECT_TRUE(anyWindowRegistered());
    delete a;
    delete b;
}

TEST(WindowRegistry, FramesReachEveryWindowInSlotOrderAndSurviveDeletion) {
    auto* a = new FrameCountingWindow;
    auto* b = new FrameCountingWindow;
    auto* c = new FrameCountingWindow;
    frameAllWindows();
    EXPECT_EQ(a->frames, 1);
    EXPECT_EQ(b->frames, 1);
    EXPECT_EQ(c->frames, 1);

    // A window that deletes itself in its frame (a quit button) does not stop
    // the others' frames.
    b->deleteOnFrame = true;
    frameAllWindows();
    EXPECT_EQ(a->frames, 2);
    EXPECT_EQ(c->frames, 2);
    delete a;
    delete c;

    // The last window deleting itself releases the registry mid-loop.
    auto* last = new FrameCountingWindow;
    last->deleteOnFrame = true;
    frameAllWindows();
    EXPECT_FALSE(anyWindowRegistered());
    frameAllWindows();
}

TEST(WindowRegistry, UnregisteringAnUnknownWindowKeepsTheOthers) {
    auto* a = new FrameCountingWindow;
    unregisterWindow(nullptr);
    EXPECT_EQ(windowRegistrySlot(0), a);
    EXPECT_TRUE(anyWindowRegistered());
    delete a;
    EXPECT_FALSE(anyWindowRegistered());
}
