#include "host/journal_writer.hpp"

#include <cstdio>

#include "engine/win32/text_codec.hpp"
#include "host/full_path.hpp"
#include "host/system_message.hpp"

namespace nm {
namespace {

void checkRecordable(const std::string& path) {
    if (!isRecordable(path)) {
        throw JournalError{"the path \"" + ansiToUtf8(path) + "\" cannot be journalled"};
    }
}

// renhost-YYYYMMDD-HHMMSS.journal in the journals' folder, local time; "-2", "-3", ...
// before the extension for a second batch in the same second.
std::string defaultName(const SYSTEMTIME& now, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04u%02u%02u-%02u%02u%02u", kJournalPrefix, now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string path = journalFolder() + "\\" + name;
    if (attempt > 1) {
        path += "-" + std::to_string(attempt);
    }
    return path + kJournalExtension;
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

}  // namespace

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

std::string journalFolder() {
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
    std::string text = journalHead(folder, GetACP(), whenText(now));
    for (std::size_t k = 0; k < moves.size(); ++k) {
        checkRecordable(moves[k].from);
        checkRecordable(moves[k].to);
        text += planRecord(k, moves[k].from, moves[k].to);
    }

    std::string name = path.value_or(defaultName(now, 1));
    file_ = createNew(name);
    for (int attempt = 2; !file_ && !path && GetLastError() == ERROR_FILE_EXISTS && attempt < 100;
         ++attempt) {
        name = defaultName(now, attempt);
        file_ = createNew(name);
    }
    const DWORD error = GetLastError();
    path_ = fullPath(name);
    if (!file_) {
        throw JournalError{"cannot create the journal " + ansiToUtf8(path_) + ": " +
                           systemMessage(error)};
    }
    if (!writeAll(file_.get(), text) || FlushFileBuffers(file_.get()) == 0) {
        throw JournalError{"cannot write the journal " + ansiToUtf8(path_) + ": " +
                           systemMessage(GetLastError())};
    }
}

JournalWriter::~JournalWriter() {
    // The batch is over: its records go to the disk now. A failure leaves them with the
    // system, which is no worse than the moves themselves.
    FlushFileBuffers(file_.get());
}

bool JournalWriter::recordDone(std::size_t k) {
    return writeAll(file_.get(), doneRecord(k));
}

}  // namespace nm
