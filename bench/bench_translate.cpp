// The price of localisable literals: every SString assignment offers the text to the language
// table. A plain text is assigned side by side with std::string, then a localisable literal with
// a table of 100 entries loaded.
#include "SLanguage.h"
#include "SString.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const char* const PLAIN = "SComPort::open(..) CreateFile COM3 -> hPort=7";
const char* const LITERAL = "\xB3\xB3Key50\xB3\xB3Standardtext f\xFCr Nummer 50";

// The text pointer is hidden from the optimiser so that neither side can fold its length.
const char* opaque(const char* text) {
    benchmark::DoNotOptimize(text);
    return text;
}

void BM_SStringPlain(benchmark::State& state) {
    SString s;
    const char* text = opaque(PLAIN);
    for (auto _ : state) {
        s = text;
        benchmark::DoNotOptimize(s.getChars());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SStringPlain);

void BM_StdStringPlain(benchmark::State& state) {
    std::string s;
    const char* text = opaque(PLAIN);
    for (auto _ : state) {
        s = text;
        benchmark::DoNotOptimize(s.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StdStringPlain);

void BM_SStringLiteralTable100(benchmark::State& state) {
    SString file;
    for (int i = 0; i < 100; ++i)
        file.appendFormat("Key%d=Text in der Sprache Nummer %d\xB3\xB3\r\n", i, i);
    globalLanguage().clear();
    globalLanguage().load(file);
    SString s;
    const char* text = opaque(LITERAL);
    for (auto _ : state) {
        s = text;
        benchmark::DoNotOptimize(s.getChars());
        benchmark::ClobberMemory();
    }
    if (s != "Text in der Sprache Nummer 50") state.SkipWithError("literal not translated");
    globalLanguage().clear();
}
BENCHMARK(BM_SStringLiteralTable100);

}  // namespace

BENCHMARK_MAIN();
