#include "support/memory.h"

#include "support/debug.h"
#include "support/os.h"

void* PVMemoryAlloc(int32_t size, const char* /*module*/, int32_t /*line*/) {
  uint32_t rounded = (static_cast<uint32_t>(size) + 7u) & ~7u;
  if (rounded == 0) {
    PVDebugOut("[PVMemoryAlloc]不正なサイズでメモリが要求されました。\n");
    return nullptr;
  }
  void* block = PVOs()->allocBlock(rounded);
  if (!block) PVDebugOut("[PVMemoryAlloc]メモリを確保出来ません。\n");
  return block;
}

void PVMemoryFree(void* block, const char* /*module*/, int32_t /*line*/) {
  if (!block) return;
  if (!PVOs()->freeBlock(block)) PVDebugOut("[PVMemoryFree]メモリを開放出来ません。\n");
}
