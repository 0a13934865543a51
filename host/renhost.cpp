// renhost: the reference host. Loads namemask.dll the way a host application does and
// drives its exports.
//
//   renhost [--dll PATH] --info      print the plug-in's descriptor

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "plugin/exports.h"

namespace {

// Texts of the plug-in are Windows-1251; the terminal reads UTF-8.
std::string utf8From1251(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(1251, 0, text.data(), length, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(1251, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    const int wideLength = static_cast<int>(wide.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(
                        CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(),
                        static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

template <std::size_t N>
std::string field(const char (&bytes)[N]) {
    return utf8From1251(std::string_view(bytes, strnlen(bytes, N)));
}

int usage() {
    std::fputs("usage: renhost [--dll PATH] --info\n", stderr);
    return 2;
}

int printInfo(HMODULE dll) {
    auto getInfo =
        reinterpret_cast<NamemaskGetInfo>(reinterpret_cast<void*>(GetProcAddress(dll, "getInfo")));
    if (getInfo == nullptr) {
        std::fputs("renhost: the DLL has no getInfo export\n", stderr);
        return 1;
    }
    PluginInfo info{};
    getInfo(&info);
    std::printf("Version:     %s\n", field(info.Version).c_str());
    std::printf("Title:       %s\n", field(info.Title).c_str());
    std::printf("Author:      %s\n", field(info.Author).c_str());
    std::printf("Caption:     %s\n", field(info.Caption).c_str());
    std::printf("FileFilter:  %s\n", field(info.FileFilter).c_str());
    std::printf("HostFlag:    %u\n", static_cast<unsigned>(info.HostFlag));
    std::printf("OptionsSize: %ld\n", static_cast<long>(info.OptionsSize));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dllPath = "namemask.dll";
    bool info = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--info") {
            info = true;
        } else if (arg == "--dll" && i + 1 < argc) {
            dllPath = argv[++i];
        } else {
            return usage();
        }
    }
    if (!info) {
        return usage();
    }
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    if (dll == nullptr) {
        std::fprintf(stderr, "renhost: cannot load %s (error %lu)\n", dllPath.c_str(),
                     GetLastError());
        return 1;
    }
    const int status = printInfo(dll);
    FreeLibrary(dll);
    return status;
}
