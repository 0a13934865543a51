#include "host/journal.hpp"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/win32/text_codec.hpp"
#include "host/report.hpp"

namespace nm {
namespace {

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
        throw JournalError{"the path \"" + ansiToUtf8(path) + "\" cannot be journalled"};
    }
}

std::string currentFolder() {
    std::string folder(GetCurrentDirectoryA(0, nullptr), '\0');
    folder.resize(GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

constexpr char kPrefix[] = "renhost-";
constexpr char kExtension[] = ".journal";

// renhost-YYYYMMDD-HHMMSS.journal in the journals' folder, local time; "-2", "-3", ...
// before the extension for a second batch in the same second.
std::string defaultName(const SYSTEMTIME& now, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04u%02u%02u-%02u%02u%02u", kPrefix, now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string path = JournalFolder() + "\\" + name;
    if (attempt > 1) {
        path += "-" + std::to_string(attempt);
    }
    return path + kExtension;
}

std::string whenText(const SYSTEMTIME& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

FileHandle createNew(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The journal's moves on the real disk, each record appended as it happens.
class SystemDisk : public UndoDisk {
  public:
    explicit SystemDisk(HANDLE journal) : journal_(journal) {}

    bool Exists(const std::string& path) override { return exists(path); }
    bool Move(const std::string& from, const std::string& to) override {
        // No MOVEFILE_REPLACE_EXISTING: whatever took the old name since stays.
        const bool moved = MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
        lastError = moved ? 0 : GetLastError();
        return moved;
    }
    void Append(const std::string& record) override {
        if (!writeAll(journal_, record)) {
            std::fprintf(stderr, "renhost: cannot record \"%.*s\" in the journal: %s\n",
                         static_cast<int>(record.size() - 1), record.c_str(),
                         SystemMessage(GetLastError()).c_str());
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
    const std::string folder = JournalFolder();
    std::vector<KeptJournal> journals;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((folder + "\\renhost-*.journal").c_str(), &found));
    if (!find) {
        return journals;
    }
    do {
        const std::string name = found.cFileName;
        const std::size_t stamp = sizeof kPrefix - 1 + 15;  // YYYYMMDD-HHMMSS
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || name.size() < stamp) {
            continue;
        }
        // "-N" between the stamp and the extension, its digits right-aligned
        std::string attempt = name.substr(stamp, name.size() - stamp - (sizeof kExtension - 1));
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
        *error = SystemMessage(GetLastError());
        return std::nullopt;
    }
    try {
        return ParseJournal(ReadAll(file.get()));
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
        if (contents->Done() > contents->Undone()) {
            return journal->path;
        }
        if (!contents->folder.empty()) {
            SetCurrentDirectoryA(contents->folder.c_str());
        }
        SystemDisk disk(INVALID_HANDLE_VALUE);
        const bool unrecorded = UnrecordedMove(*contents, disk).has_value();
        SetCurrentDirectoryA(here.c_str());
        if (unrecorded) {
            return journal->path;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string ReadAll(HANDLE file) {
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0 && read != 0) {
        text.append(buffer, read);
    }
    return text;
}

std::string JournalFolder() {
    char base[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base, sizeof base);
    if (length == 0 || length >= sizeof base) {
        throw JournalError{"LOCALAPPDATA is not set; give the journal's path with --journal"};
    }
    std::string folder = base;
    for (const char* part : {"\\namemask", "\\journals"}) {
        folder += part;
        // An existing folder is what we want; any other failure shows when the journal is
        // created in it.
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

JournalWriter::JournalWriter(const std::optional<std::string>& path,
                             std::span<const PlanMove> moves) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string folder = currentFolder();
    checkRecordable(folder);
    std::string text = std::string(kJournalHeader) + "\nfolder\t" + folder + "\ncodepage\t" +
                       std::to_string(GetACP()) + "\nwhen\t" + whenText(now) + "\n";
    for (std::size_t k = 0; k < moves.size(); ++k) {
        checkRecordable(moves[k].from);
        checkRecordable(moves[k].to);
        text += PlanRecord(k, moves[k].from, moves[k].to);
    }

    std::string name = path.value_or(defaultName(now, 1));
    file_ = createNew(name);
    for (int attempt = 2; !file_ && !path && GetLastError() == ERROR_FILE_EXISTS && attempt < 100;
         ++attempt) {
        name = defaultName(now, attempt);
        file_ = createNew(name);
    }
    const DWORD error = GetLastError();
    path_ = FullPath(name);
    if (!file_) {
        throw JournalError{"cannot create the journal " + ansiToUtf8(path_) + ": " +
                           SystemMessage(error)};
    }
    if (!writeAll(file_.get(), text) || FlushFileBuffers(file_.get()) == 0) {
        throw JournalError{"cannot write the journal " + ansiToUtf8(path_) + ": " +
                           SystemMessage(GetLastError())};
    }
}

JournalWriter::~JournalWriter() {
    // The batch is over: its records go to the disk now. A failure leaves them with the
    // system, which is no worse than the moves themselves.
    FlushFileBuffers(file_.get());
}

bool JournalWriter::RecordDone(std::size_t k) {
    return writeAll(file_.get(), DoneRecord(k));
}

int UndoJournal(const std::optional<std::string>& given, bool tsv) {
    std::string path;
    try {
        const std::optional<std::string> latest = given ? given : latestToUndo();
        if (!latest) {
            // As with a journal given that is all undone: nothing to do is no failure.
            std::fprintf(stderr, "renhost: no kept journal in %s has moves to undo\n",
                         ansiToUtf8(JournalFolder()).c_str());
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
                     SystemMessage(GetLastError()).c_str());
        return 1;
    }
    std::fprintf(stderr, "renhost: journal %s\n", ansiToUtf8(path).c_str());
    const std::string text = ReadAll(file.get());
    JournalContents contents;
    try {
        contents = ParseJournal(text);
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
    const UndoOutcome outcome = UndoMoves(contents, disk);
    if (outcome.inferred) {
        std::fprintf(stderr, "renhost: move %zu was made but not recorded; it is undone too\n",
                     *outcome.inferred + 1);
    }
    for (const UndoStep& step : outcome.steps) {
        const JournalMove& move = contents.moves[step.k];
        if (step.result == UndoResult::Failed) {
            Report({Status::MoveFailed, move.to,
                    "cannot move back to " + ansiToUtf8(move.from) + ": " +
                        SystemMessage(disk.lastError),
                    move.from},
                   move.to, tsv);
            all = false;
        } else {
            Report({Status::Undone, move.from, "", ""}, move.to, tsv);
        }
    }
    if (outcome.steps.empty()) {
        std::fprintf(stderr, "renhost: nothing to undo in %s\n", ansiToUtf8(path).c_str());
    }
    return all ? 0 : 1;
}

int ListJournals() {
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
        const std::size_t done = contents->Done();
        const std::size_t undone = contents->Undone();
        const char* state = done == 0        ? "nothing moved"
                            : undone == 0    ? "not undone"
                            : undone == done ? "undone"
                                             : "partly undone";
        std::printf("%s\t%zu moves\t%s\t%s\t%s\n",
                    contents->when.empty() ? "?" : contents->when.c_str(), done, state,
                    ansiToUtf8(contents->folder).c_str(), ansiToUtf8(journal.path).c_str());
    }
    if (journals.empty()) {
        std::fprintf(stderr, "renhost: no journals in %s\n", ansiToUtf8(JournalFolder()).c_str());
    }
    return 0;
}

}  // namespace nm
