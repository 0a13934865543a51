#include "engine/plan.hpp"

#include <optional>
#include <unordered_map>
#include <utility>

namespace nm {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Characters no file name may hold, besides the control bytes below 32.
constexpr std::string_view kReservedChars = "<>:\"/\\|?*";

constexpr std::string_view kTempPrefix = "~nm";
constexpr std::string_view kTempSuffix = ".tmp";

// Length of the folder part: up to and including the last separator. The path is read
// character by character, so a trail byte is never taken for one.
std::size_t folderLength(std::string_view path, const CodePage& codePage) noexcept {
    return codePage.afterLastOf(path, "\\/:");
}

bool isTooLong(std::string_view path, const PlanRules& rules) {
    // A character, or a UTF-16 unit, is at least a byte: short paths need no counting.
    if (path.size() <= rules.maxPathChars) {
        return false;
    }
    return (rules.pathLength ? rules.pathLength(path) : rules.codePage.charCount(path)) >
           rules.maxPathChars;
}

char asciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsAsciiUpper(std::string_view text, std::string_view upper) noexcept {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (asciiUpper(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9. Windows ignores blanks after the device name,
// so "NUL .txt" is the device too.
bool isDeviceName(std::string_view stem) noexcept {
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    if (stem.size() == 3) {
        return equalsAsciiUpper(stem, "CON") || equalsAsciiUpper(stem, "PRN") ||
               equalsAsciiUpper(stem, "AUX") || equalsAsciiUpper(stem, "NUL");
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        const std::string_view word = stem.substr(0, 3);
        return equalsAsciiUpper(word, "COM") || equalsAsciiUpper(word, "LPT");
    }
    return false;
}

bool isValidName(std::string_view name, const CodePage& codePage) noexcept {
    if (name.empty()) {
        return false;
    }
    bool invalid = false;
    bool badEnd = false;  // the last character is a single-byte "." or blank
    codePage.forEachChar(name, [&](std::size_t at, std::size_t size) {
        const auto c = static_cast<unsigned char>(name[at]);
        if (size == 1 && (c < 32 || kReservedChars.find(name[at]) != std::string_view::npos)) {
            invalid = true;
        }
        badEnd = size == 1 && (c == '.' || c == ' ');
    });
    // "." and ".." end in a dot as well.
    return !invalid && !badEnd && !isDeviceName(name.substr(0, name.find('.')));
}

// What is wrong with the new path itself, whatever else the batch holds.
ConflictReason pathProblem(const PlanRequest& request, const PlanRules& rules) {
    const std::string_view from = request.from;
    const std::string_view to = request.to;
    const std::size_t folder = folderLength(from, rules.codePage);
    if (!to.starts_with(from.substr(0, folder)) ||
        !isValidName(to.substr(folder), rules.codePage)) {
        return ConflictReason::InvalidName;
    }
    if (isTooLong(to, rules)) {
        return ConflictReason::TooLong;
    }
    return ConflictReason::None;
}

bool wantsToMove(const PlanRequest& request) noexcept {
    return !request.to.empty() && request.to != request.from;
}

// Each file gets one reason, the first found. The passes look in this order:
// GivenTwice, InvalidName, TooLong, SameTarget, TargetStays, TargetExists; with
// skipConflicts, TargetStays again for the files a staying file keeps out. Without it only
// a file that keeps its name counts as staying: nothing moves then anyway, and the files
// shown Planned are those that would move once the conflicts are resolved.
class Planner {
  public:
    Planner(std::span<const PlanRequest> requests, const PlanRules& rules, bool skipConflicts)
        : requests_(requests),
          rules_(rules),
          skipConflicts_(skipConflicts),
          fromSlots_(requests.size()),
          toSlots_(requests.size()) {
        plan_.files.resize(requests.size());
        // Never more keys than paths: the views in slots_ stay valid.
        keys_.reserve(2 * requests.size());
        slots_.reserve(2 * requests.size());
    }

    Plan run() {
        findSources();
        findTargets();
        findOccupiedTargets();
        if (skipConflicts_) {
            keepOutOfStayingFiles();
        }
        if (skipConflicts_ || plan_.conflicts == 0) {
            orderMoves();
        }
        // A cycle left without a temporary name is a conflict found only now.
        if (!skipConflicts_ && plan_.conflicts > 0) {
            plan_.moves.clear();
        }
        return std::move(plan_);
    }

  private:
    // Who stands at a folded path, and who wants it.
    struct Slot {
        std::size_t source = kNone;  // the first file at the path
        std::size_t target = kNone;  // the first file that wants it and passed the name checks
    };

    // One lookup per path: the slot is found or made, and its key kept only if it is new.
    Slot& slotFor(std::string key) {
        keys_.push_back(std::move(key));
        const auto [it, inserted] = slots_.try_emplace(keys_.back());
        if (!inserted) {
            keys_.pop_back();
        }
        return it->second;
    }

    void conflict(std::size_t file, ConflictReason reason, std::size_t other) {
        PlannedFile& planned = plan_.files[file];
        if (planned.status == PlanStatus::Conflict) {
            return;
        }
        planned = {PlanStatus::Conflict, reason, other};
        ++plan_.conflicts;
    }

    bool isPlanned(std::size_t file) const {
        return plan_.files[file].status == PlanStatus::Planned;
    }

    // The moving file whose place this one takes, or kNone.
    std::size_t next(std::size_t file) const {
        const std::size_t source = toSlots_[file]->source;
        return source == file ? kNone : source;
    }

    // A repeated path is the same file given again. A repeat never occupies its path on
    // its own: the first occurrence decides.
    void findSources() {
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            Slot& slot = slotFor(rules_.foldName(requests_[i].from));
            fromSlots_[i] = &slot;
            if (wantsToMove(requests_[i])) {
                plan_.files[i].status = PlanStatus::Planned;
            }
            if (slot.source == kNone) {
                slot.source = i;
            } else {
                conflict(i, ConflictReason::GivenTwice, slot.source);
            }
        }
    }

    void findTargets() {
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (!isPlanned(i)) {
                continue;
            }
            const ConflictReason problem = pathProblem(requests_[i], rules_);
            if (problem != ConflictReason::None) {
                conflict(i, problem, 0);
                continue;
            }
            Slot& slot = slotFor(rules_.foldName(requests_[i].to));
            toSlots_[i] = &slot;
            if (slot.target == kNone) {
                slot.target = i;
            } else {
                conflict(slot.target, ConflictReason::SameTarget, i);
                conflict(i, ConflictReason::SameTarget, slot.target);
            }
        }
    }

    // A target must be free by the time its move comes: either nothing is there, or the
    // file there moves away first, or it is the file itself (a change of letter case only).
    void findOccupiedTargets() {
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (!isPlanned(i)) {
                continue;
            }
            const std::size_t source = toSlots_[i]->source;
            if (source == kNone) {
                // Batch files stand on disk too, so only the rest is asked about.
                if (rules_.exists(requests_[i].to)) {
                    conflict(i, ConflictReason::TargetExists, 0);
                }
            } else if (source != i && plan_.files[source].status == PlanStatus::Unchanged) {
                conflict(i, ConflictReason::TargetStays, source);
            }
        }
    }

    // A file in conflict stays, and so keeps out the file that wanted its place, which
    // then stays as well, and so on down the chain.
    void keepOutOfStayingFiles() {
        std::vector<std::size_t> staying;
        staying.reserve(plan_.conflicts);
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            const PlannedFile& file = plan_.files[i];
            if (file.status == PlanStatus::Conflict && file.reason != ConflictReason::GivenTwice) {
                staying.push_back(i);
            }
        }
        while (!staying.empty()) {
            const std::size_t file = staying.back();
            staying.pop_back();
            const std::size_t wants = fromSlots_[file]->target;
            if (wants != kNone && isPlanned(wants)) {
                conflict(wants, ConflictReason::TargetStays, file);
                staying.push_back(wants);
            }
        }
    }

