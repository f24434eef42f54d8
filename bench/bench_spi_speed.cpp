// The page's SPI speed test and port search as the user starts them, against the device simulator
// on a pseudo-terminal: the full "Slow" sweep (the connection start, the query, 254 values each set
// and read back, the old value put back, the port closed), unpaced and with the simulator pacing
// every byte at 19200 baud, set against the line-time floor of the bytes that crossed the line;
// and a search of COM1 to COM19 with no device attached.
#if __has_include("ZyntraSim.h")
#include "DieSeite.h"
#include "MemoryPage.h"
#include "SComPortMap.h"
#include "SResources.h"
#include "TempDir.h"
#include "ZyntraSim.h"
#include "testing/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const portName = "COM9";
const int lineBaud = 19200;
const double byteMs = 10.0 * 1000.0 / lineBaud;  // start bit, 8 data bits, stop bit
const size_t framePrefixBytes = 7;

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The page object, counting every byte the device sends.
class CountingPage : public DieSeite {
public:
    ~CountingPage() override { close(0); }  // before this class's part goes away
    void onReceive(unsigned char byte) override {
        received.fetch_add(1);
        DieSeite::onReceive(byte);
    }
    std::atomic<long> received{0};
};

// The page with the elements the commands use, its resources in a temp folder.
struct Rig {
    Rig() {
        temp.write("twiStatus.txt", "00=OK\r\n");
        SResources& resources = globalResources();
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.resourceDirectories.clear();
        resources.resourceDirectories.add(temp.path().c_str());
        SComPortMap::setConfigFile(temp.file("none.cfg").c_str());
        seite.reset(new CountingPage());
        if (seite->create(nullptr) != 1) return;
        seite->expandPage = nullptr;
        std::string html = "<select id=port>";
        for (int i = 1; i <= 19; ++i)
            html += "<option value=COM" + std::to_string(i) + ">COM" + std::to_string(i) + "</option>";
        html += std::string("</select><div id=zyntra_info></div><div id=dexmode_info></div>") +
                "<div id=spiSpeedAusgabeSlow></div><div id=spiPartSlow></div>";
        seite->showHtml(html.c_str(), "");
        ok = true;
    }
    ~Rig() {
        if (seite) seite->close(0);
        seite.reset();
        sim.reset();
        unsetenv((std::string("VYX_PORT_") + portName).c_str());
        SComPortMap::setConfigFile("");
    }
    bool startSim(int baud) {
        ZyntraSimOptions options;
        options.baud = baud;
        sim.reset(new ZyntraSim(options));
        if (!sim->start()) return false;
        setenv((std::string("VYX_PORT_") + portName).c_str(), sim->slavePath().c_str(), 1);
        return page.setValue("port", portName);
    }
    // Bytes the program wrote since the last call: framed commands with their prefix, lines with
    // their line feed.
    long bytesSent() {
        long n = 0;
        for (const ZyntraSimReceived& r : sim->takeReceived())
            n += long(r.text.size() + (r.framed ? framePrefixBytes : 1));
        return n;
    }

    MemoryPage page;  // before the page object, which uses it
    ScriptedDialogs dialogs;
    TempDir temp;
    std::unique_ptr<ZyntraSim> sim;
    std::unique_ptr<CountingPage> seite;
    bool ok = false;
};

void slowSpeedTest(benchmark::State& state, int baud) {
    Rig rig;
    if (!rig.ok || !rig.startSim(baud)) {
        state.SkipWithError("simulator or page not available");
        return;
    }
    double total = 0, floorMs = 0;
    long sent = 0, received = 0;
    bool listed = false;
    for (auto _ : state) {
        rig.bytesSent();
        rig.seite->received.store(0);
        const auto t0 = std::chrono::steady_clock::now();
        rig.seite->spiSpeedTest("Slow");
        total = msSince(t0);
        sent = rig.bytesSent();
        received = rig.seite->received.load();
        floorMs = double(sent + received) * byteMs;
        // 254 entries and the part named: the run went through.
        const std::string part = rig.page.getInnerHTML("spiPartSlow").getChars();
        listed = part.find("ATmega328P") != std::string::npos;
    }
    state.counters["total_ms"] = total;
    state.counters["floor_ms"] = floorMs;
    state.counters["bytes"] = double(sent + received);
    state.counters["completed"] = listed ? 1 : 0;
    std::printf(
        "slow SPI speed test (254 values), %s: %.0f ms; %ld bytes sent, %ld received, line-time floor at "
        "19200 baud %.0f ms; %s\n",
        baud > 0 ? "paced at 19200 baud" : "unpaced", total, sent, received, floorMs,
        listed ? "completed" : "NOT completed");
}

// No adapter attached and no port configured: every name fails to open at once.
void BM_PortSearchNoDevice(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("page not available");
        return;
    }
    double total = 0;
    std::string shown;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        rig.seite->portSearch();
        total = msSince(t0);
        shown = rig.page.getInnerHTML("zyntra_info").getChars();
    }
    state.counters["total_ms"] = total;
    std::printf("port search of COM1..COM19 with no device: %.1f ms (goal under 1000 ms); status: %s\n",
                total, shown.c_str());
}

void BM_SlowSpeedTest(benchmark::State& state) {
    slowSpeedTest(state, 0);
}
void BM_SlowSpeedTestPaced(benchmark::State& state) {
    slowSpeedTest(state, lineBaud);
}
BENCHMARK(BM_SlowSpeedTest)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SlowSpeedTestPaced)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PortSearchNoDevice)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
#else
#include <cstdio>
int main() {
    std::puts("bench_spi_speed: the device simulator is not part of this build");
    return 0;
}
#endif
