// Waits of the event loop sleep instead of spinning: the CPU time the whole process uses during a
// long wait and during a row of 50 ms read steps should be a tiny fraction of the wall time.
#include "EventLoop.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double rusageCpuMs() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
    return ms(ru.ru_utime) + ms(ru.ru_stime);
}

double wallMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

template <class F>
void measure(benchmark::State& state, const char* what, F&& body) {
    for (auto _ : state) {
        const double cpu0 = processCpuMs(), ru0 = rusageCpuMs();
        const auto wall0 = std::chrono::steady_clock::now();
        body();
        const double wall = wallMs(wall0), cpu = processCpuMs() - cpu0, ru = rusageCpuMs() - ru0;
        state.counters["wall_ms"] = wall;
        state.counters["cpu_ms"] = cpu;
        state.counters["rusage_cpu_ms"] = ru;
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        std::printf("%s: wall %.1f ms, process CPU %.3f ms (getrusage %.3f ms), %.4f %% of wall\n", what,
                    wall, cpu, ru, 100.0 * cpu / wall);
    }
}

void BM_Wait3Seconds(benchmark::State& state) {
    measure(state, "one wait of 3000 ms", [] { EventLoop::wait(3000); });
}
BENCHMARK(BM_Wait3Seconds)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Wait60Steps50Ms(benchmark::State& state) {
    measure(state, "60 waits of 50 ms", [] {
        for (int i = 0; i < 60; ++i)
            EventLoop::wait(50);
    });
}
BENCHMARK(BM_Wait60Steps50Ms)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a tick costs: a 3-second wait with a 10 ms timer running.
void BM_Wait3SecondsWith10MsTimer(benchmark::State& state) {
    int ticks = 0;
    const unsigned id = EventLoop::setTimer(10, [&](unsigned, unsigned) { ++ticks; });
    measure(state, "one wait of 3000 ms with a 10 ms timer", [] { EventLoop::wait(3000); });
    EventLoop::killTimer(id);
    state.counters["ticks"] = ticks;
    std::printf("  ticks during the wait: %d\n", ticks);
}
BENCHMARK(BM_Wait3SecondsWith10MsTimer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// How soon a wait for data ends after another thread delivers it and wakes the loop.
void BM_WakeLatency(benchmark::State& state) {
    double worst = 0, total = 0;
    int rounds = 0;
    for (auto _ : state) {
        std::atomic<bool> arrived{false};
        std::atomic<long long> wokenAt{0};
        std::thread reader([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            wokenAt = std::chrono::steady_clock::now().time_since_epoch().count();
            arrived = true;
            EventLoop::wake();
        });
        EventLoop::waitUntil(10000, [&] { return arrived.load(); });
        const long long now = std::chrono::steady_clock::now().time_since_epoch().count();
        reader.join();
        const double latency =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::duration(now - wokenAt))
                .count();
        worst = latency > worst ? latency : worst;
        total += latency;
        ++rounds;
    }
    state.counters["mean_latency_ms"] = total / rounds;
    state.counters["worst_latency_ms"] = worst;
    std::printf("wake to end of wait: mean %.3f ms, worst %.3f ms over %d rounds\n", total / rounds, worst,
                rounds);
}
BENCHMARK(BM_WakeLatency)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
