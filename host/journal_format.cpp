#include "host/journal_format.hpp"

namespace nm {

const char kJournalHeader[] = "renhost journal 1";

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

// A decimal number of at most limit, without sign or leading zero; 0 when it is not one.
// Checked digit by digit, so that no number of any length wraps into range (ten digits
// already wrap a 32-bit size_t).
std::size_t number(std::string_view text, std::size_t limit) {
    if (text.empty() || text[0] == '0') {
        return 0;
    }
    std::size_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > limit / 10) {
            return 0;
        }
        const auto digit = static_cast<std::size_t>(c - '0');
        value *= 10;
        if (digit > limit - value) {
            return 0;
        }
        value += digit;
    }
    return value;
}

void parseLine(JournalContents& contents, std::string_view line, std::size_t lineNumber) {
    const std::vector<std::string_view> fields = splitFields(line);
    const std::size_t planned = contents.moves.size();
    const std::string_view kind = fields[0];
    bool known = false;
    if (fields.size() == 2 && kind == "folder") {
        contents.folder = fields[1];
        known = true;
    } else if (fields.size() == 2 && kind == "codepage" && number(fields[1], 65535) != 0) {
        contents.codePage = static_cast<unsigned>(number(fields[1], 65535));
        known = true;
    } else if (fields.size() == 2 && kind == "when") {
        contents.when = fields[1];
        known = true;
    } else if (fields.size() == 4 && kind == "plan" &&
               number(fields[1], planned + 1) == planned + 1) {
        contents.moves.push_back({std::string(fields[2]), std::string(fields[3])});
        known = true;
    } else if (fields.size() == 2 && (kind == "done" || kind == "undone")) {
        if (const std::size_t k = number(fields[1], planned); k != 0) {
            JournalMove& move = contents.moves[k - 1];
            // An undone move was made, recorded or not (an undo once inferred it unrecorded).
            move.done = true;
            if (kind == "undone") {
                move.undone = true;
                contents.undoBegun = true;
            }
            known = true;
        }
    }
    if (!known) {
        throw JournalError{"line " + std::to_string(lineNumber) + " is damaged"};
    }
}

}  // namespace

std::size_t JournalContents::done() const {
    std::size_t done = 0;
    for (const JournalMove& move : moves) {
        done += move.done ? 1 : 0;
    }
    return done;
}

std::size_t JournalContents::undone() const {
    std::size_t undone = 0;
    for (const JournalMove& move : moves) {
        undone += move.undone ? 1 : 0;
    }
    return undone;
}

JournalContents parseJournal(std::string_view text) {
    JournalContents contents;
    std::size_t lineNumber = 0;
    // Only whole lines: a last line without its line end was cut off mid-write.
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        contents.wholeLines += end + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kJournalHeader) {
                throw JournalError{"not a renhost journal"};
            }
            continue;
        }
        parseLine(contents, line, lineNumber);
    }
    if (lineNumber == 0) {
        throw JournalError{"not a renhost journal"};
    }
    return contents;
}

bool isRecordable(std::string_view path) {
    return path.find_first_of("\t\r\n") == std::string_view::npos;
}

std::string journalHead(std::string_view folder, unsigned codePage, std::string_view when) {
    return std::string(kJournalHeader) + "\nfolder\t" + std::string(folder) + "\ncodepage\t" +
           std::to_string(codePage) + "\nwhen\t" + std::string(when) + "\n";
}

std::string planRecord(std::size_t k, std::string_view from, std::string_view to) {
    return "plan\t" + std::to_string(k + 1) + "\t" + std::string(from) + "\t" + std::string(to) +
           "\n";
}

std::string doneRecord(std::size_t k) {
    return "done\t" + std::to_string(k + 1) + "\n";
}

std::string undoneRecord(std::size_t k) {
    return "undone\t" + std::to_string(k + 1) + "\n";
}

}  // namespace nm
