#include "host/batch.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/plan.hpp"
#include "engine/rename.hpp"
#include "engine/win32/ansi_code_page.hpp"
#include "engine/win32/date_taken_file.hpp"
#include "engine/win32/handles.hpp"
#include "engine/win32/plan_rules.hpp"
#include "engine/win32/text_codec.hpp"
#include "host/full_path.hpp"
#include "host/journal_writer.hpp"
#include "host/plugin_error.hpp"
#include "host/report.hpp"
#include "host/sort_order.hpp"
#include "host/system_message.hpp"
#include "namemask/mask_field.hpp"

namespace nm {
namespace {

// The host's main window: owner of the options window, disabled while it is open.
HWND createHostWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RenhostMainWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA("RenhostMainWindow", "renhost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 400, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

struct BatchFile {
    std::string path;  // as handed to the plug-in
    std::string timeSource;
    int32_t index;
    std::optional<bool> dated;  // whether the file has a date taken, where that was looked up
};

// The files in the order --sort asks for; the index follows that order.
std::vector<BatchFile> batchFiles(const Arguments& args) {
    std::vector<std::string> paths;
    paths.reserve(args.files.size());
    for (const std::string& given : args.files) {
        paths.push_back(args.asGiven ? given : fullPath(given));
    }
    const BatchOrder order = orderBatch(paths, args.sort);
    const std::optional<std::string> timeSource =
        args.timeSource
            ? std::optional(args.asGiven ? *args.timeSource : fullPath(*args.timeSource))
            : std::nullopt;
    std::vector<BatchFile> files;
    files.reserve(paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const std::size_t given = order.order[k];
        const auto index =
            static_cast<int32_t>(static_cast<uint32_t>(args.firstIndex) + static_cast<uint32_t>(k));
        files.push_back(
            {paths[given], timeSource.value_or(paths[given]), index, order.dated[given]});
    }
    return files;
}

// Which date taken stood in for what, when a mask uses the twins or the order is by date
// taken: the files without one took their file's time instead. The plug-in tells a host
// nothing of it, so renhost reads the dates itself, from the files the plug-in reads them from.
void reportMissingDates(const RenameOptions& record, const Arguments& args,
                        const std::vector<BatchFile>& files) {
    const bool twins =
        usesDateTaken(fieldText(record.NameMask), fieldText(record.ExtMask), ansiCodePage());
    if (twins) {
        std::size_t missing = 0;
        std::optional<bool> sourceDated;  // the one --time-source, read once
        for (const BatchFile& file : files) {
            bool dated = false;
            if (file.dated && file.timeSource == file.path) {
                dated = *file.dated;
            } else if (args.timeSource) {
                if (!sourceDated) {
                    sourceDated = readLocalDateTaken(file.timeSource.c_str()).has_value();
                }
                dated = *sourceDated;
            } else {
                dated = readLocalDateTaken(file.timeSource.c_str()).has_value();
            }
            missing += !dated;
        }
        std::fprintf(stderr,
                     "renhost: %zu of %zu files had no date taken; the date-taken tokens took "
                     "the file time instead\n",
                     missing, files.size());
    }
    if (args.sort == SortKey::Taken && (!twins || args.timeSource)) {
        std::size_t missing = 0;
        for (const BatchFile& file : files) {
            missing += !file.dated.value_or(false);
        }
        std::fprintf(stderr,
                     "renhost: %zu of %zu files had no date taken; they took their last-write "
                     "time in the order instead\n",
                     missing, files.size());
    }
}

// The new path through process with the preview flag: Preview with the new path (which
// may be the file's own), Unchanged when the masks give none, or the plug-in's Error.
Outcome previewOne(const Plugin& plugin, RenameOptions** record, const BatchFile& file) {
    const char* preview = file.path.c_str();
    if (auto error = catchPluginError(
            [&] { plugin.process(&preview, file.timeSource.c_str(), file.index, 0, record, 1); })) {
        return {Status::Error, file.path, *error, ""};
    }
    if (preview == file.path.c_str()) {
        return {Status::Unchanged, file.path, "", ""};
    }
    return {Status::Preview, preview, "", ""};
}

// The plug-in's own move, unplanned: it fails when the new name is taken at that moment.
Outcome moveDirectly(const Plugin& plugin, RenameOptions** record, const BatchFile& file) {
    const Outcome preview = previewOne(plugin, record, file);
    if (preview.status != Status::Preview) {
        return preview;
    }
    const char* moved = file.path.c_str();
    if (auto error = catchPluginError(
            [&] { plugin.process(&moved, file.timeSource.c_str(), file.index, 0, record, 0); })) {
        return {Status::Error, file.path, *error, ""};
    }
    if (moved == file.path.c_str()) {
        return {Status::MoveFailed, file.path, "", preview.handedBack};
    }
    return {Status::Renamed, moved, "", ""};
}

int runDirect(const Plugin& plugin, RenameOptions** record, const Arguments& args,
              const std::vector<BatchFile>& files) {
    bool all = true;
    for (const BatchFile& file : files) {
        const Outcome outcome =
            args.preview ? previewOne(plugin, record, file) : moveDirectly(plugin, record, file);
        report(outcome, file.path, args.tsv);
        all = all && outcome.gotNewName();
    }
    return all ? 0 : 1;
}

std::string conflictMessage(const PlannedFile& planned, std::span<const PlanRequest> requests,
                            std::size_t k) {
    const std::string to = ansiToUtf8(requests[k].to);
    switch (planned.reason) {
        case ConflictReason::GivenTwice:
            return "the same file as " + ansiToUtf8(requests[planned.other].from) +
                   ", given before";
        case ConflictReason::SameTarget:
            return to + " is the new path of " + ansiToUtf8(requests[planned.other].from) + " too";
        case ConflictReason::TargetStays:
            return to + " is a file of the batch that stays";
        case ConflictReason::TargetExists:
            return to + " exists already";
        case ConflictReason::InvalidName:
            return to + " is not a valid file name here";
        case ConflictReason::TooLong:
            return to + " is longer than MAX_PATH";
        case ConflictReason::None:
            break;
    }
    return "conflict";
}

// Fault injection for the tests of an interrupted batch, from the environment:
// RENHOST_FAIL_AFTER_MOVES=N ends the process (exit code 3) once N moves are made and
// journalled; RENHOST_TAKE_TARGET_AT_MOVE=N puts a file at move N's target just before
// it, as another program might, so that the move fails.
struct Faults {
    std::optional<std::size_t> exitAfter;
    std::optional<std::size_t> takeTargetAt;

    static std::optional<std::size_t> number(const char* name) {
        char text[32];
        const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
        if (length == 0 || length >= sizeof text) {
            return std::nullopt;
        }
        char* end = nullptr;
        const unsigned long value = std::strtoul(text, &end, 10);
        if (end == text || *end != '\0') {
            return std::nullopt;
        }
        return static_cast<std::size_t>(value);
    }
    static Faults fromEnvironment() {
        return {number("RENHOST_FAIL_AFTER_MOVES"), number("RENHOST_TAKE_TARGET_AT_MOVE")};
    }
};

void takeName(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) {
        WriteFile(file.get(), "taken", 5, &written, nullptr);
    }
}

// How far the moves got.
struct Progressed {
    std::size_t done = 0;                   // moves made
    bool stopped = false;                   // before the last move
    std::optional<std::size_t> failedMove;  // the move that failed, when one did
    std::string failure;                    // why, UTF-8
};

Progressed makeMoves(const Plan& plan, JournalWriter& journal) {
    const Faults faults = Faults::fromEnvironment();
    Progress progress("moved", plan.moves.size());
    Progressed result;
    for (; result.done < plan.moves.size(); ++result.done) {
        if (faults.exitAfter == result.done) {
            ExitProcess(3);
        }
        const PlanMove& move = plan.moves[result.done];
        if (faults.takeTargetAt == result.done + 1) {
            takeName(move.to);
        }
        // No MOVEFILE_REPLACE_EXISTING: a target taken since the plan stops the batch.
        if (MoveFileExA(move.from.c_str(), move.to.c_str(), 0) == 0) {
            const DWORD error = GetLastError();
            result.stopped = true;
            result.failedMove = result.done;
            result.failure = "cannot move to " + ansiToUtf8(move.to) + ": " + systemMessage(error);
            break;
        }
        if (!journal.recordDone(result.done)) {
            // The move stands without its record; --undo finds it on disk (the one move
            // after the last recorded), but the batch goes no further unjournalled.
            std::fprintf(stderr, "renhost: cannot write the journal: %s\n",
                         systemMessage(GetLastError()).c_str());
            ++result.done;
            result.stopped = result.done < plan.moves.size();
            break;
        }
        progress.step(result.done + 1);
    }
    return result;
}

// Why the planned files did not move, if they did not.
enum class Held { No, PlanOnly, Conflicts, NoJournal, Stopped };

const char* heldMessage(Held held) {
    switch (held) {
        case Held::Conflicts:
            return "not moved: the batch has conflicts";
        case Held::NoJournal:
            return "not moved: no journal";
        case Held::Stopped:
            return "not moved: the batch stopped";
        case Held::No:
        case Held::PlanOnly:
            break;
    }
    return "";
}

struct Previewed {
    std::vector<Outcome> outcomes;      // Preview, Unchanged or Error
    std::vector<PlanRequest> requests;  // no new path but for Preview
};

Previewed previewAll(const Plugin& plugin, RenameOptions** record,
                     const std::vector<BatchFile>& files) {
    Previewed previewed;
    previewed.outcomes.reserve(files.size());
    previewed.requests.reserve(files.size());
    Progress progress("previewed", files.size());
    for (const BatchFile& file : files) {
        Outcome outcome = previewOne(plugin, record, file);
        const bool hasNewPath = outcome.status == Status::Preview;
        previewed.requests.push_back({file.path, hasNewPath ? outcome.handedBack : ""});
        previewed.outcomes.push_back(std::move(outcome));
        progress.step(previewed.outcomes.size());
    }
    return previewed;
}

struct Executed {
    Held held = Held::No;
    Progressed progressed;
};

// Journals the plan and makes its moves, unless something holds the batch.
Executed execute(const Plan& plan, const Arguments& args) {
    Executed run;
    run.held = args.plan                                    ? Held::PlanOnly
               : plan.conflicts != 0 && !args.skipConflicts ? Held::Conflicts
                                                            : Held::No;
    if (run.held != Held::No || plan.moves.empty()) {
        return run;
    }
    try {
        JournalWriter journal(args.journal, plan.moves);
        std::fprintf(stderr, "renhost: journal %s\n", ansiToUtf8(journal.path()).c_str());
        run.progressed = makeMoves(plan, journal);
        if (run.progressed.stopped) {
            run.held = Held::Stopped;
            std::fprintf(stderr,
                         "renhost: the batch stopped after %zu of %zu moves; renhost --undo %s "
                         "moves those back\n",
                         run.progressed.done, plan.moves.size(),
                         ansiToUtf8(journal.path()).c_str());
        }
    } catch (const JournalError& error) {
        std::fprintf(stderr, "renhost: %s; nothing moved\n", error.what.c_str());
        run.held = Held::NoJournal;
    }
    return run;
}

int runPlanned(const Plugin& plugin, RenameOptions** record, const Arguments& args,
               const std::vector<BatchFile>& files) {
    Previewed previewed = previewAll(plugin, record, files);
    const std::vector<PlanRequest>& requests = previewed.requests;
    const Plan plan = makePlan(requests, windowsPlanRules(), args.skipConflicts);
    const Executed run = execute(plan, args);
    const Held held = run.held;
    const Progressed& progressed = run.progressed;

    // Each file's last move, and where the moves made have left it.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> lastMove(files.size(), kNone);
    std::vector<const std::string*> position(files.size(), nullptr);
    for (std::size_t m = 0; m < plan.moves.size(); ++m) {
        lastMove[plan.moves[m].file] = m;
        if (m < progressed.done) {
            position[plan.moves[m].file] = &plan.moves[m].to;
        }
    }

    bool all = true;
    for (std::size_t k = 0; k < files.size(); ++k) {
        Outcome& outcome = previewed.outcomes[k];
        const PlannedFile& planned = plan.files[k];
        const std::size_t last = lastMove[k];
        if (planned.status == PlanStatus::Conflict) {
            outcome = {Status::Conflict, requests[k].to, conflictMessage(planned, requests, k), ""};
        } else if (outcome.status != Status::Preview) {
            // the plug-in's error, or no new name: reported as the preview found it
        } else if ((held == Held::No || held == Held::Stopped) &&
                   (last == kNone || last < progressed.done)) {
            outcome = {Status::Renamed, requests[k].to, "", ""};
        } else if (progressed.failedMove && plan.moves[*progressed.failedMove].file == k) {
            outcome = {Status::MoveFailed, position[k] ? *position[k] : files[k].path,
                       progressed.failure, requests[k].to};
        } else {
            std::string message = heldMessage(held);
            if (position[k] != nullptr) {
                message += ", left at " + ansiToUtf8(*position[k]);
            }
            outcome = {Status::Planned, requests[k].to, message, ""};
        }
        report(outcome, files[k].path, args.tsv);
        all = all && (outcome.gotNewName() ||
                      (held == Held::PlanOnly && outcome.status == Status::Planned));
    }
    return all ? 0 : 1;
}

}  // namespace

int runBatch(const Plugin& plugin, const Arguments& args) {
    RenameOptions* record = nullptr;
    if (plugin.newOpt(&record) == nullptr) {
        std::fputs("renhost: the plug-in could not allocate a record\n", stderr);
        return 1;
    }
    // Edited in place from here on, so the owner keeps the pointer it was given.
    const BoundOwner<RenameOptions*, NamemaskFreeOpt> owner({record, plugin.freeOpt});
    // Whole, with the NUL after them: the command line has refused longer masks.
    putFieldText(record->NameMask, args.nameMask);
    putFieldText(record->ExtMask, args.extMask);
    record->CounterStart = args.start;
    record->CounterStep = args.step;
    record->CounterDigits = args.digits;

    if (args.options) {
        HWND host = createHostWindow();
        plugin.initialize(host);
        const char* description = nullptr;
        const int32_t confirmed = plugin.showOptions(0, &record, &description);
        DestroyWindow(host);
        if (confirmed == 0) {
            std::fputs("renhost: options cancelled; nothing renamed\n", stderr);
            return 1;
        }
        if (!args.tsv && description != nullptr) {
            std::printf("%s\n", ansiToUtf8(description, kPluginTextCodePage).c_str());
        }
    }

    // After the options window: the masks it confirmed are the ones used.
    const std::vector<BatchFile> files = batchFiles(args);
    reportMissingDates(*record, args, files);
    return args.preview || args.direct ? runDirect(plugin, &record, args, files)
                                       : runPlanned(plugin, &record, args, files);
}

}  // namespace nm
