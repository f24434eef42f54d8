#include "GuiFixture.h"
#include "SControl.h"

#include <string>

namespace {

TEST(SControlPlacement, NegativeValuesCountFromTheFarEdgesInOrder) {
    struct Case {
        int x, y, w, h, parentW, parentH;
        RECT expected;
    };
    const Case cases[] = {
        // A button 100 left of the right edge and 30 above the bottom.
        {-100, -30, 80, 24, 1000, 700, {900, 670, 980, 694}},
        // A view ending 40 above the bottom edge.
        {5, 5, 590, -40, 1000, 700, {5, 5, 595, 660}},
        // Width and height measured from the already resolved x and y.
        {-200, -100, -10, -20, 800, 600, {600, 500, 790, 580}},
        {10, 20, -10, -20, 800, 600, {10, 20, 790, 580}},
        // Zero is a position, not a distance from the edge.
        {0, 0, 50, 50, 800, 600, {0, 0, 50, 50}},
        // Before the parent has a size the distances stay negative.
        {-100, -30, 80, 24, 0, 0, {-100, -30, -20, -6}},
    };
    for (const Case& c : cases) {
        RECT r = SControl::placementRect(c.x, c.y, c.w, c.h, c.parentW, c.parentH);
        EXPECT_EQ(r.left, c.expected.left) << c.x << "," << c.y << "," << c.w << "," << c.h;
        EXPECT_EQ(r.top, c.expected.top) << c.x << "," << c.y << "," << c.w << "," << c.h;
        EXPECT_EQ(r.right, c.expected.right) << c.x << "," << c.y << "," << c.w << "," << c.h;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.x << "," << c.y << "," << c.w << "," << c.h;
    }
}

class SWindowTest : public GuiTest {};

TEST_F(SWindowTest, ButtonIsPlacedOnceAgainstTheParentsClientAreaWithItsDefaultSize) {
    CountingFrame frame;
    frame.setSize(1000, 700);
    ASSERT_TRUE(frame.create());
    SButton ende;
    ASSERT_TRUE(ende.create(&frame, "Ende", -100, -30));
    auto* rec = windows.find(ende.getHandle());
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->parent, frame.getHandle());
    EXPECT_EQ(rec->text, "Ende");
    EXPECT_EQ(rec->id, ende.getControlId());
    EXPECT_TRUE(rec->visible);
    EXPECT_EQ(rec->rect.left, 900);
    EXPECT_EQ(rec->rect.top, 670);
    EXPECT_EQ(rec->rect.right - rec->rect.left, 80);
    EXPECT_EQ(rec->rect.bottom - rec->rect.top, 24);

    // Resizing later does not move it: that is the owner's size handler's business.
    windows.resize(frame.getHandle(), 500, 400);
    EXPECT_EQ(windows.find(ende.getHandle())->rect.left, 900);

    SButton orphan;
    EXPECT_FALSE(orphan.create(nullptr, "x", 0, 0));
    SFrameWindow notCreated;
    EXPECT_FALSE(orphan.create(&notCreated, "x", 0, 0));
}

TEST(SEventList, WalksInOrderAndCallsEveryMatchingEntry) {
    std::string calls;
    SEventList list;
    auto entry = [&calls](const char* tag) { return [&calls, tag](UINT, WPARAM, LPARAM) { calls += tag; }; };
    list.add(WM_COMMAND, 5, nullptr, entry("a"));
    list.add(WM_COMMAND, SEventList::anyControl, nullptr, entry("b"));
    list.add(WM_COMMAND, 6, nullptr, entry("c"));
    list.add(WM_SIZE, SEventList::anyControl, nullptr, entry("d"));
    list.add(WM_COMMAND, 5, nullptr, entry("e"));

    struct Case {
        UINT message;
        WPARAM wParam;
        const char* expected;
    };
    const Case cases[] = {
        {WM_COMMAND, makeLong(5, BN_CLICKED), "abe"},
        // The notification code in the high word does not take part.
        {WM_COMMAND, makeLong(5, 0x300), "abe"},
        {WM_COMMAND, makeLong(6, BN_CLICKED), "bc"},
        {WM_COMMAND, makeLong(7, BN_CLICKED), "b"},
        {WM_SIZE, makeLong(5, 0), "d"},
        {WM_CLOSE, 0, ""},
    };
    for (const Case& c : cases) {
        calls.clear();
        int count = list.dispatch(c.message, c.wParam, 0);
        EXPECT_EQ(calls, c.expected) << c.message << " " << c.wParam;
        EXPECT_EQ(count, int(calls.size()));
    }
}

