#pragma once

// renhost's journal commands: --undo and --journals.

#include <optional>
#include <string>

namespace nm {

// --undo: moves back, newest first, every move the journal records as done and not yet
// undone, never over an existing file, and reports each; without a path, the latest kept
// journal with moves not yet undone. Returns the exit code: 0 when all went back, 1 when any
// could not or the journal cannot be read or was written in another code page.
int undoJournal(const std::optional<std::string>& path, bool tsv);

// --journals: lists the kept journals, oldest first: when, how many moves, whether undone,
// the folder and the journal's path. Returns the exit code.
int listJournals();

}  // namespace nm
