// renhost: the reference host. Loads namemask.dll the way a host application does and
// drives its exports over a batch of files given on the command line.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/plugin_error.hpp"
#include "plugin/exports.h"

namespace {

constexpr char kUsage[] =
    "usage: renhost [--dll PATH] --info\n"
    "       renhost [--dll PATH] [--name MASK] [--ext MASK] [--start N] [--step N] [--digits N]\n"
    "               [--first-index N] [--time-source PATH] [--preview] [--as-given] [--tsv]\n"
    "               [--options] FILE...\n";

struct Arguments {
    std::string dll = NAMEMASK_DLL_NAME;
    bool info = false;
    std::string nameMask = "[N]";
    std::string extMask = "[E]";
    int32_t start = 1;
    int32_t step = 1;
    int32_t digits = 1;
    int32_t firstIndex = 0;
    std::optional<std::string> timeSource;
    bool preview = false;
    bool asGiven = false;
    bool tsv = false;
    bool options = false;
    std::vector<std::string> files;
};

struct UsageError {
    std::string what;
};

std::string convert(std::string_view text, UINT from, UINT to) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(from, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    const int wideLength = static_cast<int>(wide.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(to, 0, wide.data(), wideLength,
                                                                 nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

// The plug-in's own texts are Windows-1251; paths are in the ANSI code page; the terminal
// reads UTF-8.
std::string fromPlugin(std::string_view text) {
    return convert(text, 1251, CP_UTF8);
}
std::string fromAnsi(std::string_view text) {
    return convert(text, CP_ACP, CP_UTF8);
}

template <std::size_t N>
std::string field(const char (&bytes)[N]) {
    return fromPlugin(std::string_view(bytes, strnlen(bytes, N)));
}

int32_t parseNumber(const std::string& option, const char* text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
        throw UsageError{option + " needs a 32-bit integer, not \"" + text + "\""};
    }
    return static_cast<int32_t>(value);
}

std::string parseMask(const std::string& option, const char* text) {
    std::string mask = text;
    if (mask.size() > sizeof(RenameOptions::NameMask)) {
        throw UsageError{option + " is longer than 100 bytes"};
    }
    return mask;
}

Arguments parse(int argc, char** argv) {
    Arguments args;
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            args.files.push_back(arg);
            continue;
        }
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                throw UsageError{arg + " needs a value"};
            }
            return argv[++i];
        };
        if (arg == "--") {
            filesOnly = true;
        } else if (arg == "--info") {
            args.info = true;
        } else if (arg == "--dll") {
            args.dll = value();
        } else if (arg == "--name") {
            args.nameMask = parseMask(arg, value());
        } else if (arg == "--ext") {
            args.extMask = parseMask(arg, value());
        } else if (arg == "--start") {
            args.start = parseNumber(arg, value());
        } else if (arg == "--step") {
            args.step = parseNumber(arg, value());
        } else if (arg == "--digits") {
            args.digits = parseNumber(arg, value());
        } else if (arg == "--first-index") {
            args.firstIndex = parseNumber(arg, value());
        } else if (arg == "--time-source") {
            args.timeSource = value();
        } else if (arg == "--preview") {
            args.preview = true;
        } else if (arg == "--as-given") {
            args.asGiven = true;
        } else if (arg == "--tsv") {
            args.tsv = true;
        } else if (arg == "--options") {
            args.options = true;
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
    if (!args.info && args.files.empty()) {
        throw UsageError{"no FILE given"};
    }
    return args;
}

struct Plugin {
    NamemaskGetInfo getInfo = nullptr;
    NamemaskInitialize initialize = nullptr;
    NamemaskNewOpt newOpt = nullptr;
    NamemaskFreeOpt freeOpt = nullptr;
    NamemaskShowOptions showOptions = nullptr;
    NamemaskProcess process = nullptr;
};

template <typename Fn>
void bind(HMODULE dll, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    if (fn == nullptr) {
        std::fprintf(stderr, "renhost: the DLL has no %s export\n", name);
        std::exit(1);
    }
}

void printInfo(const Plugin& plugin) {
    PluginInfo info{};
    plugin.getInfo(&info);
    std::printf("Version:     %s\n", field(info.Version).c_str());
    std::printf("Title:       %s\n", field(info.Title).c_str());
    std::printf("Author:      %s\n", field(info.Author).c_str());
    std::printf("Caption:     %s\n", field(info.Caption).c_str());
    std::printf("FileFilter:  %s\n", field(info.FileFilter).c_str());
    std::printf("HostFlag:    %u\n", static_cast<unsigned>(info.HostFlag));
    std::printf("OptionsSize: %ld\n", static_cast<long>(info.OptionsSize));
}

// A mask of exactly 100 bytes fills its field and has no NUL.
void putMask(char (&field)[100], const std::string& mask) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, mask.data(), mask.size());
}

std::string fullPath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::string full(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    full.resize(length);
    return full;
}

