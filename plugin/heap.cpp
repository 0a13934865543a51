#include "plugin/heap.hpp"

#include <windows.h>

#include "engine/win32/handles.hpp"

namespace nm {
namespace {

Heap heap;  // owned from load to unload

}  // namespace

bool createPluginHeap() noexcept {
    heap.reset(HeapCreate(0, 0, 0));
    return static_cast<bool>(heap);
}

void destroyPluginHeap() noexcept {
    heap.reset();
}

void* heapAllocate(std::size_t size) noexcept {
    return heap ? HeapAlloc(heap.get(), 0, size) : nullptr;
}

void heapFree(void* block) noexcept {
    if (heap && block != nullptr) {
        HeapFree(heap.get(), 0, block);
    }
}

}  // namespace nm
