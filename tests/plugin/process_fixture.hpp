#pragma once

// A temporary folder of real files, and process called the way a host calls it.

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "host/plugin_error.hpp"
#include "namemask/plugin.h"

namespace nm::test {

struct ProcessCall {
    std::optional<std::string> error;  // the plug-in's message when it raised
    bool changed = false;              // the path variable points elsewhere afterwards
    std::string path;                  // what the path variable points to afterwards
};

class PluginFiles {
  public:
    PluginFiles() {
        module_ = LoadLibraryA(NAMEMASK_DLL_NAME);
        process_ = reinterpret_cast<NamemaskProcess>(
            reinterpret_cast<void*>(GetProcAddress(module_, "process")));
        auto newOpt = reinterpret_cast<NamemaskNewOpt>(
            reinterpret_cast<void*>(GetProcAddress(module_, "newOpt")));
        freeOpt_ = reinterpret_cast<NamemaskFreeOpt>(
            reinterpret_cast<void*>(GetProcAddress(module_, "freeOpt")));
        newOpt(&record_);

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folderName_ =
            "nm" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
        folder_ = std::string(temp) + folderName_ + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    ~PluginFiles() {
        removeTree(folder_);
        freeOpt_(record_);
        FreeLibrary(module_);
    }
    PluginFiles(const PluginFiles&) = delete;
    PluginFiles& operator=(const PluginFiles&) = delete;

    bool loaded() const { return module_ != nullptr && process_ != nullptr && record_ != nullptr; }
    const std::string& folder() const { return folder_; }
    // The folder's own name: what [P] gives for its files.
    const std::string& folderName() const { return folderName_; }
    RenameOptions& record() { return *record_; }

    void setMasks(const char* name, const char* ext, int32_t start = 1, int32_t step = 1,
                  int32_t digits = 1) {
        std::memset(record_->NameMask, 0, sizeof record_->NameMask);
        std::memset(record_->ExtMask, 0, sizeof record_->ExtMask);
        std::memcpy(record_->NameMask, name, std::strlen(name));
        std::memcpy(record_->ExtMask, ext, std::strlen(ext));
        record_->CounterStart = start;
        record_->CounterStep = step;
        record_->CounterDigits = digits;
    }

    // Makes a file with the given content and local last-write time.
    std::string file(const std::string& name, const std::string& content = "data", WORD year = 2026,
                     WORD month = 12, WORD day = 7, WORD hour = 9, WORD minute = 5,
                     WORD second = 36) const {
        const std::string path = folder_ + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
        FILETIME localTime, utc;
        SystemTimeToFileTime(&local, &localTime);
        LocalFileTimeToFileTime(&localTime, &utc);
        SetFileTime(h, nullptr, nullptr, &utc);
        CloseHandle(h);
        return path;
    }

    static std::optional<std::string> content(const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        char buffer[256];
        DWORD read = 0;
        ReadFile(h, buffer, sizeof buffer, &read, nullptr);
        CloseHandle(h);
        return std::string(buffer, read);
    }

    ProcessCall call(const std::string& path, const std::string& timeSource, int32_t index,
                     bool preview) {
        const char* variable = path.c_str();
        RenameOptions* record = record_;
        ProcessCall result;
        result.error = catchPluginError(
            [&] { process_(&variable, timeSource.c_str(), index, 0, &record, preview ? 1 : 0); });
        result.changed = variable != path.c_str();
        result.path = variable;
        return result;
    }
    ProcessCall call(const std::string& path, bool preview) { return call(path, path, 0, preview); }

  private:
    static void removeTree(const std::string& folder) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name == "." || name == "..") {
                    continue;
                }
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(folder + name + "\\");
                } else {
                    DeleteFileA((folder + name).c_str());
                }
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    HMODULE module_ = nullptr;
    NamemaskProcess process_ = nullptr;
    NamemaskFreeOpt freeOpt_ = nullptr;
    RenameOptions* record_ = nullptr;
    std::string folderName_;
    std::string folder_;
};

}  // namespace nm::test
