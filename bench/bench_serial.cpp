// Dexmode line exchanges (one write, then readUntil the line feed) with the device simulator on a
// pseudo-terminal, through the real serial port and device link. Reports the median time per
// exchange, how soon the answer really was there (a read ends as soon as its line end has come, so
// the two are close), and the CPU time the program's side used while it waited.
#if __has_include("ZyntraSim.h")
#include "EventLoop.h"
#include "SComPort.h"
#include "Zyntra.h"
#include "ZyntraSim.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A line the device answers in Dexmode with one status line; the slow SPI test sends lines of
// this kind, one per exchange.
const char* const dexmodeLine = "send 30000000\n";
const int lineTimeoutMs = 800;

// The simulator in Dexmode behind COM9, and the device link opened on it.
struct Rig {
    Rig() {
        if (!sim.start()) return;
        setenv("VYX_PORT_COM9", sim.slavePath().c_str(), 1);
        if (!zyntra.open("COM9")) return;
        SString ack;
        ok = zyntra.sendCmd("m", &ack) == 1;
    }
    ~Rig() {
        zyntra.close(0);
        sim.stop();
        unsetenv("VYX_PORT_COM9");
    }
    ZyntraSim sim;
    Zyntra zyntra;
    bool ok = false;
};

// One exchange as the page does it: write the line, readUntil its answer.
double exchange(Zyntra& zyntra) {
    const auto t0 = std::chrono::steady_clock::now();
    SString answer;
    zyntra.write(SString(dexmodeLine));
    zyntra.readUntil(answer, lineTimeoutMs, "\n");
    return msSince(t0);
}

// How soon the answer is really in the receive buffer: write, then look every 0.2 ms.
double answerLatency(Zyntra& zyntra) {
    zyntra.purge();
    const auto t0 = std::chrono::steady_clock::now();
    zyntra.write(SString(dexmodeLine));
    for (;;) {
        const int n = zyntra.receiveBuffer.getAvailable();
        unsigned char last = 0;
        if (n > 0 && zyntra.receiveBuffer.peek(n - 1, last) && last == '\n') break;
        if (msSince(t0) > lineTimeoutMs) return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double ms = msSince(t0);
    zyntra.purge();
    return ms;
}

void runExchanges(benchmark::State& state, const char* what, int perIteration) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("simulator or port not available");
        return;
    }
    std::vector<double> walls;
    double cpuUi = 0, cpuProcess = 0, wall = 0;
    for (auto _ : state) {
        const double ui0 = threadCpuMs(), p0 = processCpuMs();
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < perIteration; ++i)
            walls.push_back(exchange(rig.zyntra));
        wall += msSince(t0);
        cpuUi += threadCpuMs() - ui0;
        cpuProcess += processCpuMs() - p0;
    }
    std::vector<double> latencies;
    for (int i = 0; i < 20; ++i)
        latencies.push_back(answerLatency(rig.zyntra));
    const double med = median(walls);
    const double answer = median(latencies);
    state.counters["median_ms"] = med;
    state.counters["answer_there_ms"] = answer;
    state.counters["ui_cpu_ms"] = cpuUi;
    state.counters["process_cpu_ms"] = cpuProcess;
    std::printf(
        "%s: %zu exchanges in %.0f ms; median %.2f ms per exchange; the answer is in the receive "
        "buffer after a median %.2f ms; CPU during the exchanges: "
        "user-interface thread %.1f ms (%.3f %% of wall), whole process with reader thread and "
        "simulator %.1f ms (%.3f %%)\n",
        what, walls.size(), wall, med, answer, cpuUi, 100 * cpuUi / wall, cpuProcess,
        100 * cpuProcess / wall);
}

void BM_DexmodeLineExchange(benchmark::State& state) {
    runExchanges(state, "one exchange", 1);
}
BENCHMARK(BM_DexmodeLineExchange)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DexmodeLineExchange510(benchmark::State& state) {
    runExchanges(state, "510 exchanges", 510);
}
BENCHMARK(BM_DexmodeLineExchange510)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
#else
#include <cstdio>
int main() {
    std::puts("bench_serial: the device simulator is not part of this build");
    return 0;
}
#endif
