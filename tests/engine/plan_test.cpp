#include "engine/plan.hpp"

#include "tests/support/test_support.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using enum nm::PlanStatus;
using enum nm::ConflictReason;

using nm::test::upper;

// "a>x b>" is d\a -> d\x and d\b with no new name.
std::vector<nm::PlanRequest> inFolder(const std::string& words) {
    std::vector<nm::PlanRequest> requests;
    std::istringstream in(words);
    for (std::string word; in >> word;) {
        const std::size_t arrow = word.find('>');
        const std::string to = word.substr(arrow + 1);
        requests.push_back({"d\\" + word.substr(0, arrow), to.empty() ? to : "d\\" + to});
    }
    return requests;
}

// One word per file: P moves, U stays unchanged; else a conflict, with the index of the
// other file where there is one: G given twice, S same target, T target stays,
// E target exists, I invalid name, L too long.
nm::PlannedFile expectation(const std::string& word) {
    static const std::map<char, nm::ConflictReason> reasons = {
        {'G', GivenTwice},   {'S', SameTarget},  {'T', TargetStays},
        {'E', TargetExists}, {'I', InvalidName}, {'L', TooLong}};
    if (word == "P" || word == "U") {
        return {word == "P" ? Planned : Unchanged};
    }
    return {Conflict, reasons.at(word[0]), word.size() > 1 ? std::stoul(word.substr(1)) : 0};
}

struct Case {
    const char* name;
    std::vector<nm::PlanRequest> requests;
    std::string expected;
    std::size_t moves;  // temporary ones included
    bool skip = false;
    std::vector<std::string> onDisk = {};  // besides the batch's files
    std::size_t maxPathChars = 259;
    bool doubleByte = false;
    bool utf16Length = false;  // paths measured as UTF-8 converted to UTF-16
};

// UTF-16 units of well-formed UTF-8: one per sequence, two for a four-byte one.
std::size_t utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        units += (b & 0xC0) == 0x80 ? 0 : b >= 0xF0 ? 2 : 1;
    }
    return units;
}

// Plans the case, then makes its moves on a case-insensitive disk: each must find its
// source and a free target, and the disk must end with every moving file at its new path.
void check(const Case& c) {
    SCOPED_TRACE(c.name);
    std::map<std::string, std::string> disk;  // folded path -> path as spelled
    for (const std::string& path : c.onDisk) {
        disk.emplace(upper(path), path);
    }
    for (const nm::PlanRequest& request : c.requests) {
        disk.try_emplace(upper(request.from), request.from);
    }
    nm::PlanRules rules;
    rules.foldName = upper;
    rules.exists = [&disk](std::string_view path) { return disk.contains(upper(path)); };
    rules.maxPathChars = c.maxPathChars;
    if (c.utf16Length) {
        rules.pathLength = utf16Units;
    }
    if (c.doubleByte) {
        rules.codePage = nm::test::shiftJis();
    }
    const nm::Plan plan = nm::makePlan(c.requests, rules, c.skip);

    std::vector<nm::PlannedFile> expected;
    std::istringstream words(c.expected);
    for (std::string word; words >> word;) {
        expected.push_back(expectation(word));
    }
    ASSERT_EQ(plan.files.size(), expected.size());
    std::size_t conflicts = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan.files[i].status, expected[i].status) << "file " << i;
        EXPECT_EQ(plan.files[i].reason, expected[i].reason) << "file " << i;
        EXPECT_EQ(plan.files[i].other, expected[i].other) << "file " << i;
        conflicts += expected[i].status == Conflict ? 1 : 0;
    }
    EXPECT_EQ(plan.conflicts, conflicts);
    EXPECT_EQ(plan.moves.size(), c.moves);

    // All moving files leave their places first: one may take another's.
    auto finalDisk = disk;
    for (int pass = 0; pass < 2 && (c.skip || conflicts == 0); ++pass) {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const nm::PlanRequest& request = c.requests[i];
            if (expected[i].status == Planned && pass == 0) {
                finalDisk.erase(upper(request.from));
            } else if (expected[i].status == Planned) {
                finalDisk.emplace(upper(request.to), request.to);
            }
        }
    }
    std::set<std::string> temporary;  // no two cycles share one, even one after the other
    for (const nm::PlanMove& move : plan.moves) {
        SCOPED_TRACE(move.from + " -> " + move.to);
        const nm::PlanRequest& request = c.requests.at(move.file);
        EXPECT_TRUE(move.from == request.from || move.to == request.to);
        if (move.to != request.to) {
            EXPECT_TRUE(temporary.insert(upper(move.to)).second);
        }
        EXPECT_EQ(move.to.substr(0, 2), request.from.substr(0, 2));  // stays in its folder
        const auto source = disk.find(upper(move.from));
        ASSERT_TRUE(source != disk.end() && source->second == move.from);
        EXPECT_TRUE(upper(move.to) == source->first || !disk.contains(upper(move.to)));
        disk.erase(source);
        disk.emplace(upper(move.to), move.to);
    }
    EXPECT_EQ(disk, finalDisk);
}

