#include "host/undo.hpp"

namespace nm {

std::optional<std::size_t> unrecordedMove(const JournalContents& contents, UndoDisk& disk) {
    if (contents.undoBegun) {
        return std::nullopt;
    }
    std::size_t next = 0;
    for (std::size_t k = 0; k < contents.moves.size(); ++k) {
        if (contents.moves[k].done) {
            next = k + 1;
        }
    }
    if (next == contents.moves.size()) {
        return std::nullopt;
    }
    const JournalMove& move = contents.moves[next];
    if (!disk.exists(move.from) && disk.exists(move.to)) {
        return next;
    }
    return std::nullopt;
}

UndoOutcome undoMoves(JournalContents& contents, UndoDisk& disk) {
    UndoOutcome outcome;
    outcome.inferred = unrecordedMove(contents, disk);
    if (outcome.inferred) {
        // Recorded now, so that a later undo need not infer it again.
        contents.moves[*outcome.inferred].done = true;
        disk.append(doneRecord(*outcome.inferred));
    }
    for (std::size_t k = contents.moves.size(); k-- > 0;) {
        JournalMove& move = contents.moves[k];
        if (!move.done || move.undone) {
            continue;
        }
        UndoResult result = UndoResult::AlreadyBack;
        if (!disk.exists(move.from) || disk.exists(move.to)) {
            result = disk.move(move.to, move.from) ? UndoResult::MovedBack : UndoResult::Failed;
        }
        if (result != UndoResult::Failed) {
            move.undone = true;
            contents.undoBegun = true;
            disk.append(undoneRecord(k));
        }
        outcome.steps.push_back({k, result});
    }
    return outcome;
}

}  // namespace nm