    void emit(std::size_t file, std::string from, std::string to) {
        plan_.moves.push_back(PlanMove{file, std::move(from), std::move(to)});
    }

    // Targets are unique, so every moving file has at most one predecessor (the file
    // moving into its place) and the moves form simple chains and cycles. A chain runs
    // from its free end backwards; a cycle is opened through a temporary name.
    void orderMoves() {
        std::vector<std::size_t> previous(requests_.size(), kNone);
        std::size_t planned = 0;
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (isPlanned(i)) {
                ++planned;
                if (next(i) != kNone) {
                    previous[next(i)] = i;
                }
            }
        }
        plan_.moves.reserve(planned);
        std::vector<bool> done(requests_.size());
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (!isPlanned(i) || next(i) != kNone) {
                continue;
            }
            for (std::size_t j = i; j != kNone; j = previous[j]) {
                emit(j, requests_[j].from, requests_[j].to);
                done[j] = true;
            }
        }
        for (std::size_t i = 0; i < requests_.size(); ++i) {
            if (isPlanned(i) && !done[i]) {
                breakCycle(i, previous, done);
            }
        }
    }

    // The cycle a -> b -> c -> a runs as a -> TEMP, c -> a, b -> c, TEMP -> b.
    void breakCycle(std::size_t first, const std::vector<std::size_t>& previous,
                    std::vector<bool>& done) {
        std::optional<std::string> temp = tempName(requests_[first].from);
        if (!temp) {
            // The folder leaves no room for a temporary name: the whole cycle stays.
            // Nothing else waits on it, as every member's place is wanted from inside.
            std::size_t j = first;
            do {
                conflict(j, ConflictReason::TooLong, 0);
                done[j] = true;
                j = previous[j];
            } while (j != first);
            return;
        }
        emit(first, requests_[first].from, *temp);
        done[first] = true;
        for (std::size_t j = previous[first]; j != first; j = previous[j]) {
            emit(j, requests_[j].from, requests_[j].to);
            done[j] = true;
        }
        emit(first, std::move(*temp), requests_[first].to);
    }

    // A name beside the file that is free on disk and in the batch. The number keeps
    // counting across cycles, so no two temporary names are the same.
    std::optional<std::string> tempName(std::string_view from) {
        const std::string_view folder = from.substr(0, folderLength(from, rules_.codePage));
        std::string temp;
        for (;; ++tempNumber_) {
            temp.assign(folder)
                .append(kTempPrefix)
                .append(std::to_string(tempNumber_))
                .append(kTempSuffix);
            if (isTooLong(temp, rules_)) {
                return std::nullopt;  // a higher number is only longer
            }
            if (rules_.exists(temp)) {
                continue;
            }
            if (slots_.contains(rules_.foldName(temp))) {
                continue;
            }
            ++tempNumber_;
            return temp;
        }
    }

    std::span<const PlanRequest> requests_;
    const PlanRules& rules_;
    bool skipConflicts_;
    Plan plan_;
    std::vector<std::string> keys_;  // folded paths; slots_ holds views into them
    std::unordered_map<std::string_view, Slot> slots_;
    std::vector<Slot*> fromSlots_;
    std::vector<Slot*> toSlots_;  // only for files that passed the name checks
    std::size_t tempNumber_ = 1;
};

}  // namespace

Plan makePlan(std::span<const PlanRequest> requests, const PlanRules& rules, bool skipConflicts) {
    return Planner(requests, rules, skipConflicts).run();
}

}  // namespace nm
