#include "host/journal_commands.hpp"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/win32/handles.hpp"
#include "engine/win32/text_codec.hpp"
#include "host/full_path.hpp"
#include "host/journal_format.hpp"
#include "host/journal_writer.hpp"
#include "host/read_all.hpp"
#include "host/report.hpp"
#include "host/system_message.hpp"
#include "host/undo.hpp"

namespace nm {
namespace {

bool pathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The journal's moves on the real disk, each record appended as it happens.
class SystemDisk : public UndoDisk {
  public:
    explicit SystemDisk(HANDLE journal) : journal_(journal) {}

    bool exists(const std::string& path) override { return pathExists(path); }
    bool move(const std::string& from, const std::string& to) override {
        // No MOVEFILE_REPLACE_EXISTING: whatever took the old name since stays.
        const bool moved = MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
        lastError = moved ? 0 : GetLastError();
        return moved;
    }
    void append(const std::string& record) override {
        if (!writeAll(journal_, record)) {
            std::fprintf(stderr, "renhost: cannot record \"%.*s\" in the journal: %s\n",
                         static_cast<int>(record.size() - 1), record.c_str(),
                         systemMessage(GetLastError()).c_str());
        }
    }

    DWORD lastError = 0;

  private:
    HANDLE journal_;
};

// Paths journalled in one code page name other files in another.
std::optional<std::string> codePageMismatch(const JournalContents& contents) {
    const UINT here = GetACP();
    if (contents.codePage) {
        if (*contents.codePage == here) {
            return std::nullopt;
        }
        return "it was written in code page " + std::to_string(*contents.codePage) +
               " and this renhost runs in " + std::to_string(here) +
               "; undo it with a renhost in that code page (scripts/renhost --code-page system "
               "for the system's)";
    }
    // Written before journals said: by a host in the system's code page. Plain ASCII reads
    // the same in any.
    auto ascii = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    bool allAscii = ascii(contents.folder);
    for (const JournalMove& move : contents.moves) {
        allAscii = allAscii && ascii(move.from) && ascii(move.to);
    }
    if (allAscii || here != CP_UTF8) {
        return std::nullopt;
    }
    return "it does not say its code page (it was written by a renhost in the system's) and "
           "this renhost runs in UTF-8; undo it with scripts/renhost --code-page system";
}

struct KeptJournal {
    std::string path;
    std::string key;  // orders journals by time, then by their "-N"
};

// The kept journals, oldest first.
std::vector<KeptJournal> keptJournals() {
    const std::string folder = journalFolder();
    std::vector<KeptJournal> journals;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((folder + "\\renhost-*.journal").c_str(), &found));
    if (!find) {
        return journals;
    }
    do {
        const std::string name = found.cFileName;
        const std::size_t stamp = sizeof kJournalPrefix - 1 + 15;  // YYYYMMDD-HHMMSS
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || name.size() < stamp) {
            continue;
        }
        // "-N" between the stamp and the extension, its digits right-aligned
        std::string attempt =
            name.substr(stamp, name.size() - stamp - (sizeof kJournalExtension - 1));
        attempt = attempt.empty() ? "1" : attempt.substr(1);
        attempt.insert(0, attempt.size() < 8 ? 8 - attempt.size() : 0, '0');
        journals.push_back({folder + "\\" + name, name.substr(0, stamp) + attempt});
    } while (FindNextFileA(find.get(), &found) != 0);
    std::sort(journals.begin(), journals.end(),
              [](const KeptJournal& a, const KeptJournal& b) { return a.key < b.key; });
    return journals;
}

std::optional<JournalContents> readJournal(const std::string& path, std::string* error) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = systemMessage(GetLastError());
        return std::nullopt;
    }
    try {
        return parseJournal(readAll(file.get()));
    } catch (const JournalError& damaged) {
        *error = damaged.what;
        return std::nullopt;
    }
}

