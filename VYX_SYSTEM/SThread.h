#pragma once

#include <atomic>
#include <thread>

// A worker thread owned by an object: start() runs onWorkThread() on a new thread, then
// onAfterWorkThread(), and the thread ends.
//
// Stopping: a running thread cannot be killed safely, so terminate() and the destructor ask the
// worker to stop (stopRequested() turns true) and wait for it to end. A subclass must therefore
// end onWorkThread() soon after stopRequested() turns true, and one whose worker uses its own
// members must call terminate() in its own destructor: by the time this base destructor waits,
// those members are gone, and the worker may only ask an SThread reference to itself whether to
// stop. A worker still running when the SThread is destroyed is logged as an error.
class SThread {
public:
    SThread();
    virtual ~SThread();
    virtual const char* getClassName() const { return "SThread"; }

    // The worker's body; the base class shows an error box, a subclass overrides it.
    virtual int onWorkThread();
    // Runs on the worker thread after onWorkThread() has returned; empty here.
    virtual void onAfterWorkThread() {}

    // false when a worker of this object still runs or no thread could be created.
    bool start();
    // Starts the worker and returns when it has finished, keeping the calling thread's events
    // flowing meanwhile. false when the worker could not be started.
    bool startAndDispatch();
    bool isRunning() const { return running.load(std::memory_order_acquire); }
    // Asks the worker to stop and waits until it has ended (unless called by the worker itself,
    // which then only gets the request). Does nothing when no worker runs.
    void terminate();
    // Ordinary threads on POSIX share one scheduling priority: the value is kept and reported by
    // getPriority(), but does not change the scheduling. false when no worker runs.
    bool setPriority(int priority);
    int getPriority() const { return priority; }
    // true once terminate() or the destructor has asked the worker to end.
    bool stopRequested() const { return stopFlag.load(std::memory_order_acquire); }

private:
    static void threadProc(SThread* self);
    void joinFinished();

    std::thread worker;
    std::atomic<bool> running;
    std::atomic<bool> stopFlag;
    int priority;
};
