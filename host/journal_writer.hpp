#pragma once

// Writing the journal of a planned batch (its format: host/journal_format.hpp).
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
#include <string_view>

#include "engine/plan.hpp"
#include "engine/win32/handles.hpp"
#include "host/journal_format.hpp"

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
    const std::string& path() const { return path_; }

    // Records move k (from 0) as done, with the system before it returns; false when it
    // could not.
    bool recordDone(std::size_t k);

  private:
    std::string path_;
    FileHandle file_;
};

// Where journals are kept unless a path is given: %LOCALAPPDATA%\namemask\journals, made
// when missing. Throws JournalError.
std::string journalFolder();

// The names of kept journals: renhost-YYYYMMDD-HHMMSS[-N].journal.
inline constexpr char kJournalPrefix[] = "renhost-";
inline constexpr char kJournalExtension[] = ".journal";

// Writes the whole text, however many calls the system takes; false when one fails.
bool writeAll(HANDLE file, std::string_view text);

}  // namespace nm
