#pragma once

// A whole batch's moves, worked out before the first one: conflicts are found, chains
// are ordered so that each target is free when its move comes, and cycles are broken
// through a temporary name in the same folder. Portable: how the file system compares
// names and what already exists on disk are handed in.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/codepage.hpp"

namespace nm {

struct PlanRules {
    // The key under which two paths name the same file: equal keys, same file (Windows
    // compares names case-insensitively).
    std::function<std::string(std::string_view)> foldName;
    // Whether something (file or folder) stands at the path now.
    std::function<bool(std::string_view)> exists;
    // The ANSI code page's characters: the second byte of a double-byte character is never
    // read as a separator or a reserved character.
    CodePage codePage;
    // The length of a path as Windows measures it against maxPathChars: in UTF-16 units,
    // for the A functions convert. When empty, characters of the code page are counted.
    std::function<std::size_t(std::string_view)> pathLength;
    // The longest path a move may name, in characters (MAX_PATH less the NUL).
    std::size_t maxPathChars = 259;
};

// One file of the batch: where it is and where the masks want it. to == from (byte for
// byte) means the file keeps its name; an empty `to` means the masks gave it no new name
// (the file stays where it is).
struct PlanRequest {
    std::string from;
    std::string to;
};

enum class PlanStatus {
    Unchanged,  // stays: same name, or no new name
    Planned,    // moves (with skipConflicts, or when the batch has no conflict)
    Conflict,   // stays, for `reason`
};

enum class ConflictReason {
    None,
    GivenTwice,    // the same file stands earlier in the batch (`other`)
    SameTarget,    // another file of the batch (`other`) wants the same new path
    TargetStays,   // the new path is a file of the batch (`other`) that does not move away
    TargetExists,  // the new path is taken on disk by a file outside the batch
    InvalidName,   // Windows rejects the new name (reserved character or device name,
                   // trailing dot or blank, empty, or not in the file's own folder)
    TooLong,       // the new path is longer than maxPathChars (or, in a cycle, the
                   // temporary name the cycle needs would be)
};

struct PlannedFile {
    PlanStatus status = PlanStatus::Unchanged;
    ConflictReason reason = ConflictReason::None;
    std::size_t other = 0;  // index of the other file, for GivenTwice, SameTarget, TargetStays
};

// One move, in the order the moves must be made. A file in a cycle has two: to a
// temporary name first, from it to its new path later.
struct PlanMove {
    std::size_t file;  // index into the requests
    std::string from;
    std::string to;
};

struct Plan {
    std::vector<PlannedFile> files;  // one per request, in the same order
    std::vector<PlanMove> moves;     // empty when there is a conflict and !skipConflicts
    std::size_t conflicts = 0;
};

// Plans the batch. Without skipConflicts, any conflict means no move at all. With it,
// the files in conflict stay where they are, and so does any file whose new path one of
// them still occupies (itself a conflict then, TargetStays): the rest moves.
Plan makePlan(std::span<const PlanRequest> requests, const PlanRules& rules, bool skipConflicts);

}  // namespace nm
