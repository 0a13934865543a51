#include "host/command_line.hpp"

#include <cerrno>
#include <cstdlib>

#include "namemask/mask_field.hpp"

namespace nm {

const char kUsage[] =
    "usage: renhost [--dll PATH] --info\n"
    "       renhost [--dll PATH] [--name MASK] [--ext MASK] [--start N] [--step N] [--digits N]\n"
    "               [--first-index N] [--time-source PATH] [--as-given] [--tsv] [--options]\n"
    "               [--sort given|name|taken|written|size] [--preview | --plan | --direct]\n"
    "               [--skip-conflicts] [--journal PATH] [--files-from LIST] FILE...\n"
    "       renhost [--tsv] --undo [JOURNAL]\n"
    "       renhost --journals\n"
    "FILE may hold * and ?, expanded in its folder to files only, in Explorer's order.\n"
    "--sort puts the batch in another order before the counter counts: by file name in\n"
    "Explorer's order, by date taken (else last-write time), last-write time or size.\n"
    "LIST holds one path a line (- reads standard input). Journals are kept in\n"
    "%LOCALAPPDATA%\\namemask\\journals unless --journal says where; --undo without one\n"
    "undoes the latest batch not yet undone.\n";

namespace {

int32_t parseNumber(const std::string& option, const char* text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
        throw UsageError{option + " needs a 32-bit integer, not \"" + text + "\""};
    }
    return static_cast<int32_t>(value);
}

std::string parseMask(const std::string& option, const char* text) {
    std::string mask = text;
    if (mask.size() > kMaskTextLimit) {
        throw UsageError{option + " is longer than " + std::to_string(kMaskTextLimit) + " bytes"};
    }
    return mask;
}

void checkCombination(const Arguments& args) {
    const bool batch = !args.files.empty() || !args.filesFrom.empty() || args.info ||
                       args.preview || args.plan || args.direct || args.options || args.journal ||
                       args.sort != SortKey::Given;
    if (args.undo || args.listJournals) {
        if (batch || (args.undo && args.listJournals)) {
            throw UsageError{"--undo and --journals take no FILE or batch option"};
        }
        return;
    }
    if (!args.info && args.files.empty() && args.filesFrom.empty()) {
        throw UsageError{"no FILE given"};
    }
    if (args.preview + args.plan + args.direct > 1) {
        throw UsageError{"--preview, --plan and --direct exclude each other"};
    }
    if (args.direct && (args.skipConflicts || args.journal)) {
        throw UsageError{"--direct neither plans nor journals"};
    }
}

}  // namespace

Arguments parseArguments(int argc, char** argv) {
    Arguments args;
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            args.files.push_back(arg);
            continue;
        }
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                throw UsageError{arg + " needs a value"};
            }
            return argv[++i];
        };
        if (arg == "--") {
            filesOnly = true;
        } else if (arg == "--info") {
            args.info = true;
        } else if (arg == "--dll") {
            args.dll = value();
        } else if (arg == "--name") {
            args.nameMask = parseMask(arg, value());
        } else if (arg == "--ext") {
            args.extMask = parseMask(arg, value());
        } else if (arg == "--start") {
            args.start = parseNumber(arg, value());
        } else if (arg == "--step") {
            args.step = parseNumber(arg, value());
        } else if (arg == "--digits") {
            args.digits = parseNumber(arg, value());
        } else if (arg == "--first-index") {
            args.firstIndex = parseNumber(arg, value());
        } else if (arg == "--time-source") {
            args.timeSource = value();
        } else if (arg == "--sort") {
            const std::string name = value();
            const std::optional<SortKey> key = sortKeyNamed(name);
            if (!key) {
                throw UsageError{"--sort takes given, name, taken, written or size, not \"" + name +
                                 "\""};
            }
            args.sort = *key;
        } else if (arg == "--preview") {
            args.preview = true;
        } else if (arg == "--plan") {
            args.plan = true;
        } else if (arg == "--direct") {
            args.direct = true;
        } else if (arg == "--skip-conflicts") {
            args.skipConflicts = true;
        } else if (arg == "--journal") {
            args.journal = value();
        } else if (arg == "--undo") {
            args.undo = true;
            // The journal is optional: the next argument is it unless it is an option.
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                args.undoJournal = argv[++i];
            }
        } else if (arg == "--journals") {
            args.listJournals = true;
        } else if (arg == "--files-from") {
            args.filesFrom.push_back(value());
        } else if (arg == "--as-given") {
            args.asGiven = true;
        } else if (arg == "--tsv") {
            args.tsv = true;
        } else if (arg == "--options") {
            args.options = true;
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
    checkCombination(args);
    return args;
}

}  // namespace nm
