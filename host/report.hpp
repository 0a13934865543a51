#pragma once

// What renhost says about each file: one line of text, or one TSV row, on stdout.

#include <windows.h>

#include <string>
#include <string_view>

namespace nm {

// The plug-in's own texts are Windows-1251; paths are in the ANSI code page; the terminal
// reads UTF-8.
std::string FromPlugin(std::string_view text);
std::string FromAnsi(std::string_view text);

// The system's text for an error code, in UTF-8, with the code: "... (error 183)".
std::string SystemMessage(DWORD error);

// The full path GetFullPathNameA makes of path; path itself when it cannot.
std::string FullPath(const std::string& path);

enum class Status { Preview, Renamed, Unchanged, MoveFailed, Error, Undone };

struct Outcome {
    Status status;
    // ANSI: the new path (preview, renamed, undone: the path restored), otherwise where the
    // file is.
    std::string handedBack;
    // UTF-8: the plug-in's error, or why a move failed; for direct moves that failed, empty.
    std::string message;
    // ANSI: the new path a direct move wanted.
    std::string wanted;

    bool gotNewName() const {
        return status == Status::Preview || status == Status::Renamed || status == Status::Undone;
    }
};

// given is the file's path (ANSI) as handed to the plug-in.
void Report(const Outcome& outcome, const std::string& given, bool tsv);

}  // namespace nm
