#pragma once

// The journal of a planned batch: a text file that tells --undo which moves were made (its
// records: host/journal_reader.hpp).
//
// The plan is flushed to the disk before the first move. Each later record goes to the
// system as it happens (nothing is held in the process), so a batch killed at any point
// leaves a journal that says what it did; the records reach the disk when the batch ends.
// A flush to the disk after every move would cost more than the move, and would make the
// record no more durable than the move itself. Paths are in the ANSI code page, as handed
// to MoveFileExA, and the journal says which one that is.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "engine/plan.hpp"
#include "engine/win32/handles.hpp"
#include "host/journal_reader.hpp"

namespace nm {

class JournalWriter {
  public:
    // Creates the journal at path, or at renhost-YYYYMMDD-HHMMSS.journal in the journals'
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

// Everything left to read in a file or pipe (a journal, a file list, standard input).
std::string ReadAll(HANDLE file);

// Where journals are kept unless a path is given: %LOCALAPPDATA%\namemask\journals, made
// when missing. Throws JournalError.
std::string JournalFolder();

// Moves back, newest first, every move the journal records as done and not yet undone,
// never over an existing file, and reports each; without a path, the latest kept journal
// with moves not yet undone. Returns the exit code: 0 when all went back, 1 when any could
// not or the journal cannot be read or was written in another code page.
int UndoJournal(const std::optional<std::string>& path, bool tsv);

// Lists the kept journals, oldest first: when, how many moves, whether undone, the folder
// and the journal's path. Returns the exit code.
int ListJournals();

}  // namespace nm