// The host's main window: owner of the options window, disabled while it is open.
HWND createHostWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RenhostMainWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA("RenhostMainWindow", "renhost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 400, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

enum class Status { Preview, Renamed, Unchanged, MoveFailed, Error };

// The words of the TSV output.
const char* statusWord(Status status) {
    switch (status) {
        case Status::Preview:
            return "preview";
        case Status::Renamed:
            return "renamed";
        case Status::Unchanged:
            return "unchanged";
        case Status::MoveFailed:
            return "move-failed";
        case Status::Error:
            break;
    }
    return "error";
}

struct Outcome {
    Status status;
    std::string handedBack;  // the new path, or the given one when there is none
    std::string detail;      // the error message, or the name a failed move wanted

    bool gotNewName() const { return status == Status::Preview || status == Status::Renamed; }
};

Outcome renameOne(const Plugin& plugin, RenameOptions** record, const std::string& path,
                  const std::string& timeSource, int32_t index, bool previewOnly) {
    const char* preview = path.c_str();
    if (auto error = nm::catchPluginError(
            [&] { plugin.process(&preview, timeSource.c_str(), index, 0, record, 1); })) {
        return {Status::Error, path, *error};
    }
    if (preview == path.c_str()) {
        return {Status::Unchanged, path, ""};
    }
    const std::string newPath = preview;
    if (previewOnly) {
        return {Status::Preview, newPath, ""};
    }
    const char* moved = path.c_str();
    if (auto error = nm::catchPluginError(
            [&] { plugin.process(&moved, timeSource.c_str(), index, 0, record, 0); })) {
        return {Status::Error, path, *error};
    }
    if (moved == path.c_str()) {
        return {Status::MoveFailed, path, newPath};
    }
    return {Status::Renamed, moved, ""};
}

void report(const Outcome& outcome, const std::string& given, bool tsv) {
    const std::string from = fromAnsi(given);
    const std::string to = fromAnsi(outcome.handedBack);
    if (tsv) {
        const std::string message = outcome.status == Status::Error ? outcome.detail : "";
        std::printf("%s\t%s\t%s\t%s\n", statusWord(outcome.status), from.c_str(), to.c_str(),
                    message.c_str());
        return;
    }
    switch (outcome.status) {
        case Status::Preview:
        case Status::Renamed:
            std::printf("%s -> %s\n", from.c_str(), to.c_str());
            break;
        case Status::Unchanged:
            std::printf("%s: unchanged (the masks cannot be expanded for it)\n", from.c_str());
            break;
        case Status::MoveFailed:
            std::printf("%s: not renamed (%s exists already or cannot be reached)\n", from.c_str(),
                        fromAnsi(outcome.detail).c_str());
            break;
        case Status::Error:
            std::printf("%s: error: %s\n", from.c_str(), outcome.detail.c_str());
            break;
    }
}

int runBatch(const Plugin& plugin, const Arguments& args) {
    RenameOptions* record = nullptr;
    if (plugin.newOpt(&record) == nullptr) {
        std::fputs("renhost: the plug-in could not allocate a record\n", stderr);
        return 1;
    }
    putMask(record->NameMask, args.nameMask);
    putMask(record->ExtMask, args.extMask);
    record->CounterStart = args.start;
    record->CounterStep = args.step;
    record->CounterDigits = args.digits;

    if (args.options) {
        HWND host = createHostWindow();
        plugin.initialize(host);
        const char* description = nullptr;
        const int32_t confirmed = plugin.showOptions(0, &record, &description);
        DestroyWindow(host);
        if (confirmed == 0) {
            std::fputs("renhost: options cancelled; nothing renamed\n", stderr);
            plugin.freeOpt(record);
            return 1;
        }
        if (!args.tsv && description != nullptr) {
            std::printf("%s\n", fromPlugin(description).c_str());
        }
    }

    bool all = true;
    for (std::size_t k = 0; k < args.files.size(); ++k) {
        const std::string& given = args.files[k];
        const std::string path = args.asGiven ? given : fullPath(given);
        const std::string timeSource =
            args.timeSource ? (args.asGiven ? *args.timeSource : fullPath(*args.timeSource)) : path;
        const auto index =
            static_cast<int32_t>(static_cast<uint32_t>(args.firstIndex) + static_cast<uint32_t>(k));
        const Outcome outcome = renameOne(plugin, &record, path, timeSource, index, args.preview);
        report(outcome, path, args.tsv);
        all = all && outcome.gotNewName();
    }
    plugin.freeOpt(record);
    return all ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, for the shell scripts that read the output.
    _setmode(_fileno(stdout), _O_BINARY);
    Arguments args;
    try {
        args = parse(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "renhost: %s\n%s", error.what.c_str(), kUsage);
        return 2;
    }
    HMODULE dll = LoadLibraryA(args.dll.c_str());
    if (dll == nullptr) {
        std::fprintf(stderr, "renhost: cannot load %s (error %lu)\n", args.dll.c_str(),
                     GetLastError());
        return 1;
    }
    Plugin plugin;
    bind(dll, "getInfo", plugin.getInfo);
    bind(dll, "initialize", plugin.initialize);
    bind(dll, "newOpt", plugin.newOpt);
    bind(dll, "freeOpt", plugin.freeOpt);
    bind(dll, "showOptions", plugin.showOptions);
    bind(dll, "process", plugin.process);

    int status = 0;
    if (args.info) {
        printInfo(plugin);
    }
    if (!args.files.empty()) {
        status = runBatch(plugin, args);
    }
    std::fflush(stdout);
    FreeLibrary(dll);
    return status;
}
