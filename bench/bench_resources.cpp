// Start-up cost of the resource archive: extracting an archive shaped like the delivered one
// (26 entries, about 330 KB) into a fresh temporary folder and removing it again, and getFile
// look-ups afterwards (archive mode: one map search over 26 names).
#include "ArchiveFormat.h"
#include "SResources.h"

#include <benchmark/benchmark.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kNames[26] = {
    "controlpos.ini", "resource.ini", "dieseite.htm",    "page.js",       "tabs.js",      "tab_terminal.gif",
    "tab_prog.gif",   "tab_twi.gif",  "tab_setup.gif",   "tab_info.gif",  "tab_back.gif", "tab_sel.gif",
    "flag_de.gif",    "flag_en.gif",  "product.jpg",     "product_s.jpg", "logo.gif",     "logo_s.gif",
    "button.gif",     "button_s.gif", "terminal_en.lng", "twistatus.txt", "app_big.ico",  "app_smal.ico",
    "resource.rc",    "library.bmp"};

// Sizes in bytes: the page and the product picture dominate, as in the delivered archive.
size_t sizeOf(int i) {
    if (i == 2) return 60000;
    if (i == 14) return 80000;
    if (i == 3 || i == 4) return 20000;
    return 6500;
}

struct Program {
    std::string folder;
    std::string path;
    size_t bytes = 0;
    Program() {
        char pattern[] = "/tmp/vyx-bench-res-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) std::abort();
        folder = pattern;
        std::vector<archive::Entry> entries;
        for (int i = 0; i < 26; ++i) {
            archive::Entry e;
            e.name = kNames[i];
            e.data.resize(sizeOf(i));
            for (size_t k = 0; k < e.data.size(); ++k)
                e.data[k] = char((k * 31 + size_t(i)) & 0xFF);
            if (e.name == "resource.ini") e.data = "[StandardResourcePath]\r\n";
            if (e.name == "controlpos.ini") e.data = "[Standard-Styles]\r\nvyx_color_win_back=#000000\r\n";
            entries.push_back(e);
        }
        const std::string code(2 * 1024 * 1024, 'c');  // the program's own bytes
        const std::string image = code + archive::build(entries, uint32_t(code.size()));
        bytes = image.size() - code.size();
        path = folder + "/zyntra";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(image.data(), 1, image.size(), f);
        std::fclose(f);
    }
    ~Program() {
        ::nftw(
            folder.c_str(),
            [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p), 0; }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    void setUp(SResources& r) const {
        r.programPath = path.c_str();
        r.programDirectory = folder.c_str();
        r.markerState = archive::kStateArchive;
        r.tempFolder = (folder + "/").c_str();
    }
};

const Program& program() {
    static Program p;
    return p;
}

void BM_ExtractArchive(benchmark::State& state) {
    for (auto _ : state) {
        SResources r;
        program().setUp(r);
        if (r.readArchive() != 1) state.SkipWithError("archive not read");
        state.PauseTiming();
        r.cleanUp();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(program().bytes));
}
BENCHMARK(BM_ExtractArchive)->Unit(benchmark::kMillisecond);

// Start-up as the program does it: archive, INI files, style table, then clean-up at the end.
void BM_InitAndCleanUp(benchmark::State& state) {
    for (auto _ : state) {
        SResources r;
        program().setUp(r);
        r.init();
        r.cleanUp();
    }
}
BENCHMARK(BM_InitAndCleanUp)->Unit(benchmark::kMillisecond);

void BM_GetFileArchiveMode(benchmark::State& state) {
    SResources r;
    program().setUp(r);
    r.init();
    const SString names[3] = {"dieSeite.htm", "library.bmp", "twiStatus.txt"};  // first, last, middle
    int i = 0;
    for (auto _ : state) {
        SString path = r.getFile(names[i]);
        benchmark::DoNotOptimize(path.getChars());
        i = (i + 1) % 3;
    }
}
BENCHMARK(BM_GetFileArchiveMode);

}  // namespace

BENCHMARK_MAIN();
