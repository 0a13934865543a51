// process over a batch of real files, against the bare file-system calls it cannot avoid:
// FindFirstFileA for the time stamp, plus MoveFileA for a real rename; and the batch
// renamed the way the reference host plans it (every file previewed through process, the
// batch planned, then MoveFileExA per move; then also journalled) against the plug-in moving
// each file itself.
// Same files, same run, alternating, so Wine's and the disk's moods touch all sides alike.
//
//   bench_process [FILES] [ROUNDS]      defaults 2000 files (folders of 500), 5 rounds
//   bench_process scale [SIZES...]      defaults 2000 20000 100000: each size once, all its
//                                       files in one folder, planned and journalled
//   bench_process taken FOLDER... [--rounds N]
//                                       each folder's files (photos, videos: make_media)
//                                       previewed with the date-taken tokens against the
//                                       file time's, and where the difference goes

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/plan.hpp"
#include "engine/win32/date_taken_file.hpp"
#include "engine/win32/handles.hpp"
#include "engine/win32/plan_rules.hpp"
#include "host/journal_writer.hpp"
#include "namemask/mask_field.hpp"
#include "namemask/plugin.h"

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

// The most memory the process has held so far: its peak private bytes.
double peakBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize));
}

// Progress on stderr, a line per tenth, so that a long run shows it is alive.
void progress(const char* what, int files, int done) {
    if (files >= 10 && done % (files / 10) == 0 && done > 0) {
        std::fprintf(stderr, "  %s %d/%d\n", what, done, files);
    }
}

struct ScaleResult {
    int files = 0;
    bool moved = false;
    double create = 0, preview = 0, plan = 0, journal = 0, moves = 0, records = 0;  // seconds
    double memory = 0;  // peak bytes above the process's footprint before the first size
    // The host's own work: the plug-in's previews, the plan, the journal and its records.
    double ours() const { return preview + plan + journal + records; }
    double total() const { return ours() + moves; }
};

struct ScaleOptions {
    std::string made;  // a folder holding, per size, a folder of that many files made already
    int movesUpTo = 1 << 30;  // larger batches are planned and journalled, not moved
    std::vector<int> sizes;
};

// One batch as the reference host runs it, all files in one folder: every file previewed
// through process, the batch planned, the journal written, then each move made and
// recorded. Files made here are timed apart (Wine's cost of a new name in the folder).
std::optional<ScaleResult> scaleRun(int files, const ScaleOptions& options, NamemaskProcess process,
                                    RenameOptions* record, double footprint) {
    ScaleResult result{files, files <= options.movesUpTo};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const bool made = !options.made.empty();
    const std::string folder = made ? options.made + "\\" + std::to_string(files)
                                    : std::string(temp) + "nm_scale_" + std::to_string(files);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::fprintf(stderr, "scale: %d files in %s\n", files, folder.c_str());
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files));
    double start = now();
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\IMG_%06d.dat", i);
        paths.push_back(folder + name);
        if (!made) {
            const nm::FileHandle file(CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, 0, nullptr));
            progress("made", files, i + 1);
        }
    }
    result.create = made ? 0 : now() - start;

    nm::putFieldText(record->NameMask, "[N]");
    nm::putFieldText(record->ExtMask, "bak");
    std::vector<nm::PlanRequest> requests;
    requests.reserve(paths.size());
    start = now();
    for (int i = 0; i < files; ++i) {
        const char* path = paths[i].c_str();
        process(&path, path, i, 0, &record, 1);
        requests.push_back({paths[i], path != paths[i].c_str() ? path : ""});
        progress("previewed", files, i + 1);
    }
    result.preview = now() - start;
    start = now();
    const nm::Plan plan = nm::makePlan(requests, nm::windowsPlanRules(), false);
    result.plan = now() - start;
    std::fputs("  planned\n", stderr);
    start = now();
    const std::string journalPath = folder + ".journal";
    std::optional<nm::JournalWriter> journal(std::in_place, journalPath, plan.moves);
    result.journal = now() - start;
    int failed = files - static_cast<int>(plan.moves.size());
    for (std::size_t m = 0; result.moved && m < plan.moves.size(); ++m) {
        start = now();
        failed += MoveFileExA(plan.moves[m].from.c_str(), plan.moves[m].to.c_str(), 0) == 0;
        const double moved = now();
        failed += !journal->recordDone(m);
        result.moves += moved - start;
        result.records += now() - moved;
        progress("moved", files, static_cast<int>(m) + 1);
    }
    result.memory = peakBytes() - footprint;
    journal.reset();
    DeleteFileA(journalPath.c_str());
    for (std::size_t m = 0; result.moved && m < plan.moves.size(); ++m) {
        if (made) {
            MoveFileA(plan.moves[m].to.c_str(), plan.moves[m].from.c_str());  // ready for a rerun
        } else {
            DeleteFileA(plan.moves[m].to.c_str());
        }
    }
    if (!made) {
        for (const std::string& path : paths) {
            DeleteFileA(path.c_str());  // those that did not move
        }
        RemoveDirectoryA(folder.c_str());
    }
    if (failed != 0) {
        std::fprintf(stderr, "bench_process: %d of %d files not renamed\n", failed, files);
        return std::nullopt;
    }
    return result;
}

