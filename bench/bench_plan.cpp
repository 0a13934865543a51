// Time and memory of planning a whole batch: 10,000 and 100,000 paths spread over 100
// folders, each folder a mix of plain renames, one long renumbering chain, swaps, three-file
// cycles and files that keep their names. Reports the time per batch and per path, and the
// peak of the heap bytes in use while planning (the result included, the requests not),
// per path, counted by the global operator new below.
//   build/native/bench/bench_plan

#include "engine/plan.hpp"

#include "bench/run_benchmarks.hpp"
#include "tests/support/test_support.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// Bytes in use and their peak. Every block carries its size in a header in front.
std::atomic<std::size_t> gInUse{0};
std::atomic<std::size_t> gPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* countedAlloc(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    const std::size_t inUse = gInUse.fetch_add(size, std::memory_order_relaxed) + size;
    if (inUse > gPeak.load(std::memory_order_relaxed)) {
        gPeak.store(inUse, std::memory_order_relaxed);
    }
    return static_cast<char*>(block) + kHeader;
}

void countedFree(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - kHeader;
    gInUse.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

using nm::test::upper;

constexpr int kFolders = 100;

struct Batch {
    std::vector<nm::PlanRequest> requests;
    std::unordered_set<std::string> disk;  // folded paths
    std::size_t moves = 0;                 // expected, temporary ones included
};

// Per folder of n files: n/10 keep their names, n/10 form swaps, n/10 - n/10 % 3 form
// three-file cycles, n/5 a renumbering chain img_1 -> img_2 -> ..., the rest plain renames.
Batch makeBatch(int size) {
    Batch batch;
    batch.requests.reserve(static_cast<std::size_t>(size));
    const int perFolder = size / kFolders;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = "C:\\Photos\\Trip " + std::to_string(f) + "\\";
        auto add = [&](const std::string& from, const std::string& to) {
            batch.requests.push_back({folder + from, to.empty() ? std::string() : folder + to});
        };
        const int unchanged = perFolder / 10;
        const int swaps = perFolder / 10 / 2;
        const int triples = perFolder / 10 / 3;
        const int chain = perFolder / 5;
        const int plain = perFolder - unchanged - 2 * swaps - 3 * triples - chain;
        for (int i = 0; i < unchanged; ++i) {
            add("keep_" + std::to_string(i) + ".jpg", "");
        }
        for (int i = 0; i < swaps; ++i) {
            const std::string a = "left_" + std::to_string(i) + ".jpg";
            const std::string b = "right_" + std::to_string(i) + ".jpg";
            add(a, b);
            add(b, a);
        }
        for (int i = 0; i < triples; ++i) {
            const std::string n[3] = {"x_" + std::to_string(i) + ".jpg",
                                      "y_" + std::to_string(i) + ".jpg",
                                      "z_" + std::to_string(i) + ".jpg"};
            add(n[0], n[1]);
            add(n[1], n[2]);
            add(n[2], n[0]);
        }
        // Listed from the start of the chain: the wrong order for making the moves.
        for (int i = 1; i <= chain; ++i) {
            add("IMG_" + std::to_string(i) + ".JPG", "IMG_" + std::to_string(i + 1) + ".JPG");
        }
        for (int i = 0; i < plain; ++i) {
            add("DSC" + std::to_string(i) + ".jpg", "Trip " + std::to_string(i) + ".jpg");
        }
        batch.moves += static_cast<std::size_t>(perFolder - unchanged + swaps + triples);
    }
    batch.disk.reserve(batch.requests.size());
    for (const nm::PlanRequest& request : batch.requests) {
        batch.disk.insert(upper(request.from));
    }
    return batch;
}

nm::PlanRules rulesFor(const Batch& batch) {
    nm::PlanRules rules;
    rules.foldName = upper;
    rules.exists = [&batch](std::string_view path) { return batch.disk.contains(upper(path)); };
    return rules;
}

bool planIsRight(const Batch& batch, const nm::Plan& plan) {
    return plan.conflicts == 0 && plan.moves.size() == batch.moves;
}

// Makes the moves on a copy of the disk: each needs its source there and its target free,
// and in the end every file is at its new path.
bool movesWork(const Batch& batch, const nm::Plan& plan) {
    std::unordered_set<std::string> disk = batch.disk;
    for (const nm::PlanMove& move : plan.moves) {
        if (disk.erase(upper(move.from)) != 1 || !disk.insert(upper(move.to)).second) {
            return false;
        }
    }
    std::unordered_set<std::string> expected;
    for (const nm::PlanRequest& request : batch.requests) {
        expected.insert(upper(request.to.empty() ? request.from : request.to));
    }
    return disk == expected;
}

void BM_Plan(benchmark::State& state) {
    const Batch batch = makeBatch(static_cast<int>(state.range(0)));
    const nm::PlanRules rules = rulesFor(batch);
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = gInUse.load();
        gPeak.store(before);
        nm::Plan plan = nm::makePlan(batch.requests, rules, false);
        peak = std::max(peak, gPeak.load() - before);
        benchmark::DoNotOptimize(plan.moves.data());
        state.PauseTiming();
        if (!planIsRight(batch, plan)) {
            state.SkipWithError("wrong plan");
        }
        plan = {};  // its freeing is not the planner's time
        state.ResumeTiming();
    }
    const auto paths = static_cast<double>(batch.requests.size());
    state.counters["paths"] = paths;
    state.counters["time_per_path"] = benchmark::Counter(
        paths, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["peak_bytes_per_path"] = static_cast<double>(peak) / paths;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
}

BENCHMARK(BM_Plan)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t size) {
    return countedAlloc(size);
}
void* operator new[](std::size_t size) {
    return countedAlloc(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedAlloc(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* pointer) noexcept {
    countedFree(pointer);
}
void operator delete[](void* pointer) noexcept {
    countedFree(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    countedFree(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    countedFree(pointer);
}

int main(int argc, char** argv) {
    // A benchmark of a wrong plan would mean nothing.
    const Batch batch = makeBatch(10'000);
    const nm::Plan plan = nm::makePlan(batch.requests, rulesFor(batch), false);
    if (!planIsRight(batch, plan) || !movesWork(batch, plan)) {
        std::fprintf(stderr, "bench_plan: wrong plan for the sample batch\n");
        return 1;
    }
    return runBenchmarks(argc, argv);
}
