#pragma once

#include "SApplication.h"
#include "SFrameWindow.h"
#include "testing/RecordingWindowSystem.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// The recorded window system and scripted dialogs, and an application object without a main
// window before and after each test.
class GuiTest : public ::testing::Test {
protected:
    GuiTest() {
        // Without a main window run() returns at once and clears a quit left by an earlier test.
        globalApplication().setMainWindow(nullptr);
        globalApplication().run();
    }
    ~GuiTest() override { globalApplication().setMainWindow(nullptr); }

    RecordingWindowSystem windows;
    ScriptedDialogs boxes;
};

// A frame that counts its handler calls; onClose answers closeAnswer.
class CountingFrame : public SFrameWindow {
public:
    int onClose() override {
        ++closeCalls;
        if (onCloseAction) onCloseAction();
        return closeAnswer;
    }
    void onInitWindow() override { ++initCalls; }
    void onDestroy() override { ++destroyCalls; }
    void onSize(int w, int h) override { sizes.push_back({w, h}); }
    void onThreadTimer(unsigned) override {
        ++ticks;
        if (onTick) onTick();
    }

    int closeAnswer = 1;
    int closeCalls = 0;
    int initCalls = 0;
    int destroyCalls = 0;
    int ticks = 0;
    std::function<void()> onCloseAction;
    std::function<void()> onTick;
    struct Size {
        int w, h;
    };
    std::vector<Size> sizes;
};