// Cost per file as the batch grows: it must stay within 1.3 times that of the smallest
// size, and memory per file must stay about the same (grow linearly).
int scale(int argc, char** argv, NamemaskProcess process, RenameOptions* record) {
    ScaleOptions options;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--made") == 0 && i + 1 < argc) {
            options.made = argv[++i];
        } else if (std::strcmp(argv[i], "--moves-up-to") == 0 && i + 1 < argc) {
            options.movesUpTo = std::atoi(argv[++i]);
        } else if (std::atoi(argv[i]) > 0) {
            options.sizes.push_back(std::atoi(argv[i]));
        } else {
            std::fprintf(stderr, "bench_process: bad argument %s\n", argv[i]);
            return 1;
        }
    }
    if (options.sizes.empty()) {
        options.sizes = {2000, 20000, 100000};
    }
    std::sort(options.sizes.begin(), options.sizes.end());  // peak memory only grows
    const double footprint = peakBytes();
    std::vector<ScaleResult> results;
    for (const int files : options.sizes) {
        const std::optional<ScaleResult> result =
            scaleRun(files, options, process, record, footprint);
        if (!result) {
            return 1;
        }
        results.push_back(*result);
    }
    const double us = 1e6;
    std::printf(
        "scale: files in one folder, previewed, planned, journalled and moved "
        "(microseconds per file; \"ours\": all but the moves)\n");
    std::printf("%9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "files", "ours", "preview", "plan",
                "journal", "records", "moves", "total", "new file", "B/file");
    for (const ScaleResult& r : results) {
        const double n = r.files;
        std::printf("%9d %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.0f\n", r.files,
                    r.ours() * us / n, r.preview * us / n, r.plan * us / n, r.journal * us / n,
                    r.records * us / n, r.moves * us / n, r.moved ? r.total() * us / n : 0.0,
                    r.create * us / n, r.memory / n);
    }
    const ScaleResult& base = results.front();
    const ScaleResult& last = results.back();
    auto perFile = [](double seconds, int files) { return seconds / files; };
    std::printf("scale: %d files cost %.2f times per file what %d do, moves aside (target 1.3)",
                last.files, perFile(last.ours(), last.files) / perFile(base.ours(), base.files),
                base.files);
    for (auto r = results.rbegin(); r != results.rend(); ++r) {
        if (r->moved && r->files > base.files && base.moved) {
            std::printf("; with the moves %.2f at %d",
                        perFile(r->total(), r->files) / perFile(base.total(), base.files),
                        r->files);
            break;
        }
    }
    // The smallest batch's memory is mostly fixed costs; linear growth shows between the two
    // largest.
    const ScaleResult& before = results[results.size() > 1 ? results.size() - 2 : 0];
    std::printf("; memory per file %.2f times that at %d (linear: about 1)\n",
                (last.memory / last.files) / (before.memory / before.files), before.files);
    return 0;
}

// The files of a folder, in the order the system lists them.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA entry;
    const nm::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (find) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                paths.push_back(folder + "\\" + entry.cFileName);
            }
        } while (FindNextFileA(find.get(), &entry) != 0);
    }
    return paths;
}

// Seconds to preview every file through process with the masks.
double previewAll(const std::vector<std::string>& paths, const char* nameMask,
                  NamemaskProcess process, RenameOptions* record, int& failed) {
    nm::putFieldText(record->NameMask, nameMask);
    nm::putFieldText(record->ExtMask, "[E]");
    const double start = now();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const char* path = paths[i].c_str();
        process(&path, path, static_cast<int32_t>(i), 0, &record, 1);
        failed += path == paths[i].c_str();
    }
    return now() - start;
}

