#include "host/batch.hpp"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/plugin_error.hpp"
#include "host/report.hpp"

namespace nm {
namespace {

// A mask of exactly 100 bytes fills its field and has no NUL.
void putMask(char (&field)[100], const std::string& mask) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, mask.data(), mask.size());
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

struct BatchFile {
    std::string path;  // as handed to the plug-in
    std::string timeSource;
    int32_t index;
};

std::vector<BatchFile> batchFiles(const Arguments& args) {
    std::vector<BatchFile> files;
    files.reserve(args.files.size());
    for (std::size_t k = 0; k < args.files.size(); ++k) {
        const std::string& given = args.files[k];
        std::string path = args.asGiven ? given : FullPath(given);
        std::string timeSource =
            args.timeSource ? (args.asGiven ? *args.timeSource : FullPath(*args.timeSource)) : path;
        const auto index =
            static_cast<int32_t>(static_cast<uint32_t>(args.firstIndex) + static_cast<uint32_t>(k));
        files.push_back({std::move(path), std::move(timeSource), index});
    }
    return files;
}

// The new path through process with the preview flag: Preview with the new path (which
// may be the file's own), Unchanged when the masks give none, or the plug-in's Error.
Outcome previewOne(const Plugin& plugin, RenameOptions** record, const BatchFile& file) {
    const char* preview = file.path.c_str();
    if (auto error = catchPluginError(
            [&] { plugin.process(&preview, file.timeSource.c_str(), file.index, 0, record, 1); })) {
        return {Status::Error, file.path, *error, ""};
    }
    if (preview == file.path.c_str()) {
        return {Status::Unchanged, file.path, "", ""};
    }
    return {Status::Preview, preview, "", ""};
}

// The plug-in's own move: it fails when the new name is taken.
Outcome moveDirectly(const Plugin& plugin, RenameOptions** record, const BatchFile& file) {
    const Outcome preview = previewOne(plugin, record, file);
    if (preview.status != Status::Preview) {
        return preview;
    }
    const char* moved = file.path.c_str();
    if (auto error = catchPluginError(
            [&] { plugin.process(&moved, file.timeSource.c_str(), file.index, 0, record, 0); })) {
        return {Status::Error, file.path, *error, ""};
    }
    if (moved == file.path.c_str()) {
        return {Status::MoveFailed, file.path, "", preview.handedBack};
    }
    return {Status::Renamed, moved, "", ""};
}

int runDirect(const Plugin& plugin, RenameOptions** record, const Arguments& args) {
    bool all = true;
    for (const BatchFile& file : batchFiles(args)) {
        const Outcome outcome =
            args.preview ? previewOne(plugin, record, file) : moveDirectly(plugin, record, file);
        Report(outcome, file.path, args.tsv);
        all = all && outcome.gotNewName();
    }
    return all ? 0 : 1;
}

}  // namespace

int RunBatch(const Plugin& plugin, const Arguments& args) {
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
            std::printf("%s\n", FromPlugin(description).c_str());
        }
    }

    const int status = runDirect(plugin, &record, args);
    plugin.freeOpt(record);
    return status;
}

}  // namespace nm
