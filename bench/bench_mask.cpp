// Time of the rename's whole chain of expansions on one template, per call and per output byte
// (bytes_per_second, and time_per_byte). A mask full of tokens with a long value must cost about
// the same per output byte as a typical mask: no quadratic blow-up.
//   build/native/bench/bench_mask

#include "engine/mask.hpp"

#include "bench/run_benchmarks.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

struct Token {
    std::string_view prefix;
    std::string_view value;
};

// The prefix tokens in the order the rename expands them, with the values for
// C:\Photos\2020\IMG_0001.JPG last written on 7 December 2026 at 09:05:36; the base name comes
// from the case.
constexpr Token kDateAndPath[] = {
    {"[E", "JPG"}, {"[P", "2020"}, {"[d", "07.12.2026"}, {"[Y", "2026"},
    {"[y", "26"},  {"[M", "12"},   {"[D", "07"},         {"[t", "09.05.36"},
    {"[h", "09"},  {"[m", "05"},   {"[s", "36"},
};

// The rename's chain: the twelve prefix tokens, then the counter (file index 4, start 1, step 1,
// three digits) and the two escapes.
std::string runChain(std::string_view mask, std::string_view baseName) {
    std::string tmpl(mask);
    bool ok = nm::ExpandToken(tmpl, "[N", baseName);
    for (const Token& token : kDateAndPath) {
        ok = ok && nm::ExpandToken(tmpl, token.prefix, token.value);
    }
    nm::ReplaceAll(tmpl, "[C]", "005");
    nm::ReplaceAll(tmpl, "[[]", "[");
    nm::ReplaceAll(tmpl, "[]]", "]");
    return ok ? tmpl : std::string();
}

struct Case {
    std::string mask;
    std::string baseName;
    std::string expected;
};

Case typicalCase() {
    return {"[P]-[Y][M][D]_[C].[E]", "IMG_0001", "2020-20261207_005.JPG"};
}

// 100 characters of [N] tokens (33 of them and a closing "x"), with a 255-character base name.
Case worstCase() {
    Case c;
    for (int i = 0; i < 33; ++i) {
        c.mask += "[N]";
    }
    c.mask += "x";
    for (int i = 0; i < 255; ++i) {
        c.baseName += static_cast<char>('a' + i % 26);
    }
    for (int i = 0; i < 33; ++i) {
        c.expected += c.baseName;
    }
    c.expected += "x";
    return c;
}

void runCase(benchmark::State& state, const Case& c) {
    for (auto _ : state) {
        std::string name = runChain(c.mask, c.baseName);
        benchmark::DoNotOptimize(name.data());
        benchmark::ClobberMemory();
    }
    const auto bytes = static_cast<double>(c.expected.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(c.expected.size()));
    state.counters["output_bytes"] = bytes;
    state.counters["time_per_byte"] = benchmark::Counter(
        bytes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TypicalMask(benchmark::State& state) {
    runCase(state, typicalCase());
}
void BM_WorstCaseMask(benchmark::State& state) {
    runCase(state, worstCase());
}

BENCHMARK(BM_TypicalMask);
BENCHMARK(BM_WorstCaseMask);

}  // namespace

int main(int argc, char** argv) {
    // A benchmark of wrong results would mean nothing.
    for (const Case& c : {typicalCase(), worstCase()}) {
        if (runChain(c.mask, c.baseName) != c.expected) {
            std::fprintf(stderr, "bench_mask: wrong result for the mask %s\n", c.mask.c_str());
            return 1;
        }
    }
    return RunBenchmarks(argc, argv);
}
