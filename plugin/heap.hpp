#pragma once

// The plug-in's private heap (PluginState::heap): records and texts handed to the host come
// from it, so unloading the DLL releases them all, whether or not the host gave them back.

#include <cstddef>

namespace nm {

bool createPluginHeap() noexcept;   // at load
void destroyPluginHeap() noexcept;  // at unload

// nullptr when the heap is missing or exhausted.
void* heapAllocate(std::size_t size) noexcept;
void heapFree(void* block) noexcept;

}  // namespace nm
