#include "host/report.hpp"

#include <io.h>

#include <cstdio>

#include "engine/win32/text_codec.hpp"

namespace nm {
namespace {

// The words of the TSV output.
const char* statusWord(Status status) {
    switch (status) {
        case Status::Preview:
            return "preview";
        case Status::Planned:
            return "planned";
        case Status::Conflict:
            return "conflict";
        case Status::Renamed:
            return "renamed";
        case Status::Unchanged:
            return "unchanged";
        case Status::MoveFailed:
            return "move-failed";
        case Status::Undone:
            return "undone";
        case Status::Error:
            break;
    }
    return "error";
}

// Batches shorter than this finish before anyone would look at a counter.
constexpr std::size_t kProgressFrom = 300;

}  // namespace

void report(const Outcome& outcome, const std::string& given, bool tsv) {
    const std::string from = ansiToUtf8(given);
    const std::string to = ansiToUtf8(outcome.handedBack);
    if (tsv) {
        std::printf("%s\t%s\t%s\t%s\n", statusWord(outcome.status), from.c_str(), to.c_str(),
                    outcome.message.c_str());
        return;
    }
    switch (outcome.status) {
        case Status::Preview:
        case Status::Renamed:
        case Status::Undone:
            std::printf("%s -> %s\n", from.c_str(), to.c_str());
            break;
        case Status::Planned:
            std::printf("%s -> %s (planned%s%s)\n", from.c_str(), to.c_str(),
                        outcome.message.empty() ? "" : "; ", outcome.message.c_str());
            break;
        case Status::Conflict:
            std::printf("%s: conflict: %s\n", from.c_str(), outcome.message.c_str());
            break;
        case Status::Unchanged:
            std::printf("%s: unchanged (the masks cannot be expanded for it)\n", from.c_str());
            break;
        case Status::MoveFailed:
            if (outcome.message.empty()) {
                std::printf("%s: not renamed (%s exists already or cannot be reached)\n",
                            from.c_str(), ansiToUtf8(outcome.wanted).c_str());
            } else {
                std::printf("%s: not renamed: %s\n", from.c_str(), outcome.message.c_str());
            }
            break;
        case Status::Error:
            std::printf("%s: error: %s\n", from.c_str(), outcome.message.c_str());
            break;
    }
}

Progress::Progress(const char* what, std::size_t total)
    : what_(what), total_(total), on_(total >= kProgressFrom && _isatty(_fileno(stderr)) != 0) {}

Progress::~Progress() {
    if (on_ && shown_ != 0) {
        std::fputc('\n', stderr);
    }
}

void Progress::step(std::size_t done) {
    // About a hundred updates per batch: enough to see it move, too few to cost anything.
    if (!on_ || (done != total_ && done < shown_ + total_ / 100 + 1)) {
        return;
    }
    shown_ = done;
    std::fprintf(stderr, "\rrenhost: %s %zu/%zu", what_, done, total_);
    std::fflush(stderr);
}

}  // namespace nm
