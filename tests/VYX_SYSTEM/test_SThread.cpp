#include "SError.h"
#include "SThread.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

template <typename Condition>
bool eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Notes what runs, in order; the work waits at a gate that the test opens.
class Recorder : public SThread {
public:
    explicit Recorder(bool gated) : gateOpen(!gated) {}
    ~Recorder() override { terminate(); }
    int onWorkThread() override {
        note("work");
        while (!gateOpen && !stopRequested())
            std::this_thread::yield();
        return 0;
    }
    void onAfterWorkThread() override { note("after"); }
    void note(const char* what) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(what);
    }
    std::vector<std::string> recorded() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    std::atomic<bool> gateOpen;

private:
    std::mutex mutex;
    std::vector<std::string> events;
};

// Works until asked to stop; tells the test, through flags outside the object, that it did. Once
// running it touches nothing of its own part of the object, which may already be destroyed when the
// stop request comes from the base destructor.
class Looper : public SThread {
public:
    Looper(std::atomic<bool>& entered, std::atomic<bool>& ended) : entered(entered), ended(ended) {}
    int onWorkThread() override {
        std::atomic<bool>& done = ended;
        const SThread& self = *this;
        entered = true;
        while (!self.stopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        done = true;
        return 0;
    }

private:
    std::atomic<bool>& entered;
    std::atomic<bool>& ended;
};

const char* ABNORMAL_END =
    "Ein SThread wurde abnormal im Destruktor beendet. Sorgen Sie daf\xFCr, dass die Instance des "
    "SThread-Objektes \xFC"
    "ber die Laufzeit der Thread-Procedure onWorkThread() existiert.";

}  // namespace

TEST(SThreadTest, StartRunsTheWorkThenTheAfterHookAndCanStartAgain) {
    Recorder thread(true);
    EXPECT_FALSE(thread.isRunning());
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(eventually([&] { return thread.recorded().size() == 1; }));
    EXPECT_TRUE(thread.isRunning());
    EXPECT_FALSE(thread.start());  // one worker at a time
    thread.gateOpen = true;
    ASSERT_TRUE(eventually([&] { return !thread.isRunning(); }));
    EXPECT_EQ(thread.recorded(), (std::vector<std::string>{"work", "after"}));

    ASSERT_TRUE(thread.startAndDispatch());
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(thread.recorded(), (std::vector<std::string>{"work", "after", "work", "after"}));
}

TEST(SThreadTest, TerminateStopsTheWorkerQuietly) {
    std::atomic<bool> entered{false}, ended{false};
    globalError().log = "";
    Looper thread(entered, ended);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(eventually([&] { return entered.load(); }));
    thread.terminate();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(globalError().log, "");
    thread.terminate();  // nothing left to stop
}

TEST(SThreadTest, DestroyingARunningThreadLogsAndStopsTheWorker) {
    std::atomic<bool> entered{false}, ended{false};
    globalError().log = "";
    for (int i = 0; i < 2; ++i) {
        entered = ended = false;
        Looper* thread = new Looper(entered, ended);
        ASSERT_TRUE(thread->start());
        ASSERT_TRUE(eventually([&] { return entered.load(); }));
        delete thread;
        EXPECT_TRUE(ended);  // no worker outlives its object
    }
    EXPECT_EQ(globalError().log, SString("\r\n") + ABNORMAL_END);  // logged once
    globalError().log = "";
}

TEST(SThreadTest, DestroyingAFinishedThreadLogsNothing) {
    globalError().log = "";
    {
        Recorder thread(false);
        ASSERT_TRUE(thread.start());
        ASSERT_TRUE(eventually([&] { return !thread.isRunning(); }));
    }
    EXPECT_EQ(globalError().log, "");
}

TEST(SThreadTest, TheBaseWorkTellsTheDeveloperToDerive) {
    ScriptedDialogs boxes;
    SThread thread;
    ASSERT_TRUE(thread.startAndDispatch());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Sie m\xFCssen von SThread ableiten und die Funktion onWorkTread() \xFC"
              "berschreiben.");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}
