#include "plugin/heap.hpp"

#include <windows.h>

#include "plugin/state.hpp"

namespace nm {

bool createPluginHeap() noexcept {
    Heap& heap = pluginState().heap;
    heap.reset(HeapCreate(0, 0, 0));
    return static_cast<bool>(heap);
}

void destroyPluginHeap() noexcept {
    pluginState().heap.reset();
}

void* heapAllocate(std::size_t size) noexcept {
    const Heap& heap = pluginState().heap;
    return heap ? HeapAlloc(heap.get(), 0, size) : nullptr;
}

void heapFree(void* block) noexcept {
    const Heap& heap = pluginState().heap;
    if (heap && block != nullptr) {
        HeapFree(heap.get(), 0, block);
    }
}

}  // namespace nm
