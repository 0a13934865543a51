// Time of the rename's whole chain of expansions on one template, per call and per output byte
// (bytes_per_second, and time_per_byte). A mask full of tokens with a long value must cost about
// the same per output byte as a typical mask: no quadratic blow-up. The ranges case cuts pieces
// out of a long base name; its UTF-8 twin holds Cyrillic letters, so every range walks the
// value by character, and costs within 1.5 times the single-byte figure per output byte.
//   build/native/bench/bench_mask

#include "engine/mask.hpp"

#include "bench/run_benchmarks.hpp"
#include "tests/support/test_support.hpp"

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
std::string runChain(std::string_view mask, std::string_view baseName,
                     const nm::CodePage& codePage) {
    std::string tmpl(mask);
    bool ok = nm::ExpandToken(tmpl, "[N", baseName, codePage);
    for (const Token& token : kDateAndPath) {
        ok = ok && nm::ExpandToken(tmpl, token.prefix, token.value, codePage);
    }
    nm::ReplaceAll(tmpl, "[C]", "005", codePage);
    nm::ReplaceAll(tmpl, "[[]", "[", codePage);
    nm::ReplaceAll(tmpl, "[]]", "]", codePage);
    return ok ? tmpl : std::string();
}

struct Case {
    std::string mask;
    std::string baseName;
    std::string expected;
    nm::CodePage codePage;
};

Case typicalCase() {
    return {"[P]-[Y][M][D]_[C].[E]", "IMG_0001", "2020-20261207_005.JPG", {}};
}

// Ranges from the front, from the back and counts, over a base name of 120 letters; `letter`
// gives the i-th letter (one byte, or two in UTF-8).
template <typename Letter>
Case rangesCase(Letter letter, nm::CodePage codePage) {
    Case c;
    c.codePage = codePage;
    for (int i = 0; i < 120; ++i) {
        c.baseName += letter(i);
    }
    c.mask = "[N1-60]_[N-60-]_[N30,40]_[N-1]_[C].[E]";
    const auto letters = [&](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            c.expected += letter(i);
        }
    };
    letters(0, 60);
    c.expected += '_';
    letters(60, 60);
    c.expected += '_';
    letters(29, 40);
    c.expected += '_';
    letters(119, 1);
    c.expected += "_005.JPG";
    return c;
}

Case rangesSingleByte() {
    return rangesCase([](int i) { return std::string(1, static_cast<char>('a' + i % 26)); }, {});
}

// Cyrillic а to я: D0 B0 to D0 BF, then D1 80 to D1 8F.
Case rangesUtf8() {
    return rangesCase(
        [](int i) {
            const int k = i % 32;
            return k < 16 ? std::string{'\xD0', static_cast<char>(0xB0 + k)}
                          : std::string{'\xD1', static_cast<char>(0x80 + k - 16)};
        },
        nm::test::utf8());
}

Case typicalUtf8() {
    Case c = typicalCase();
    c.codePage = nm::test::utf8();
    return c;
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
        std::string name = runChain(c.mask, c.baseName, c.codePage);
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

void BM_RangesMask(benchmark::State& state) {
    runCase(state, rangesSingleByte());
}
void BM_TypicalMaskUtf8(benchmark::State& state) {
    runCase(state, typicalUtf8());
}
void BM_RangesMaskUtf8(benchmark::State& state) {
    runCase(state, rangesUtf8());
}

BENCHMARK(BM_TypicalMask);
BENCHMARK(BM_WorstCaseMask);
BENCHMARK(BM_RangesMask);
BENCHMARK(BM_TypicalMaskUtf8);
BENCHMARK(BM_RangesMaskUtf8);

}  // namespace

int main(int argc, char** argv) {
    // A benchmark of wrong results would mean nothing.
    for (const Case& c :
         {typicalCase(), worstCase(), rangesSingleByte(), typicalUtf8(), rangesUtf8()}) {
        if (runChain(c.mask, c.baseName, c.codePage) != c.expected) {
            std::fprintf(stderr, "bench_mask: wrong result for the mask %s\n", c.mask.c_str());
            return 1;
        }
    }
    return runBenchmarks(argc, argv);
}
