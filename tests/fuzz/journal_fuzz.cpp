// libFuzzer target over the journal's reader and the undo's steps, built in the sanitizer tree
// only.
//
// Input layout (the seeds in tests/fuzz/journal_corpus/ follow it):
//   byte 0      which of the paths the journal names are on the disk: path i is there when bit
//               (i % 8) of the byte, flipped by the path's own hash, is set
//   the rest    the journal, as it might be found after damage or a kill mid-write
//
// Checks, besides the sanitizers' own: every move the undo makes is the reverse of a move the
// journal planned and recorded (or the one unrecorded move it may infer, before any undo); no
// file is overwritten or lost; a second undo over the result tries only what failed.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "host/journal_format.hpp"
#include "host/undo.hpp"
#include "tests/support/test_support.hpp"

namespace {

using nm::test::check;

class CheckedDisk : public nm::UndoDisk {
  public:
    std::set<std::string> files;
    // The moves the undo may make: (from, to) pairs.
    std::set<std::pair<std::string, std::string>> allowed;
    std::size_t moves = 0;

    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool move(const std::string& from, const std::string& to) override {
        check(allowed.count({from, to}) != 0);
        if (files.count(from) == 0 || files.count(to) != 0) {
            return false;
        }
        files.erase(from);
        files.insert(to);
        ++moves;
        return true;
    }
    void append(const std::string& record) override {
        check(!record.empty() && record.back() == '\n');
    }
};

std::uint32_t hash(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (const char c : text) {
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned presence = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    nm::JournalContents contents;
    try {
        contents = nm::parseJournal(text);
    } catch (const nm::JournalError&) {
        return 0;  // refused: nothing is read further, nothing moves
    }
    check(contents.wholeLines <= text.size());

    CheckedDisk disk;
    std::size_t lastDone = 0;
    for (std::size_t k = 0; k < contents.moves.size(); ++k) {
        const nm::JournalMove& move = contents.moves[k];
        for (const std::string* path : {&move.from, &move.to}) {
            if (((presence ^ hash(*path)) >> (hash(*path) % 8) & 1) != 0) {
                disk.files.insert(*path);
            }
        }
        if (move.done) {
            lastDone = k + 1;
            disk.allowed.insert({move.to, move.from});
        }
    }
    // The one move that may be taken as made unrecorded.
    if (!contents.undoBegun && lastDone < contents.moves.size()) {
        disk.allowed.insert({contents.moves[lastDone].to, contents.moves[lastDone].from});
    }
    disk.files.insert("a file the journal does not name");
    const std::size_t count = disk.files.size();

    nm::JournalContents undone = contents;
    const nm::UndoOutcome outcome = nm::undoMoves(undone, disk);
    check(disk.files.size() == count);
    check(!outcome.inferred || (!contents.undoBegun && *outcome.inferred == lastDone));
    check(outcome.steps.size() >= disk.moves);

    // Whatever went back is recorded: a second undo tries only the moves that failed.
    std::set<std::size_t> failed;
    for (const nm::UndoStep& step : outcome.steps) {
        if (step.result == nm::UndoResult::Failed) {
            failed.insert(step.k);
        }
    }
    const nm::UndoOutcome again = nm::undoMoves(undone, disk);
    check(disk.files.size() == count);
    check(!again.inferred);
    for (const nm::UndoStep& step : again.steps) {
        check(failed.count(step.k) != 0);
    }
    return 0;
}
