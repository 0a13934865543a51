#pragma once

// Reading a batch's journal and undoing it, without the system: the disk is reached through
// UndoDisk, so the same steps run on Windows and on an in-memory disk in the tests.
//
//   renhost journal 1
//   folder<TAB>the current folder, against which relative paths resolve
//   codepage<TAB>N                  the ANSI code page the paths are in (absent before it
//                                   was recorded)
//   when<TAB>YYYY-MM-DD HH:MM:SS    local time the batch began (also absent before)
//   plan<TAB>K<TAB>FROM<TAB>TO      every move of the plan, K from 1, in order
//   done<TAB>K                      appended as each move succeeds
//   undone<TAB>K                    appended by --undo as it moves one back
//
// A torn last line (killed mid-write) is ignored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nm {

struct JournalError {
    std::string what;  // UTF-8
};

struct JournalMove {
    std::string from;
    std::string to;
    bool done = false;
    bool undone = false;
};

struct JournalContents {
    std::string folder;
    std::optional<unsigned> codePage;
    std::string when;
    std::vector<JournalMove> moves;
    std::size_t wholeLines = 0;  // bytes up to the end of the last whole line
    bool undoBegun = false;      // an undone record exists

    std::size_t Done() const;
    std::size_t Undone() const;
};

// Throws JournalError for text that is not a journal or has a damaged line.
JournalContents ParseJournal(std::string_view text);

extern const char kJournalHeader[];

// The journal's records, as written.
std::string PlanRecord(std::size_t k, std::string_view from, std::string_view to);
std::string DoneRecord(std::size_t k);
std::string UndoneRecord(std::size_t k);

class UndoDisk {
  public:
    virtual ~UndoDisk() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Never over an existing file; false when the move was not made.
    virtual bool Move(const std::string& from, const std::string& to) = 0;
    // Appends a record to the journal; a failure is the disk's to report.
    virtual void Append(const std::string& record) = 0;
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
std::optional<std::size_t> UnrecordedMove(const JournalContents& contents, UndoDisk& disk);

// Moves back, newest first, every move recorded as done and not undone, recording each.
// A move whose file is back already (source there, target gone) counts as undone.
UndoOutcome UndoMoves(JournalContents& contents, UndoDisk& disk);

}  // namespace nm
