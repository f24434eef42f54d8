// Dexmode exchanges as the terminal page makes them, against the device simulator on a
// pseudo-terminal: the page's send of one line (written, answered, command and answer shown in
// the in-memory page) and the script runner over as many exchanges as the slow SPI speed sweep
// makes (510). Each runs unpaced and with the simulator pacing every byte at 19200 baud; the paced
// figures are set against the line-time floor of the bytes that cross the line.
#if __has_include("ZyntraSim.h")
#include "DieSeite.h"
#include "MemoryPage.h"
#include "SResources.h"
#include "TempDir.h"
#include "ZyntraSim.h"
#include "testing/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const portName = "COM9";
const char* const pageLine = "m:main";
const int lineBaud = 19200;
const double byteMs = 10.0 * 1000.0 / lineBaud;  // start bit, 8 data bits, stop bit

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

std::string degreesToCr(std::string s) {
    std::replace(s.begin(), s.end(), '\xB0', '\r');
    return s;
}

// The two kinds of line of the slow sweep: set a value, then read the target's signature.
std::string settingLine(int value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " %02X", value);
    return degreesToCr("m:main\xB0mode mm\xB0m:set\xB0spiSlow") + hex;
}
const std::string signatureLine = degreesToCr(
    "m:main\xB0mode mm\xB0rst 00\xB0pwr 01\xB0m:spi\xB0start 01\xB0rst 01\xB0send AC530000\xB0send "
    "30000200\xB0"
    "send 30000100\xB0send 30000000\xB0rst 00\xB0"
    "end");

// The page with the simulator behind its port, connected in Dexmode.
struct Rig {
    explicit Rig(int baud) {
        temp.write("twiStatus.txt", "00=OK\r\n01=Unbekannter Befehl\r\n");
        SResources& resources = globalResources();
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.resourceDirectories.clear();
        resources.resourceDirectories.add(temp.path().c_str());
        ZyntraSimOptions options;
        options.baud = baud;
        sim.reset(new ZyntraSim(options));
        if (!sim->start()) return;
        setenv((std::string("VYX_PORT_") + portName).c_str(), sim->slavePath().c_str(), 1);
        seite.reset(new DieSeite());
        if (seite->create(nullptr) != 1) return;
        seite->expandPage = nullptr;
        const std::string html = std::string("<select id=port><option value=") + portName + ">" + portName +
                                 "</option></select><div id=dexmode_info></div>";
        seite->showHtml(html.c_str(), "");
        SString message;
        ok = seite->enshureDexmodeAndOpenPort(message) == 1;
    }
    ~Rig() {
        if (seite) seite->close(0);
        seite.reset();
        sim.reset();
        unsetenv((std::string("VYX_PORT_") + portName).c_str());
    }
    // The exact bytes of one exchange on the line: the line, its line feed, the whole answer.
    int lineBytes(const std::string& line) {
        SString answer;
        seite->write(SString((line + "\n").c_str()));
        seite->readUntil(answer, 1000, "\n");
        return int(line.size()) + 1 + answer.getLength();
    }

    MemoryPage page;  // before the page object, which uses it
    ScriptedDialogs dialogs;
    TempDir temp;
    std::unique_ptr<ZyntraSim> sim;
    std::unique_ptr<DieSeite> seite;
    bool ok = false;
};

void pageSend(benchmark::State& state, int baud) {
    Rig rig(baud);
    if (!rig.ok) {
        state.SkipWithError("simulator or port not available");
        return;
    }
    const double floorMs = rig.lineBytes(pageLine) * (baud > 0 ? byteMs : 0);
    std::vector<double> times;
    int failed = 0;
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i) {
            rig.page.scripts.clear();
            const auto t0 = std::chrono::steady_clock::now();
            const int ok = rig.seite->dexmodeSendLine(pageLine);
            times.push_back(msSince(t0));
            // Shown: the command and the answer block with its status.
            if (!ok || rig.page.scripts.size() != 2 ||
                std::string(rig.page.scripts[1].code).find("dexmode_answerOK") == std::string::npos)
                ++failed;
        }
    }
    const double median = percentile(times, 0.5), p95 = percentile(times, 0.95);
    state.counters["median_ms"] = median;
    state.counters["p95_ms"] = p95;
    state.counters["floor_ms"] = floorMs;
    state.counters["failed"] = failed;
    std::printf(
        "page send of one line, %s: %zu exchanges, median %.2f ms, p95 %.2f ms, line-time floor %.2f ms, "
        "%d not shown as answered\n",
        baud > 0 ? "paced at 19200 baud" : "unpaced", times.size(), median, p95, floorMs, failed);
}

void slowSweep(benchmark::State& state, int baud) {
    Rig rig(baud);
    if (!rig.ok) {
        state.SkipWithError("simulator or port not available");
        return;
    }
    // 254 values, each set and then read back, plus the query before and the restore after.
    std::vector<std::string> lines;
    lines.push_back(degreesToCr("m:main\xB0mode mm\xB0m:set\xB0spiSlow"));
    for (int v = 1; v <= 254; ++v) {
        lines.push_back(settingLine(v));
        lines.push_back(signatureLine);
    }
    lines.push_back(settingLine(10));
    double floorMs = 0;
    if (baud > 0) {
        floorMs += rig.lineBytes(lines.front());
        floorMs += 254.0 * (rig.lineBytes(settingLine(1)) + rig.lineBytes(signatureLine));
        floorMs += rig.lineBytes(lines.back());
        floorMs *= byteMs;
    }
    double total = 0;
    int failed = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        for (const std::string& line : lines) {
            SString answers;
            if (!rig.seite->sendDexmodeScript(line.c_str(), answers)) ++failed;
        }
        total = msSince(t0);
    }
    state.counters["total_ms"] = total;
    state.counters["floor_ms"] = floorMs;
    state.counters["failed"] = failed;
    std::printf(
        "slow sweep of %zu exchanges through the script runner, %s: %.0f ms, line-time floor %.0f ms, "
        "%d failed\n",
        lines.size(), baud > 0 ? "paced at 19200 baud" : "unpaced", total, floorMs, failed);
}

void BM_PageSend(benchmark::State& state) {
    pageSend(state, 0);
}
void BM_PageSendPaced(benchmark::State& state) {
    pageSend(state, lineBaud);
}
void BM_SlowSweep510(benchmark::State& state) {
    slowSweep(state, 0);
}
void BM_SlowSweep510Paced(benchmark::State& state) {
    slowSweep(state, lineBaud);
}
BENCHMARK(BM_PageSend)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageSendPaced)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SlowSweep510)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SlowSweep510Paced)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
#else
#include <cstdio>
int main() {
    std::puts("bench_dexmode_page: the device simulator is not part of this build");
    return 0;
}
#endif
