// process over a batch of real files, against the bare file-system calls it cannot avoid:
// FindFirstFileA for the time stamp, plus MoveFileA for a real rename; and the batch
// renamed the way the reference host plans it (every file previewed through process, the
// batch planned, then MoveFileExA per move; then also journalled) against the plug-in moving
// each file itself.
// Same files, same run, alternating, so Wine's and the disk's moods touch all sides alike.
//
//   bench_process [FILES] [ROUNDS]      defaults 2000 files (folders of 500), 5 rounds

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/plan.hpp"
#include "engine/win32/plan_rules.hpp"
#include "host/journal.hpp"
#include "plugin/exports.h"

namespace {

constexpr int kFolderSize = 500;  // Wine slows down renames in large folders

double now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void setMask(char (&field)[100], const char* text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text, std::strlen(text));
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    HMODULE dll = LoadLibraryA(NAMEMASK_DLL_NAME);
    auto process =
        reinterpret_cast<NamemaskProcess>(reinterpret_cast<void*>(GetProcAddress(dll, "process")));
    auto newOpt =
        reinterpret_cast<NamemaskNewOpt>(reinterpret_cast<void*>(GetProcAddress(dll, "newOpt")));
    if (process == nullptr || newOpt == nullptr || files <= 0 || rounds <= 0) {
        std::fputs("bench_process: cannot load " NAMEMASK_DLL_NAME " or bad arguments\n", stderr);
        return 1;
    }
    RenameOptions* record = nullptr;
    newOpt(&record);

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "nm_bench_" + std::to_string(GetTickCount());
    CreateDirectoryA(root.c_str(), nullptr);
    std::vector<std::string> dat, bak;  // the two names each file alternates between
    for (int i = 0; i < files; ++i) {
        const std::string folder = root + "\\" + std::to_string(i / kFolderSize);
        if (i % kFolderSize == 0) {
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        char name[32];
        std::snprintf(name, sizeof name, "\\IMG_%05d.", i);
        dat.push_back(folder + name + "dat");
        bak.push_back(folder + name + "bak");
        HANDLE h =
            CreateFileA(dat.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
    }

    std::vector<double> barePreview, pluginPreview, bareReal, pluginReal, planned, journalled;
    std::vector<nm::PlanRequest> requests;
    const std::string journalPath = root + "\\bench.journal";
    int failed = 0;

    // The renames of the direct run, dat -> bak, planned as a whole first; with a journal,
    // also as the reference host makes them: the plan, then a record per move, each flushed
    // to disk. Untimed, the files go back to dat.
    auto plannedBatch = [&](const std::optional<std::string>& journalFile) {
        setMask(record->NameMask, "[N]");
        setMask(record->ExtMask, "bak");
        const double start = now();
        requests.clear();
        for (int i = 0; i < files; ++i) {
            const char* path = dat[i].c_str();
            process(&path, path, i, 0, &record, 1);
            requests.push_back({dat[i], path != dat[i].c_str() ? path : ""});
        }
        const nm::Plan plan = nm::MakePlan(requests, nm::WindowsPlanRules(), false);
        std::optional<nm::JournalWriter> journal;
        if (journalFile) {
            journal.emplace(journalFile, plan.moves);
        }
        for (std::size_t m = 0; m < plan.moves.size(); ++m) {
            failed += MoveFileExA(plan.moves[m].from.c_str(), plan.moves[m].to.c_str(), 0) == 0;
            failed += journal && !journal->RecordDone(m);
        }
        const double elapsed = now() - start;
        failed += files - static_cast<int>(plan.moves.size());
        journal.reset();
        if (journalFile) {
            DeleteFileA(journalFile->c_str());
        }
        for (int i = 0; i < files; ++i) {
            MoveFileA(bak[i].c_str(), dat[i].c_str());
        }
        return elapsed;
    };

    WIN32_FIND_DATAA entry;
    for (int round = 0; round < rounds; ++round) {
        double start = now();
        for (int i = 0; i < files; ++i) {
            HANDLE find = FindFirstFileA(dat[i].c_str(), &entry);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
            }
        }
        barePreview.push_back(now() - start);

        setMask(record->NameMask, "[P]-[Y][M][D]_[C]");
        setMask(record->ExtMask, "[E]");
        start = now();
        for (int i = 0; i < files; ++i) {
            const char* path = dat[i].c_str();
            process(&path, path, i, 0, &record, 1);
        }
        pluginPreview.push_back(now() - start);

        // Real renames: dat -> bak bare, then bak -> dat through the plug-in.
        start = now();
        for (int i = 0; i < files; ++i) {
            HANDLE find = FindFirstFileA(dat[i].c_str(), &entry);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
            }
            MoveFileA(dat[i].c_str(), bak[i].c_str());
        }
        bareReal.push_back(now() - start);

        setMask(record->NameMask, "[N]");
        setMask(record->ExtMask, "dat");
        start = now();
        for (int i = 0; i < files; ++i) {
            const char* path = bak[i].c_str();
            process(&path, path, i, 0, &record, 0);
            failed += path == bak[i].c_str();
        }
        pluginReal.push_back(now() - start);

        planned.push_back(plannedBatch(std::nullopt));
        journalled.push_back(plannedBatch(journalPath));
        if (failed != 0) {
            std::fprintf(stderr, "bench_process: %d renames failed\n", failed);
            return 1;
        }
    }

    for (int i = 0; i < files; ++i) {
        DeleteFileA(dat[i].c_str());
    }
    for (int i = 0; i < files; i += kFolderSize) {
        RemoveDirectoryA((root + "\\" + std::to_string(i / kFolderSize)).c_str());
    }
    RemoveDirectoryA(root.c_str());

    const double bp = median(barePreview), pp = median(pluginPreview);
    const double br = median(bareReal), pr = median(pluginReal);
    const double pl = median(planned), jl = median(journalled);
    const double us = 1e6 / files;
    std::printf("%d files in folders of %d, median of %d rounds (microseconds per file)\n", files,
                kFolderSize, rounds);
    std::printf("preview: bare FindFirstFileA %8.1f  process %8.1f  ratio %.2f (target 1.5)\n",
                bp * us, pp * us, pp / bp);
    std::printf("real:    bare Find+MoveFileA %8.1f  process %8.1f  ratio %.2f (target 1.2)\n",
                br * us, pr * us, pr / br);
    std::printf("batch:   direct process %8.1f  planned %8.1f  ratio %.2f (target 1.1)\n", pr * us,
                pl * us, pl / pr);
    std::printf("         planned and journalled %8.1f  ratio %.2f\n", jl * us, jl / pr);
    return 0;
}
