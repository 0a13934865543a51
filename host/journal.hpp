#pragma once

// The journal of a planned batch: a text file that tells --undo which moves were made.
//
//   renhost journal 1
//   folder<TAB>the current folder, against which relative paths resolve
//   plan<TAB>K<TAB>FROM<TAB>TO      every move of the plan, K from 1, in order
//   done<TAB>K                      appended as each move succeeds
//   undone<TAB>K                    appended by --undo as it moves one back
//
// The plan is flushed to the disk before the first move. Each later record goes to the
// system as it happens (nothing is held in the process), so a batch killed at any point
// leaves a journal that says what it did; the records reach the disk when the batch ends.
// A flush to the disk after every move would cost more than the move, and would make the
// record no more durable than the move itself. A torn last line (killed mid-write) is
// ignored. Paths are ANSI, as handed to MoveFileExA.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "engine/plan.hpp"
#include "engine/win32/handles.hpp"

namespace nm {

struct JournalError {
    std::string what;  // UTF-8
};

class JournalWriter {
  public:
    // Creates the journal at path, or at renhost-YYYYMMDD-HHMMSS.journal in the current
    // folder, never over an existing file, and writes the plan to disk. Throws JournalError.
    JournalWriter(const std::optional<std::string>& path, std::span<const PlanMove> moves);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // The journal's full path (ANSI).
    const std::string& Path() const { return path_; }

    // Records move k (from 0) as done, with the system before it returns; false when it
    // could not.
    bool RecordDone(std::size_t k);

  private:
    std::string path_;
    FileHandle file_;
};

// Moves back, newest first, every move the journal records as done and not yet undone,
// never over an existing file, and reports each. Returns the exit code: 0 when all went
// back, 1 when any could not or the journal cannot be read.
int UndoJournal(const std::string& path, bool tsv);

}  // namespace nm
