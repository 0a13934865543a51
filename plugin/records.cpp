#include "plugin/records.hpp"

#include <cstring>

#include "plugin/heap.hpp"

namespace nm {

void fillDefaults(RenameOptions& record) noexcept {
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.NameMask, "[N]", 3);
    std::memcpy(record.ExtMask, "[E]", 3);
    record.CounterStart = 1;
    record.CounterStep = 1;
    record.CounterDigits = 1;
}

RenameOptions* allocateRecord() noexcept {
    auto* record = static_cast<RenameOptions*>(heapAllocate(sizeof(RenameOptions)));
    if (record != nullptr) {
        fillDefaults(*record);
    }
    return record;
}

}  // namespace nm
