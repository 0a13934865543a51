// libFuzzer target over makePlan, built in the sanitizer tree only.
//
// The input draws a batch from a small pool of names, so that chains, cycles, collisions,
// letter-case variants, names Windows refuses, double-byte names, temporary-looking names
// and files outside the batch meet often:
//   byte 0      bit 0: skip conflicts; bit 1: a double-byte code page; bits 2-3: the longest
//               path (259, 13, 10 or 9 characters, the last too short for a temporary name)
//   byte 1      how many files outside the batch stand on disk (b % 8), one byte each next
//   the rest    two bytes per file of the batch: its name, and its new name (0xFF: none,
//               0xFE: the same name)
//
// The plan's moves are then made on an in-memory disk that compares names as Windows does.
// Checks: no move finds its source missing or its target taken (nothing is overwritten);
// each move stays in its folder; without skipConflicts a conflict means no move at all; every
// planned file ends at its new path, everything else where it was, nothing at a temporary
// name, and the number of files is unchanged.

#include "engine/plan.hpp"
#include "tests/support/test_support.hpp"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using nm::test::check;

// Names Windows refuses, control characters among them.
constexpr std::string_view kInvalid[] = {
    "CON", "a.",     "a ",  "a?b",  "a\x01", "x\x1f", "a:b", "a|b",
    "",    "nul .t", "a\\", "LPT1", "a/b",   "\"",    "<",   "\t",
};
// 0x95 is a lead byte in the double-byte code page; 0x5C and 0x7C are "\" and "|" alone.
constexpr std::string_view kDoubleByte[] = {
    "\x95\x5C",         "a.\x95\x5C", "a \x95\x7C", "a\x95",
    "\x95\x5C\x95\x5C", "\x95\x5C.",  "\x95\x7C",   "b.\x95",
};

// One name within a folder, from one byte: the top three bits choose the kind.
std::string leaf(unsigned char b, bool mayBeInvalid) {
    std::string base(1, "abcdefgh"[b & 7]);
    if ((b & 8) != 0) {
        base[0] = static_cast<char>(base[0] - 'a' + 'A');
    }
    if ((b & 16) != 0) {
        base += ".t";
    }
    switch (b >> 5) {
        case 4:
            return std::string((b & 8) != 0 ? "~NM" : "~nm") + static_cast<char>('1' + (b & 3)) +
                   ".tmp";
        case 5:
            return mayBeInvalid ? std::string(kInvalid[b & 15]) : base;
        case 6:
            return std::string(kDoubleByte[b & 7]);
        case 7:
            return (b & 1) != 0 ? "abcdefghijkl" : "sub\\" + base;
        default:
            return base;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    nm::test::FuzzInput in{std::string_view(reinterpret_cast<const char*>(bytes), size)};
    const unsigned char flags = in.takeByte();
    const bool skip = (flags & 1) != 0;
    nm::PlanRules rules;
    if ((flags & 2) != 0) {
        rules.codePage = nm::test::shiftJis();
    }
    static constexpr std::size_t kMaxPath[] = {259, 13, 10, 9};
    rules.maxPathChars = kMaxPath[(flags >> 2) & 3];
    // Folded as the file system folds names, a double-byte character kept whole.
    const auto fold = [&codePage = rules.codePage](std::string_view path) {
        return nm::test::foldAscii(path, codePage);
    };

    std::map<std::string, std::string> disk;  // folded path -> path as spelled
    std::vector<std::string> outside;
    for (unsigned n = in.takeByte() % 8; n > 0; --n) {
        outside.push_back("d\\" + leaf(in.takeByte(), false));
    }
    std::vector<nm::PlanRequest> requests;
    while (!in.empty() && requests.size() < 64) {
        const unsigned char name = in.takeByte();
        const unsigned char newName = in.takeByte();
        const std::string folder = name >> 5 == 7 && (name & 2) != 0 ? "e\\" : "d\\";
        nm::PlanRequest request{folder + leaf(name, false), ""};
        if (newName == 0xFE) {
            request.to = request.from;
        } else if (newName != 0xFF) {
            // Now and then into the other folder, which Windows does not allow a rename.
            const bool otherFolder = newName >> 5 == 7 && (newName & 2) != 0;
            request.to = (otherFolder == (folder == "d\\") ? "e\\" : folder) + leaf(newName, true);
        }
        requests.push_back(request);
    }
    // The batch's files stand on disk as given first; the others only where no batch file is.
    for (const nm::PlanRequest& request : requests) {
        disk.try_emplace(fold(request.from), request.from);
    }
    for (const std::string& path : outside) {
        disk.try_emplace(fold(path), path);
    }
    rules.foldName = fold;
    rules.exists = [&](std::string_view path) { return disk.contains(fold(path)); };

    const nm::Plan plan = nm::makePlan(requests, rules, skip);

    check(plan.files.size() == requests.size());
    std::size_t conflicts = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const nm::PlannedFile& file = plan.files[i];
        conflicts += file.status == nm::PlanStatus::Conflict ? 1 : 0;
        if (file.status == nm::PlanStatus::Planned) {
            check(!requests[i].to.empty() && requests[i].to != requests[i].from);
        }
    }
    check(plan.conflicts == conflicts);
    // Without skipConflicts, files shown planned beside a conflict do not move.
    const bool moving = skip || conflicts == 0;
    if (!moving) {
        check(plan.moves.empty());
    }

    // What the disk must hold at the end: planned files at their new paths, all else put.
    auto expected = disk;
    std::vector<std::size_t> movesOf(requests.size());
    for (const nm::PlanMove& move : plan.moves) {
        check(move.file < requests.size() &&
              plan.files[move.file].status == nm::PlanStatus::Planned);
        ++movesOf[move.file];
    }
    for (std::size_t i = 0; moving && i < requests.size(); ++i) {
        if (plan.files[i].status == nm::PlanStatus::Planned) {
            check(movesOf[i] == 1 || movesOf[i] == 2);  // two through a temporary name
            check(expected.erase(fold(requests[i].from)) == 1);
        }
    }
    for (std::size_t i = 0; moving && i < requests.size(); ++i) {
        if (plan.files[i].status == nm::PlanStatus::Planned) {
            check(expected.emplace(fold(requests[i].to), requests[i].to).second);
        }
    }

    const std::size_t before = disk.size();
    for (const nm::PlanMove& move : plan.moves) {
        const std::size_t folder = move.from.find('\\');
        check(move.to.compare(0, folder + 1, move.from, 0, folder + 1) == 0);
        const auto source = disk.find(fold(move.from));
        check(source != disk.end() && source->second == move.from);
        const std::string target = fold(move.to);
        check(target == source->first || !disk.contains(target));
        disk.erase(source);
        disk.emplace(target, move.to);
    }
    check(disk.size() == before);
    check(disk == expected);
    return 0;
}
