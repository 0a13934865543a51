// renhost: the reference host. Loads namemask.dll the way a host application does and
// drives its exports over a batch of files given on the command line; undoes a batch
// from its journal.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/win32/handles.hpp"
#include "engine/win32/text_codec.hpp"
#include "host/batch.hpp"
#include "host/command_line.hpp"
#include "host/file_list.hpp"
#include "host/journal_commands.hpp"
#include "plugin/exports.h"

namespace {

template <std::size_t N>
std::string field(const char (&bytes)[N]) {
    return nm::ansiToUtf8(std::string_view(bytes, strnlen(bytes, N)), nm::kPluginTextCodePage);
}

template <typename Fn>
void bind(HMODULE dll, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    if (fn == nullptr) {
        std::fprintf(stderr, "renhost: the DLL has no %s export\n", name);
        std::exit(1);
    }
}

// The plug-in's options window then takes the screen's DPI, and a new one when it is
// moved to another screen, instead of being stretched blurry by the system. Windows 10
// 1703 and later have per-monitor awareness; older systems get the system's DPI.
void becomeDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (setContext == nullptr || setContext(perMonitorV2) == FALSE) {
        SetProcessDPIAware();
    }
}

void printInfo(const nm::Plugin& plugin) {
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

// What renhost writes is UTF-8; a console shows it so whatever its own code page. The
// console's code page outlives the program, so it is given back at the end. Pipes and files
// take the bytes as they are.
class ConsoleInUtf8 {
  public:
    ConsoleInUtf8() {
        if (_isatty(_fileno(stdout)) != 0 || _isatty(_fileno(stderr)) != 0) {
            before_ = GetConsoleOutputCP();
            SetConsoleOutputCP(CP_UTF8);
        }
    }
    ConsoleInUtf8(const ConsoleInUtf8&) = delete;
    ConsoleInUtf8& operator=(const ConsoleInUtf8&) = delete;
    ~ConsoleInUtf8() {
        if (before_ != 0) {
            SetConsoleOutputCP(before_);
        }
    }

  private:
    UINT before_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, for the shell scripts that read the output.
    _setmode(_fileno(stdout), _O_BINARY);
    const ConsoleInUtf8 console;
    becomeDpiAware();
    nm::Arguments args;
    try {
        args = nm::parseArguments(argc, argv);
        if (!args.undo && !args.listJournals) {
            args.files = nm::gatherFiles(args);
        }
    } catch (const nm::UsageError& error) {
        std::fprintf(stderr, "renhost: %s\n%s", error.what.c_str(), nm::kUsage);
        return 2;
    }
    if (args.undo || args.listJournals) {
        const int status =
            args.undo ? nm::undoJournal(args.undoJournal, args.tsv) : nm::listJournals();
        std::fflush(stdout);
        return status;
    }
    const nm::Module library(LoadLibraryA(args.dll.c_str()));  // unloaded last, at the end of main
    const HMODULE dll = library.get();
    if (dll == nullptr) {
        std::fprintf(stderr, "renhost: cannot load %s (error %lu)\n",
                     nm::ansiToUtf8(args.dll).c_str(), GetLastError());
        return 1;
    }
    nm::Plugin plugin;
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
        status = nm::runBatch(plugin, args);
    }
    std::fflush(stdout);
    return status;
}
