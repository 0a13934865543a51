#include "host/journal.hpp"

#include <cstdio>
#include <string_view>
#include <vector>

#include "host/report.hpp"

namespace nm {
namespace {

constexpr std::string_view kHeader = "renhost journal 1";

bool writeAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) == 0 ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

// A tab or a line end inside a path would break its record; Windows allows neither in a
// file name, but --as-given passes any text on.
void checkRecordable(const std::string& path) {
    if (path.find_first_of("\t\r\n") != std::string::npos) {
        throw JournalError{"the path \"" + FromAnsi(path) + "\" cannot be journalled"};
    }
}

std::string currentFolder() {
    std::string folder(GetCurrentDirectoryA(0, nullptr), '\0');
    folder.resize(GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

// renhost-YYYYMMDD-HHMMSS.journal in the current folder, local time; "-2", "-3", ...
// before the extension for a second batch in the same second.
std::string defaultName(int attempt) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "renhost-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string path = name;
    if (attempt > 1) {
        path += "-" + std::to_string(attempt);
    }
    return path + ".journal";
}

FileHandle createNew(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

struct JournalMove {
    std::string from;
    std::string to;
    bool done = false;
    bool undone = false;
};

struct JournalContents {
    std::string folder;
    std::vector<JournalMove> moves;
    std::size_t wholeLines = 0;  // bytes up to the end of the last whole line
};

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

// K of a record, checked against the moves planned so far.
std::size_t moveNumber(std::string_view text, std::size_t planned) {
    std::size_t k = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || k > planned) {
            return 0;
        }
        k = k * 10 + static_cast<std::size_t>(c - '0');
    }
    return k <= planned ? k : 0;
}

JournalContents parse(std::string_view text) {
    JournalContents contents;
    std::size_t lineNumber = 0;
    // Only whole lines: a last line without its line end was cut off mid-write.
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        contents.wholeLines += end + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader) {
                throw JournalError{"not a renhost journal"};
            }
            continue;
        }
        const std::vector<std::string_view> fields = splitFields(line);
        const std::size_t planned = contents.moves.size();
        if (fields[0] == "folder" && fields.size() == 2) {
            contents.folder = fields[1];
        } else if (fields[0] == "plan" && fields.size() == 4 &&
                   moveNumber(fields[1], planned + 1) == planned + 1) {
            contents.moves.push_back({std::string(fields[2]), std::string(fields[3])});
        } else if ((fields[0] == "done" || fields[0] == "undone") && fields.size() == 2 &&
                   moveNumber(fields[1], planned) != 0) {
            JournalMove& move = contents.moves[moveNumber(fields[1], planned) - 1];
            (fields[0] == "done" ? move.done : move.undone) = true;
        } else {
            throw JournalError{"line " + std::to_string(lineNumber) + " is damaged"};
        }
    }
    if (lineNumber == 0) {
        throw JournalError{"not a renhost journal"};
    }
    return contents;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A batch killed between a move and its record leaves that one move unrecorded: it is the
// move after the last recorded one, and it was made when its source is gone and its
// target is there.
void recoverUnrecordedMove(JournalContents& contents) {
    std::size_t next = 0;
    for (std::size_t k = 0; k < contents.moves.size(); ++k) {
        if (contents.moves[k].done) {
            next = k + 1;
        }
    }
    if (next == contents.moves.size()) {
        return;
    }
    JournalMove& move = contents.moves[next];
    if (!move.undone && !exists(move.from) && exists(move.to)) {
        std::fprintf(stderr, "renhost: move %zu was made but not recorded; it is undone too\n",
                     next + 1);
        move.done = true;
    }
}

std::string readAll(HANDLE file) {
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0 && read != 0) {
        text.append(buffer, read);
    }
    return text;
}

}  // namespace

JournalWriter::JournalWriter(const std::optional<std::string>& path,
                             std::span<const PlanMove> moves) {
    const std::string folder = currentFolder();
    std::string text = std::string(kHeader) + "\nfolder\t" + folder + "\n";
    checkRecordable(folder);
    for (std::size_t k = 0; k < moves.size(); ++k) {
        checkRecordable(moves[k].from);
        checkRecordable(moves[k].to);
        text += "plan\t" + std::to_string(k + 1) + "\t" + moves[k].from + "\t" + moves[k].to + "\n";
    }

    std::string name = path.value_or(defaultName(1));
    file_ = createNew(name);
    for (int attempt = 2; !file_ && !path && GetLastError() == ERROR_FILE_EXISTS && attempt < 100;
         ++attempt) {
        name = defaultName(attempt);
        file_ = createNew(name);
    }
    const DWORD error = GetLastError();
    path_ = FullPath(name);
    if (!file_) {
        throw JournalError{"cannot create the journal " + FromAnsi(path_) + ": " +
                           SystemMessage(error)};
    }
    if (!writeAll(file_.get(), text) || FlushFileBuffers(file_.get()) == 0) {
        throw JournalError{"cannot write the journal " + FromAnsi(path_) + ": " +
                           SystemMessage(GetLastError())};
    }
}

JournalWriter::~JournalWriter() {
    // The batch is over: its records go to the disk now. A failure leaves them with the
    // system, which is no worse than the moves themselves.
    FlushFileBuffers(file_.get());
}

bool JournalWriter::RecordDone(std::size_t k) {
    return writeAll(file_.get(), "done\t" + std::to_string(k + 1) + "\n");
}

int UndoJournal(const std::string& path, bool tsv) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        std::fprintf(stderr, "renhost: cannot open the journal %s: %s\n", FromAnsi(path).c_str(),
                     SystemMessage(GetLastError()).c_str());
        return 1;
    }
    const std::string text = readAll(file.get());
    JournalContents contents;
    try {
        contents = parse(text);
    } catch (const JournalError& error) {
        std::fprintf(stderr, "renhost: %s: %s; nothing undone\n", FromAnsi(path).c_str(),
                     error.what.c_str());
        return 1;
    }
    // A torn last line goes, so that the records appended stand on lines of their own.
    if (contents.wholeLines != text.size()) {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(contents.wholeLines);
        SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    if (!contents.folder.empty()) {
        SetCurrentDirectoryA(contents.folder.c_str());
    }
    recoverUnrecordedMove(contents);

    bool all = true;
    bool any = false;
    for (std::size_t k = contents.moves.size(); k-- > 0;) {
        const JournalMove& move = contents.moves[k];
        if (!move.done || move.undone) {
            continue;
        }
        any = true;
        // No MOVEFILE_REPLACE_EXISTING: whatever took the old name since stays.
        if (MoveFileExA(move.to.c_str(), move.from.c_str(), 0) == 0) {
            const DWORD error = GetLastError();
            Report({Status::MoveFailed, move.to,
                    "cannot move back to " + FromAnsi(move.from) + ": " + SystemMessage(error),
                    move.from},
                   move.to, tsv);
            all = false;
            continue;
        }
        if (!writeAll(file.get(), "undone\t" + std::to_string(k + 1) + "\n")) {
            std::fprintf(stderr, "renhost: cannot record undoing move %zu in the journal: %s\n",
                         k + 1, SystemMessage(GetLastError()).c_str());
        }
        Report({Status::Undone, move.from, "", ""}, move.to, tsv);
    }
    if (!any) {
        std::fprintf(stderr, "renhost: nothing to undo in %s\n", FromAnsi(path).c_str());
    }
    return all ? 0 : 1;
}

}  // namespace nm
