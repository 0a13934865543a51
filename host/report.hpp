#pragma once

// What renhost says about each file: one line of text, or one TSV row, on stdout; the
// progress of a long batch on stderr.

#include <cstddef>
#include <string>

namespace nm {

enum class Status { Preview, Planned, Conflict, Renamed, Unchanged, MoveFailed, Error, Undone };

struct Outcome {
    Status status;
    // ANSI: the new path (preview, planned, conflict: the one wanted, renamed, undone: the
    // path restored), otherwise where the file is.
    std::string handedBack;
    // UTF-8: the plug-in's error, or why the file did not get its new path; for direct moves
    // that failed, empty.
    std::string message;
    // ANSI: the new path a direct move wanted.
    std::string wanted;

    bool gotNewName() const {
        return status == Status::Preview || status == Status::Renamed || status == Status::Undone;
    }
};

// given is the file's path (ANSI) as handed to the plug-in.
void report(const Outcome& outcome, const std::string& given, bool tsv);

// "previewed 1200/5000" on stderr, for batches long enough to wait for, and only when
// stderr is a terminal.
class Progress {
  public:
    Progress(const char* what, std::size_t total);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress();

    void step(std::size_t done);

  private:
    const char* what_;
    std::size_t total_;
    std::size_t shown_ = 0;
    bool on_;
};

}  // namespace nm
