#pragma once

// renhost's command line: what the user asked for, or a usage error.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/sort_order.hpp"
#include "plugin/exports.h"

namespace nm {

extern const char kUsage[];

struct Arguments {
    std::string dll = NAMEMASK_DLL_NAME;
    bool info = false;
    std::string nameMask = "[N]";
    std::string extMask = "[E]";
    int32_t start = 1;
    int32_t step = 1;
    int32_t digits = 1;
    int32_t firstIndex = 0;
    std::optional<std::string> timeSource;
    SortKey sort = SortKey::Given;  // the order the counter and the index follow
    bool preview = false;
    bool plan = false;    // plan and report, move nothing
    bool direct = false;  // the plug-in moves each file itself, unplanned
    bool skipConflicts = false;
    std::optional<std::string> journal;  // default: a time-stamped file in the journals' folder
    bool undo = false;
    std::optional<std::string> undoJournal;  // default: the latest kept one with moves to undo
    bool listJournals = false;
    bool asGiven = false;
    bool tsv = false;
    bool options = false;
    std::vector<std::string> files;      // as given: a name or a pattern with * or ?
    std::vector<std::string> filesFrom;  // lists of paths, one a line; "-" for stdin
};

struct UsageError {
    std::string what;
};

// Throws UsageError.
Arguments parseArguments(int argc, char** argv);

}  // namespace nm