TEST(MakePlan, FindsConflictsAndOrdersTheMoves) {
    const auto blocked = inFolder("a>TAKEN b>a c>b e>f g>s h>S i>g");
    const Case cases[] = {
        {"plain", inFolder("a>x b>y c>c e>"), "P P U U", 2},
        {"two to one name", inFolder("a>x b>X c>z"), "S1 S0 P", 0},
        {"three to one name, skipped", inFolder("a>x b>X c>x e>z"), "S1 S0 S0 P", 1, true},
        {"target on disk", inFolder("a>TAKEN b>y"), "E P", 0, false, {"d\\taken"}},
        {"target stays", inFolder("a>B b>b e>c c>"), "T1 U T3 U", 0},
        {"given twice", inFolder("a>x A>y A>"), "P G0 G0", 1, true},
        // The first time a file is given decides whether its place comes free.
        {"given twice, its place wanted", inFolder("b>a a>x A>y"), "P P G1", 2, true},
        {"given twice, its place wanted, not skipped", inFolder("b>a a>x A>y"), "P P G1", 0},
        {"given twice and staying, its place wanted", inFolder("b>a a> A>y"), "T1 U G1", 0, true},
        // A swap, with the first two temporary names taken.
        {"swap", inFolder("a>b b>a c>~nm2.tmp"), "P P P", 4, false, {"d\\~NM1.TMP"}},
        {"three-file cycle", inFolder("a>b b>c c>a"), "P P P", 4},
        {"two cycles", inFolder("a>b b>a c>e e>c"), "P P P P", 6, false, {"d\\~NM2.TMP"}},
        {"renumbering chain", inFolder("img_1>img_2 img_2>img_3 img_3>img_4"), "P P P", 3},
        {"letter case only", inFolder("a>A b>c c>B"), "P P P", 4},
        {"letter case only, name wanted", inFolder("a>A b>a"), "S1 S0", 0},
        {"kept out, skipped", blocked, "E T0 T1 P S5 S4 T4", 1, true, {"d\\taken"}},
        {"kept out, not skipped", blocked, "E P P P S5 S4 P", 0, false, {"d\\taken"}},
        {"no room for a temporary name", inFolder("a>b b>a c>e"), "L L P", 1, true, {}, 8},
        {"no room, not skipped", inFolder("a>b b>a c>e"), "L L P", 0, false, {}, 8},
    };
    for (const Case& c : cases) {
        check(c);
    }
}

TEST(MakePlan, RejectsNamesWindowsRefuses) {
    std::vector<std::string> bad = {
        "a?",       "a<b",  "a>b",  "a|b", "\"q\"",   "a*b", "a:b",     R"(sub\x)",
        "a/b",      "t\t",  "dot.", "x ",  ".",       "..",  "CON.txt", "con",
        "nul .txt", "Lpt9", "COM1", "aux", "prn.a.b", "",
    };
    const std::vector<std::string> good = {"COM0.txt",  "console", "LPT",
                                           ".htaccess", "a b.c",   "1234567890"};
    for (char control = 1; control < 32; ++control) {
        bad.push_back(std::string("a") + control + "b");
    }
    Case c{"names", {}, "", good.size() + 2, true, {}, 12};
    for (const auto& [names, code] :
         {std::pair(&std::as_const(bad), "I "), std::pair(&good, "P ")}) {
        for (const std::string& name : *names) {
            c.requests.push_back({"d\\f" + std::to_string(c.requests.size()), "d\\" + name});
            c.expected += code;
        }
    }
    // Another folder, the same folder spelled otherwise, one character too many; "/" and
    // ":" end a folder too.
    c.requests.insert(c.requests.end(), {{R"(d\g)", R"(e\g)"},
                                         {R"(d\h)", R"(D\h)"},
                                         {R"(d\i)", R"(d\12345678901)"},
                                         {"d/j", "d/k"},
                                         {"d:j", "d:k"}});
    c.expected += "I I L P P";
    check(c);
}

// In a double-byte code page 0x95 0x5C and 0x95 0x7C are one character each, whose
// second byte is no separator and no reserved character; a character counts once.
TEST(MakePlan, ReadsDoubleByteCharacters) {
    const std::string wide = "\x95\x5C";
    const std::vector<nm::PlanRequest> requests = {
        {"d\\" + wide + "\\a", "d\\" + wide + "\\\x95\x7C"},
        {"d\\b", "d\\" + wide + ".x"},
        {"d\\x" + wide, "d\\y"},
        {"d\\c", "d\\" + wide + wide + wide + wide + "1"},
        {"d\\e", "d\\" + wide + wide + wide + wide + wide + "1"},
        // The name ends in a character, not in the dot or blank before it.
        {"d\\f", "d\\a." + wide},
        {"d\\g", "d\\a " + wide},
    };
    check({"double-byte", requests, "P P P P L P P", 6, true, {}, 7, true});
    check({"single-byte", requests, "I I I I I I I", 0, true, {}, 7});
}

// Under UTF-8 a path is as long as Windows measures it: Я takes two bytes and one unit, an
// emoji four bytes and two units.
TEST(MakePlan, MeasuresPathsAsTheSystemDoes) {
    const std::string ya = "\xD0\xAF";
    const std::string emoji = "\xF0\x9F\x98\x80";
    const std::vector<nm::PlanRequest> requests = {
        {"d\\a", "d\\" + ya + ya + ya + ya + ya},
        {"d\\b", "d\\" + ya + ya + ya + ya + ya + "1"},
        {"d\\c", "d\\" + emoji + emoji + "1"},
        {"d\\e", "d\\" + emoji + emoji + emoji},
    };
    check({"in UTF-16 units", requests, "P L P L", 2, true, {}, 7, false, true});
    check({"in bytes", requests, "L L L L", 0, true, {}, 7});
    // A swap at the limit in a folder of Cyrillic (or double-byte) names: the temporary
    // name, as long as the names, fits as they do.
    for (const std::string& letter : {ya, std::string("\x95\x5C")}) {
        const std::string folder = "d\\" + letter + letter + letter + "\\";
        const std::vector<nm::PlanRequest> swap = {{folder + "aaaaaaaa", folder + "bbbbbbbb"},
                                                   {folder + "bbbbbbbb", folder + "aaaaaaaa"}};
        const bool utf8 = letter == ya;
        check({"swap at the limit", swap, "P P", 3, false, {}, 14, !utf8, utf8});
    }
}

}  // namespace
