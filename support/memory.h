// Large working buffers: zero-filled, sized up to a multiple of 8, failures
// reported on the debugger channel while the caller sees only a null pointer.
#pragma once

#include <cstdint>

// Returns a zero-filled block of (size + 7) & ~7 bytes, or null.
void* PVMemoryAlloc(int32_t size, const char* module, int32_t line);
// Releases a block from PVMemoryAlloc; a null block is ignored.
void PVMemoryFree(void* block, const char* module, int32_t line);