TEST(SEventList, AnEntryAddedByAnActionTakesPartFromTheNextMessageOn) {
    SEventList list;
    int late = 0;
    list.add(WM_COMMAND, SEventList::anyControl, nullptr, [&](UINT, WPARAM, LPARAM) {
        list.add(WM_COMMAND, SEventList::anyControl, nullptr, [&](UINT, WPARAM, LPARAM) { ++late; });
    });
    list.dispatch(WM_COMMAND, 1, 0);
    EXPECT_EQ(late, 0);
    list.dispatch(WM_COMMAND, 1, 0);
    EXPECT_EQ(late, 1);
}

// A frame that lays out a child as the terminal's main window does: 5 from the left and top,
// 5 from the right, 40 from the bottom.
class LayoutFrame : public CountingFrame {
public:
    void onSize(int w, int h) override {
        CountingFrame::onSize(w, h);
        moveWindow(child, 5, 5, w - 10, h - 40);
    }
    HWND child = nullptr;
};

TEST_F(SWindowTest, SizeHandlerGetsTheClientSizeAndMovesAChild) {
    LayoutFrame frame;
    ASSERT_TRUE(frame.create());
    SButton view;
    ASSERT_TRUE(view.create(&frame, "", 5, 5, 590, -40));
    frame.child = view.getHandle();

    struct Case {
        int w, h, childW, childH;
    };
    const Case cases[] = {{800, 600, 790, 560}, {1000, 700, 990, 660}, {10, 40, 0, 0}};
    for (const Case& c : cases) {
        windows.resize(frame.getHandle(), c.w, c.h);
        ASSERT_FALSE(frame.sizes.empty());
        EXPECT_EQ(frame.sizes.back().w, c.w);
        EXPECT_EQ(frame.sizes.back().h, c.h);
        const RECT& r = windows.find(view.getHandle())->rect;
        EXPECT_EQ(r.left, 5);
        EXPECT_EQ(r.top, 5);
        EXPECT_EQ(r.right - r.left, c.childW) << c.w << "x" << c.h;
        EXPECT_EQ(r.bottom - r.top, c.childH) << c.w << "x" << c.h;
    }
}

TEST_F(SWindowTest, CloseAsksOnCloseAndDestroysOnlyWhenItAgrees) {
    enum Route { direct, closeButton, endeButton };
    struct Case {
        Route route;
        int answer;
    };
    const Case cases[] = {{direct, 0},      {direct, 1},     {closeButton, 0},
                          {closeButton, 1}, {endeButton, 0}, {endeButton, 1}};
    for (const Case& c : cases) {
        CountingFrame frame;
        globalApplication().setMainWindow(&frame);
        frame.closeAnswer = c.answer;
        ASSERT_TRUE(frame.create());
        SButton ende;
        ASSERT_TRUE(ende.create(&frame, "Ende", -100, -30));
        frame.getEventList().add(WM_COMMAND, ende.getControlId(), static_cast<SWindow*>(&frame),
                                 &SWindow::close);
        HWND handle = frame.getHandle();

        if (c.route == direct) frame.close();
        if (c.route == closeButton) windows.pressCloseButton(handle);
        if (c.route == endeButton) windows.click(ende.getHandle());

        SCOPED_TRACE(testing::Message() << "route " << c.route << " answer " << c.answer);
        EXPECT_EQ(frame.closeCalls, 1);
        EXPECT_EQ(frame.isCreated(), c.answer == 0);
        EXPECT_EQ(windows.find(handle) != nullptr, c.answer == 0);
        EXPECT_EQ(frame.destroyCalls, c.answer == 0 ? 0 : 1);
        // The children go with the window, and the main window's end ends the loop.
        EXPECT_EQ(ende.isCreated(), c.answer == 0);
        EXPECT_EQ(globalApplication().isQuitting(), c.answer != 0);
        EXPECT_EQ(globalApplication().getWindows().empty(), c.answer != 0);
        frame.destroy();
        EXPECT_EQ(globalApplication().run(), 0);  // returns at once: the main window is gone
        globalApplication().setMainWindow(nullptr);
    }
}

TEST_F(SWindowTest, ACloseRequestWhileOnCloseRunsIsRefused) {
    CountingFrame frame;
    ASSERT_TRUE(frame.create());
    // A shutdown that dispatches events lets the user press the close button again.
    frame.onCloseAction = [&] { windows.pressCloseButton(frame.getHandle()); };
    frame.close();
    EXPECT_EQ(frame.closeCalls, 1);
    EXPECT_EQ(frame.destroyCalls, 1);
    EXPECT_FALSE(frame.isCreated());
}

TEST_F(SWindowTest, WindowObjectGoneBeforeItsWindowDestroysTheWindow) {
    HWND handle = nullptr;
    {
        CountingFrame frame;
        ASSERT_TRUE(frame.create());
        handle = frame.getHandle();
        EXPECT_EQ(globalApplication().getWindows().size(), 1u);
    }
    EXPECT_EQ(windows.find(handle), nullptr);
    EXPECT_TRUE(globalApplication().getWindows().empty());
    EXPECT_EQ(globalApplication().getMainWindow(), nullptr);
}

}  // namespace
