#pragma once

// The journal of a planned batch: the text file that tells --undo which moves were made.
// Its records, written and read here without the system, so that the tests read it natively:
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

    std::size_t done() const;    // moves recorded as made
    std::size_t undone() const;  // moves recorded as moved back
};

// Throws JournalError for text that is not a journal or has a damaged line.
JournalContents parseJournal(std::string_view text);

extern const char kJournalHeader[];

// Whether a path can stand in a record: a tab or a line end would break it. Windows allows
// neither in a file name, but --as-given passes any text on.
bool isRecordable(std::string_view path);

// The lines before the plan's records: the header, the folder, the code page and when.
std::string journalHead(std::string_view folder, unsigned codePage, std::string_view when);

// The journal's records, as written; k counts from 0.
std::string planRecord(std::size_t k, std::string_view from, std::string_view to);
std::string doneRecord(std::size_t k);
std::string undoneRecord(std::size_t k);

}  // namespace nm
