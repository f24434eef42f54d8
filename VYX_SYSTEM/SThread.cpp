#include "SThread.h"

#include "EventLoop.h"
#include "SError.h"

#include <chrono>
#include <system_error>

namespace {
// The SThread whose worker runs on this thread, so that the object's own worker is recognised
// without reading the thread member that start() may still be assigning.
thread_local SThread* currentWorker = nullptr;
}  // namespace

SThread::SThread() : running(false), stopFlag(false), priority(0) {}

SThread::~SThread() {
    if (isRunning()) {
        globalError().logError(
            "Ein SThread wurde abnormal im Destruktor beendet. Sorgen Sie daf\xFCr, dass die Instance "
            "des SThread-Objektes \xFC"
            "ber die Laufzeit der Thread-Procedure onWorkThread() existiert.");
    }
    terminate();
    // An object destroyed by its own worker cannot wait for that worker.
    if (worker.joinable()) worker.detach();
}

int SThread::onWorkThread() {
    globalError().showError(
        "Sie m\xFCssen von SThread ableiten und die Funktion onWorkTread() \xFC"
        "berschreiben.");
    return 0;
}

void SThread::threadProc(SThread* self) {
    currentWorker = self;
    self->onWorkThread();
    self->onAfterWorkThread();
    currentWorker = nullptr;
    // The last touch of the object: from here on its owner may destroy it.
    self->running.store(false, std::memory_order_release);
    EventLoop::wake();  // a startAndDispatch() waiting in the loop looks again at once
}

void SThread::joinFinished() {
    if (currentWorker != this && worker.joinable()) worker.join();
}

bool SThread::start() {
    if (isRunning() || currentWorker == this) return false;
    joinFinished();
    stopFlag.store(false, std::memory_order_release);
    running.store(true, std::memory_order_release);
    try {
        worker = std::thread(threadProc, this);
    } catch (const std::system_error&) {
        running.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

bool SThread::startAndDispatch() {
    if (!start()) return false;
    // The caller's events keep flowing while the worker runs.
    while (!EventLoop::waitUntil(100, [this] { return !isRunning(); })) {
    }
    joinFinished();
    return true;
}

void SThread::terminate() {
    stopFlag.store(true, std::memory_order_release);
    if (currentWorker == this) return;
    if (worker.joinable()) worker.join();
}

bool SThread::setPriority(int value) {
    if (!isRunning()) return false;
    priority = value;
    return true;
}
