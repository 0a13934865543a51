#pragma once

// A batch through the plug-in: previewed, planned and moved by the host (the default), or
// previewed and moved file by file by the plug-in itself (--direct).

#include "host/command_line.hpp"
#include "plugin/exports.h"

namespace nm {

struct Plugin {
    NamemaskGetInfo getInfo = nullptr;
    NamemaskInitialize initialize = nullptr;
    NamemaskNewOpt newOpt = nullptr;
    NamemaskFreeOpt freeOpt = nullptr;
    NamemaskShowOptions showOptions = nullptr;
    NamemaskProcess process = nullptr;
};

// Reports every file; returns the exit code: 0 when every file got its new name, else 1.
int runBatch(const Plugin& plugin, const Arguments& args);

}  // namespace nm
