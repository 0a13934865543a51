#include "host/journal_format.hpp"
#include "host/undo.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace nm {
namespace {

// A folder in memory: name -> contents.
using Folder = std::map<std::string, std::string>;

class MemoryDisk : public UndoDisk {
  public:
    explicit MemoryDisk(Folder folder) : folder_(std::move(folder)) {}
    bool exists(const std::string& path) override { return folder_.count(path) != 0; }
    bool move(const std::string& from, const std::string& to) override {
        if (folder_.count(from) == 0 || folder_.count(to) != 0) {
            return false;
        }
        folder_[to] = folder_[from];
        folder_.erase(from);
        return true;
    }
    void append(const std::string& record) override { records += record; }

    const Folder& folder() const { return folder_; }
    std::string records;

  private:
    Folder folder_;
};

const std::string kHead = "renhost journal 1\nfolder\tZ:\\f\ncodepage\t65001\n";
// A cycle of three through a temporary name, as the planner orders it.
const std::string kCycle = kHead +
                           "plan\t1\t1.txt\t~nm1.tmp\nplan\t2\t3.txt\t1.txt\n"
                           "plan\t3\t2.txt\t3.txt\nplan\t4\t~nm1.tmp\t2.txt\n";
const std::string kTwo = kHead + "plan\t1\ta\tx_a\nplan\t2\tb\tx_b\n";

struct UndoRow {
    const char* name;
    std::string journal;
    Folder before;
    Folder after;
    std::string records;  // appended to the journal
    std::vector<UndoResult> results;
};

void PrintTo(const UndoRow& row, std::ostream* out) {
    *out << row.name;
}

class UndoTable : public ::testing::TestWithParam<UndoRow> {};

TEST_P(UndoTable, MovesBackOnlyWhatWasMade) {
    const UndoRow& row = GetParam();
    JournalContents contents = parseJournal(row.journal);
    MemoryDisk disk(row.before);
    const UndoOutcome outcome = undoMoves(contents, disk);
    EXPECT_EQ(disk.folder(), row.after);
    EXPECT_EQ(disk.records, row.records);
    std::vector<UndoResult> results;
    for (const UndoStep& step : outcome.steps) {
        results.push_back(step.result);
    }
    EXPECT_EQ(results, row.results);
    for (const JournalMove& move : contents.moves) {
        EXPECT_TRUE(move.done || !move.undone) << "an undone move was made";
    }

    // A second undo over what the first left changes nothing. (The torn line goes before
    // the first appends.)
    JournalContents again = parseJournal(row.journal.substr(0, contents.wholeLines) + disk.records);
    MemoryDisk second(disk.folder());
    const UndoOutcome repeated = undoMoves(again, second);
    EXPECT_EQ(second.folder(), disk.folder());
    for (const UndoStep& step : repeated.steps) {
        EXPECT_EQ(step.result, UndoResult::Failed) << "only a blocked move is tried again";
    }
}

constexpr auto kBack = UndoResult::MovedBack;
constexpr auto kAlready = UndoResult::AlreadyBack;
constexpr auto kFailed = UndoResult::Failed;

INSTANTIATE_TEST_SUITE_P(
    Journals, UndoTable,
    ::testing::Values(
        UndoRow{"all_done",
                kTwo + "done\t1\ndone\t2\n",
                {{"x_a", "A"}, {"x_b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "undone\t2\nundone\t1\n",
                {kBack, kBack}},
        // Killed after all but its last move, then undone: no move is inferred again.
        UndoRow{"cycle_undone_already",
                kCycle + "done\t1\ndone\t2\ndone\t3\nundone\t3\nundone\t2\nundone\t1\n",
                {{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"}},
                {{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"}},
                "",
                {}},
        UndoRow{"cycle_killed_before_last",
                kCycle + "done\t1\ndone\t2\ndone\t3\n",
                {{"~nm1.tmp", "one"}, {"1.txt", "three"}, {"3.txt", "two"}},
                {{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"}},
                "undone\t3\nundone\t2\nundone\t1\n",
                {kBack, kBack, kBack}},
        // An undo killed between moving b back and its record.
        UndoRow{"undo_killed_before_record",
                kTwo + "done\t1\ndone\t2\n",
                {{"x_a", "A"}, {"b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "undone\t2\nundone\t1\n",
                {kAlready, kBack}},
        UndoRow{"undo_killed_later",
                kTwo + "done\t1\ndone\t2\nundone\t2\n",
                {{"a", "A"}, {"b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "undone\t1\n",
                {kAlready}},
        // A batch killed between a move and its record; a torn record is no record.
        UndoRow{"unrecorded_move",
                kTwo + "done\t1\n",
                {{"x_a", "A"}, {"x_b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "done\t2\nundone\t2\nundone\t1\n",
                {kBack, kBack}},
        UndoRow{"torn_record",
                kTwo + "done\t1\ndone\t",
                {{"x_a", "A"}, {"x_b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "done\t2\nundone\t2\nundone\t1\n",
                {kBack, kBack}},
        UndoRow{"next_move_not_made",
                kTwo + "done\t1\n",
                {{"x_a", "A"}, {"b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "undone\t1\n",
                {kBack}},
        // Its target taken by someone else's file does not make it made.
        UndoRow{"next_move_not_made_target_there",
                kTwo + "done\t1\n",
                {{"x_a", "A"}, {"b", "B"}, {"x_b", "X"}},
                {{"a", "A"}, {"b", "B"}, {"x_b", "X"}},
                "undone\t1\n",
                {kBack}},
        // A name taken again since stays with its new owner.
        UndoRow{"old_name_taken",
                kTwo + "done\t1\ndone\t2\n",
                {{"x_a", "A"}, {"x_b", "B"}, {"a", "new"}},
                {{"x_a", "A"}, {"b", "B"}, {"a", "new"}},
                "undone\t2\n",
                {kBack, kFailed}},
        UndoRow{"file_gone", kTwo + "done\t1\n", {{"b", "B"}}, {{"b", "B"}}, "", {kFailed}},
        // Written before the done record of an inferred move was kept: undone means made.
        UndoRow{"undone_without_done",
                kTwo + "done\t1\nundone\t2\n",
                {{"x_a", "A"}, {"b", "B"}},
                {{"a", "A"}, {"b", "B"}},
                "undone\t1\n",
                {kBack}}),
    [](const ::testing::TestParamInfo<UndoRow>& info) { return std::string(info.param.name); });

struct DamagedRow {
    const char* name;
    std::string text;
};

void PrintTo(const DamagedRow& row, std::ostream* out) {
    *out << row.name;
}

class DamagedTable : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedTable, IsRefused) {
    EXPECT_THROW(parseJournal(GetParam().text), JournalError);
}

INSTANTIATE_TEST_SUITE_P(
    Journals, DamagedTable,
    ::testing::Values(DamagedRow{"empty", ""}, DamagedRow{"header_torn", "renhost journal 1"},
                      DamagedRow{"other_header", "renhost journal 2\n"},
                      DamagedRow{"done_zero", kTwo + "done\t0\n"},
                      DamagedRow{"done_unplanned", kTwo + "done\t3\n"},
                      DamagedRow{"done_leading_zero", kTwo + "done\t01\n"},
                      DamagedRow{"done_huge", kTwo + "done\t99999999999999999999\n"},
                      DamagedRow{"done_wraps_to_1", kTwo + "done\t18446744073709551617\n"},
                      DamagedRow{"plan_out_of_order", kHead + "plan\t2\ta\tb\n"},
                      DamagedRow{"plan_short", kHead + "plan\t1\ta\n"},
                      DamagedRow{"plan_long", kHead + "plan\t1\ta\tb\tc\n"},
                      DamagedRow{"codepage_text", kHead + "codepage\tutf8\n"},
                      DamagedRow{"unknown_record", kTwo + "moved\t1\n"}),
    [](const ::testing::TestParamInfo<DamagedRow>& info) { return std::string(info.param.name); });

TEST(JournalReader, ReadsTheHeaderRecords) {
    const JournalContents contents = parseJournal(kTwo + "when\t2026-12-09 06:30:23\ndone\t1\n");
    EXPECT_EQ(contents.folder, "Z:\\f");
    EXPECT_EQ(contents.codePage, 65001u);
    EXPECT_EQ(contents.when, "2026-12-09 06:30:23");
    EXPECT_EQ(contents.done(), 1u);
    EXPECT_EQ(contents.wholeLines, kTwo.size() + 32);

    // Written before the code page was recorded.
    EXPECT_FALSE(parseJournal("renhost journal 1\nfolder\tC:\\\n").codePage);
}

}  // namespace
}  // namespace nm
