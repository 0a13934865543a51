#include "plugin/process.hpp"

#include <windows.h>

#include <string>

#include "engine/rename.hpp"
#include "engine/win32/date_taken_file.hpp"
#include "engine/win32/file_time.hpp"
#include "namemask/mask_field.hpp"

namespace nm {

const char* processFile(const char** filePath, const char* timeSourcePath, std::int32_t fileIndex,
                        RenameOptions** options, bool previewOnly, const LocaleFormats& formats,
                        std::string& newPath) noexcept {
    if (filePath == nullptr || *filePath == nullptr || options == nullptr || *options == nullptr) {
        return nullptr;  // nothing to rename
    }
    try {
        const RenameOptions& record = **options;
        // The host's text may be our own storage from the last call: it is only read
        // until the new path is complete.
        const char* oldPath = *filePath;

        RenameRequest request;
        request.path = oldPath;
        request.nameMask = fieldText(record.NameMask);
        request.extMask = fieldText(record.ExtMask);
        request.counterStart = record.CounterStart;
        request.counterStep = record.CounterStep;
        request.counterDigits = record.CounterDigits;
        request.fileIndex = fileIndex;

        // The time is read in every call, whatever the masks hold: a missing time is always an
        // error. The date taken comes from the same file, and only for a mask that uses it,
        // read with the time through one open.
        FileDates dates;
        if (timeSourcePath != nullptr) {
            dates = usesDateTaken(request.nameMask, request.extMask, formats.codePage)
                        ? readFileDates(timeSourcePath)
                        : FileDates{ReadFileTime(timeSourcePath), std::nullopt};
        }
        RenameResult result =
            computeNewPath(request, dates.written, formats, [&dates] { return dates.taken; });
        switch (result.status) {
            case RenameStatus::NoFileTime:
                return kNoFileTimeMessage;
            case RenameStatus::MaskFailed:
                return nullptr;
            case RenameStatus::Ok:
                break;
        }
        // MoveFileA never replaces a file. When it fails the host keeps the path it gave,
        // so it sees that this file was not renamed.
        if (!previewOnly && MoveFileA(oldPath, result.newPath.c_str()) == 0) {
            return nullptr;
        }
        newPath.swap(result.newPath);
        *filePath = newPath.c_str();
    } catch (...) {
        // Out of memory: the file and the host's path stay as they were.
    }
    return nullptr;
}

}  // namespace nm