// The date-taken tokens against the plain ones, per folder, with the parts of the difference:
// the date-taken read alone (open, reads, close) and the open and close alone.
int taken(int argc, char** argv, NamemaskProcess process, RenameOptions* record) {
    std::vector<std::string> folders;
    int rounds = 5;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            folders.push_back(argv[i]);
        }
    }
    std::printf(
        "date taken: [XY][XM][XD] against [Y][M][D], previewed through process, median "
        "of %d rounds (microseconds per file)\n",
        rounds);
    std::printf("%-12s %6s %9s %11s %7s %9s %9s %9s %9s\n", "folder", "files", "[Y][M][D]",
                "[XY][XM][XD]", "ratio", "find", "taken", "open", "dated");
    int status = 0;
    for (const std::string& folder : folders) {
        const std::vector<std::string> paths = filesIn(folder);
        if (paths.empty()) {
            std::fprintf(stderr, "bench_process: no files in %s\n", folder.c_str());
            return 1;
        }
        std::vector<double> plain, twins, find, read, open;
        int failed = 0;
        std::size_t dated = 0;
        WIN32_FIND_DATAA entry;
        for (int round = 0; round < rounds; ++round) {
            // Alternating which goes first, so that neither always finds the caches warmer.
            if (round % 2 == 0) {
                plain.push_back(previewAll(paths, "[Y][M][D]", process, record, failed));
                twins.push_back(previewAll(paths, "[XY][XM][XD]", process, record, failed));
            } else {
                twins.push_back(previewAll(paths, "[XY][XM][XD]", process, record, failed));
                plain.push_back(previewAll(paths, "[Y][M][D]", process, record, failed));
            }
            double start = now();
            for (const std::string& path : paths) {
                const nm::FindHandle found(FindFirstFileA(path.c_str(), &entry));
            }
            find.push_back(now() - start);
            start = now();
            dated = 0;
            for (const std::string& path : paths) {
                dated += nm::readLocalDateTaken(path.c_str()).has_value();
            }
            read.push_back(now() - start);
            start = now();
            for (const std::string& path : paths) {
                const nm::FileHandle file(
                    CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            }
            open.push_back(now() - start);
        }
        if (failed != 0) {
            std::fprintf(stderr, "bench_process: %d previews gave no new name\n", failed);
            return 1;
        }
        const double us = 1e6 / static_cast<double>(paths.size());
        const double p = median(plain), t = median(twins);
        const std::size_t cut = folder.find_last_of("\\/");
        const std::string name = cut == std::string::npos ? folder : folder.substr(cut + 1);
        std::printf("%-12s %6zu %9.1f %11.1f %7.2f %9.1f %9.1f %9.1f %9zu\n", name.c_str(),
                    paths.size(), p * us, t * us, t / p, median(find) * us, median(read) * us,
                    median(open) * us, dated);
    }
    std::printf(
        "(target: ratio at most 1.3; find: FindFirstFileA alone, which [Y][M][D] needs; "
        "taken: reading the date taken alone; open: CreateFileA and CloseHandle alone; "
        "dated: files with a date taken)\n");
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const nm::Module dll(LoadLibraryA(NAMEMASK_DLL_NAME));
    auto process = reinterpret_cast<NamemaskProcess>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "process")));
    auto newOpt = reinterpret_cast<NamemaskNewOpt>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "newOpt")));
    RenameOptions* record = nullptr;
    if (process == nullptr || newOpt == nullptr || newOpt(&record) == nullptr) {
        std::fputs("bench_process: cannot load " NAMEMASK_DLL_NAME "\n", stderr);
        return 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "scale") == 0) {
        return scale(argc, argv, process, record);
    }
    if (argc > 1 && std::strcmp(argv[1], "taken") == 0) {
        return taken(argc, argv, process, record);
    }
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (files <= 0 || rounds <= 0) {
        std::fputs("bench_process: bad arguments\n", stderr);
        return 1;
    }

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
        nm::putFieldText(record->NameMask, "[N]");
        nm::putFieldText(record->ExtMask, "bak");
        const double start = now();
        requests.clear();
        for (int i = 0; i < files; ++i) {
            const char* path = dat[i].c_str();
            process(&path, path, i, 0, &record, 1);
            requests.push_back({dat[i], path != dat[i].c_str() ? path : ""});
        }
        const nm::Plan plan = nm::makePlan(requests, nm::windowsPlanRules(), false);
        std::optional<nm::JournalWriter> journal;
        if (journalFile) {
            journal.emplace(journalFile, plan.moves);
        }
        for (std::size_t m = 0; m < plan.moves.size(); ++m) {
            failed += MoveFileExA(plan.moves[m].from.c_str(), plan.moves[m].to.c_str(), 0) == 0;
            failed += journal && !journal->recordDone(m);
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

        nm::putFieldText(record->NameMask, "[P]-[Y][M][D]_[C]");
        nm::putFieldText(record->ExtMask, "[E]");
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

        nm::putFieldText(record->NameMask, "[N]");
        nm::putFieldText(record->ExtMask, "dat");
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
