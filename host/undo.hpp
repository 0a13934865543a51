#pragma once

// Undoing a journalled batch, without the system: the disk is reached through UndoDisk, so
// the same steps run on Windows (host/journal_commands.cpp) and on an in-memory disk in the
// tests.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "host/journal_format.hpp"

namespace nm {

class UndoDisk {
  public:
    virtual ~UndoDisk() = default;
    virtual bool exists(const std::string& path) = 0;
    // Never over an existing file; false when the move was not made.
    virtual bool move(const std::string& from, const std::string& to) = 0;
    // Appends a record to the journal; a failure is the disk's to report.
    virtual void append(const std::string& record) = 0;
};

enum class UndoResult {
    MovedBack,
    AlreadyBack,  // the file was back already: an earlier undo ended before its record
    Failed,
};

struct UndoStep {
    std::size_t k;  // the move, from 0
    UndoResult result;
};

struct UndoOutcome {
    std::vector<UndoStep> steps;          // newest move first
    std::optional<std::size_t> inferred;  // the unrecorded move taken as made, when one was
};

// The move a batch killed between a move and its record made without recording it: the one
// after the last recorded, when its source is gone and its target is there. Only before
// any undo: afterwards a restored file looks just the same.
std::optional<std::size_t> unrecordedMove(const JournalContents& contents, UndoDisk& disk);

// Moves back, newest first, every move recorded as done and not undone, recording each.
// A move whose file is back already (source there, target gone) counts as undone.
UndoOutcome undoMoves(JournalContents& contents, UndoDisk& disk);

}  // namespace nm