// The latest kept journal with a move to undo.
std::optional<std::string> latestToUndo() {
    const std::vector<KeptJournal> journals = keptJournals();
    const std::string here = currentFolder();
    for (auto journal = journals.rbegin(); journal != journals.rend(); ++journal) {
        std::string error;
        const std::optional<JournalContents> contents = readJournal(journal->path, &error);
        if (!contents) {
            continue;
        }
        if (contents->done() > contents->undone()) {
            return journal->path;
        }
        if (!contents->folder.empty()) {
            SetCurrentDirectoryA(contents->folder.c_str());
        }
        SystemDisk disk(INVALID_HANDLE_VALUE);
        const bool unrecorded = unrecordedMove(*contents, disk).has_value();
        SetCurrentDirectoryA(here.c_str());
        if (unrecorded) {
            return journal->path;
        }
    }
    return std::nullopt;
}

}  // namespace

int undoJournal(const std::optional<std::string>& given, bool tsv) {
    std::string path;
    try {
        const std::optional<std::string> latest = given ? given : latestToUndo();
        if (!latest) {
            // As with a journal given that is all undone: nothing to do is no failure.
            std::fprintf(stderr, "renhost: no kept journal in %s has moves to undo\n",
                         ansiToUtf8(journalFolder()).c_str());
            return 0;
        }
        path = *latest;
    } catch (const JournalError& error) {
        std::fprintf(stderr, "renhost: %s\n", error.what.c_str());
        return 1;
    }
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        std::fprintf(stderr, "renhost: cannot open the journal %s: %s\n", ansiToUtf8(path).c_str(),
                     systemMessage(GetLastError()).c_str());
        return 1;
    }
    std::fprintf(stderr, "renhost: journal %s\n", ansiToUtf8(path).c_str());
    const std::string text = readAll(file.get());
    JournalContents contents;
    try {
        contents = parseJournal(text);
    } catch (const JournalError& error) {
        std::fprintf(stderr, "renhost: %s: %s; nothing undone\n", ansiToUtf8(path).c_str(),
                     error.what.c_str());
        return 1;
    }
    if (const std::optional<std::string> mismatch = codePageMismatch(contents)) {
        std::fprintf(stderr, "renhost: %s: %s; nothing undone\n", ansiToUtf8(path).c_str(),
                     mismatch->c_str());
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

    SystemDisk disk(file.get());
    bool all = true;
    const UndoOutcome outcome = undoMoves(contents, disk);
    if (outcome.inferred) {
        std::fprintf(stderr, "renhost: move %zu was made but not recorded; it is undone too\n",
                     *outcome.inferred + 1);
    }
    for (const UndoStep& step : outcome.steps) {
        const JournalMove& move = contents.moves[step.k];
        if (step.result == UndoResult::Failed) {
            report({Status::MoveFailed, move.to,
                    "cannot move back to " + ansiToUtf8(move.from) + ": " +
                        systemMessage(disk.lastError),
                    move.from},
                   move.to, tsv);
            all = false;
        } else {
            report({Status::Undone, move.from, "", ""}, move.to, tsv);
        }
    }
    if (outcome.steps.empty()) {
        std::fprintf(stderr, "renhost: nothing to undo in %s\n", ansiToUtf8(path).c_str());
    }
    return all ? 0 : 1;
}

int listJournals() {
    std::vector<KeptJournal> journals;
    try {
        journals = keptJournals();
    } catch (const JournalError& error) {
        std::fprintf(stderr, "renhost: %s\n", error.what.c_str());
        return 1;
    }
    for (const KeptJournal& journal : journals) {
        std::string error;
        const std::optional<JournalContents> contents = readJournal(journal.path, &error);
        if (!contents) {
            std::printf("?\t-\tunreadable: %s\t-\t%s\n", error.c_str(),
                        ansiToUtf8(journal.path).c_str());
            continue;
        }
        const std::size_t done = contents->done();
        const std::size_t undone = contents->undone();
        const char* state = done == 0        ? "nothing moved"
                            : undone == 0    ? "not undone"
                            : undone == done ? "undone"
                                             : "partly undone";
        std::printf("%s\t%zu moves\t%s\t%s\t%s\n",
                    contents->when.empty() ? "?" : contents->when.c_str(), done, state,
                    ansiToUtf8(contents->folder).c_str(), ansiToUtf8(journal.path).c_str());
    }
    if (journals.empty()) {
        std::fprintf(stderr, "renhost: no journals in %s\n", ansiToUtf8(journalFolder()).c_str());
    }
    return 0;
}

}  // namespace nm
