#include "support/file.h"

#include <cstring>

#include "support/debug.h"
#include "support/memory.h"

CPVFile::CPVFile()
    : kind(-1), handle(kPVOsNoFile), openFlags(0), buffer(nullptr), fileSize(0),
      dataBytes(0), bufferPos(nullptr), bufferedBytes(0), writeFailed(0) {}

CPVFile::~CPVFile() {
  if (handle == kPVOsNoFile) return;
  PVDebugOut("クローズされていないファイルがあります。\n");
  if (!Close()) Discard();
}

int CPVFile::Open(const char* path, uint32_t flags) {
  int mode = kPVOsOpenRead;
  if (flags & kWrite) {
    if (flags & kCreateNew) mode = kPVOsOpenCreateNew;
    else if (flags & kKeep) mode = kPVOsOpenWriteExisting;
    else mode = kPVOsOpenCreate;
  }
  return Adopt(PVOs()->open(path, mode), flags);
}

int CPVFile::OpenStandard(int which, uint32_t flags) {
  return Adopt(PVOs()->openStandard(which), flags & kWrite);
}

int CPVFile::Adopt(PVOsFile opened, uint32_t flags) {
  handle = opened;
  if (handle == kPVOsNoFile) return 0;
  kind = 0;
  buffer = static_cast<uint8_t*>(PVMemoryAlloc(kBufferSize, "PVFile", __LINE__));
  if (!buffer) {
    Release();
    return 0;
  }
  int64_t size = PVOs()->size(handle);
  openFlags = flags;
  fileSize = size < 0 ? 0 : static_cast<uint64_t>(size);
  bool created = (flags & kWrite) && !(flags & kKeep);
  dataBytes = created ? 0 : static_cast<int64_t>(fileSize);
  bufferPos = buffer;
  bufferedBytes = 0;
  writeFailed = 0;
  return 1;
}

int CPVFile::Close() {
  if ((openFlags & kWrite) && !Flush()) return 0;
  Release();
  return 1;
}

void CPVFile::Discard() {
  bufferedBytes = 0;
  Release();
}

int CPVFile::Sync() {
  if (!Flush()) return 0;
  return PVOs()->syncFile(handle);
}

int CPVFile::LoadWhole(uint32_t limit) {
  if (kind != 0 || (openFlags & kWrite)) return -1;
  // What the buffer holds already comes first.
  std::memmove(buffer, bufferPos, bufferedBytes);
  uint32_t capacity = kBufferSize, held = bufferedBytes;
  for (;;) {
    if (held == capacity) {
      if (capacity > limit) return 0;
      uint32_t grown = capacity > limit / 2 ? limit + 1 : capacity * 2;
      uint8_t* bigger = static_cast<uint8_t*>(PVMemoryAlloc(static_cast<int32_t>(grown), "PVFile", __LINE__));
      if (!bigger) return -1;
      std::memcpy(bigger, buffer, held);
      PVMemoryFree(buffer, "PVFile", __LINE__);
      buffer = bigger;
      capacity = grown;
    }
    uint32_t done = 0;
    if (!PVOs()->read(handle, buffer + held, capacity - held, &done)) return -1;
    if (done == 0) break;
    held += done;
  }
  kind = 1;
  fileSize = held;
  dataBytes = held;
  bufferPos = buffer;
  bufferedBytes = held;
  return 1;
}

void CPVFile::Release() {
  if (kind >= 0) {
    PVMemoryFree(buffer, "PVFile", __LINE__);
    buffer = nullptr;
    if (handle != kPVOsNoFile) {
      PVOs()->close(handle);
      handle = kPVOsNoFile;
    }
  }
  openFlags = 0;
  fileSize = 0;
  dataBytes = 0;
  bufferPos = nullptr;
  bufferedBytes = 0;
  kind = -1;
}

int64_t CPVFile::Tell() {
  if (handle == kPVOsNoFile) return 0;
  if (kind == 1) return bufferPos - buffer;
  int64_t pos = PVOs()->seek(handle, 0, kPVOsSeekCur);
  if (pos < 0) return 0;
  if (openFlags & kWrite) return pos + bufferedBytes;
  return pos - bufferedBytes;
}

// A stream held in memory moves within the buffer; a position past its end
// stands at the end, where every read fails.
int CPVFile::SeekMemory(int64_t offset, int origin) {
  if (origin < kPVOsSeekSet || origin > kPVOsSeekEnd) return 1;
  int64_t base = origin == kPVOsSeekSet   ? 0
                 : origin == kPVOsSeekCur ? bufferPos - buffer
                                          : static_cast<int64_t>(fileSize);
  int64_t target = base + offset;
  if (target < 0) return 0;
  if (target > static_cast<int64_t>(fileSize)) target = static_cast<int64_t>(fileSize);
  bufferPos = buffer + target;
  bufferedBytes = static_cast<uint32_t>(fileSize - target);
  return 1;
}

int CPVFile::SeekFile(int64_t offset, int origin) {
  if (handle == kPVOsNoFile) return 0;
  if (kind == 1) return SeekMemory(offset, origin);
  bool writing = (openFlags & kWrite) != 0;
  if (writing && !Flush()) return 0;
  int64_t result = -1;
  switch (origin) {
    case kPVOsSeekSet: result = PVOs()->seek(handle, offset, kPVOsSeekSet); break;
    case kPVOsSeekEnd: result = PVOs()->seek(handle, offset, kPVOsSeekEnd); break;
    case kPVOsSeekCur:
      result = PVOs()->seek(handle, offset - (writing ? 0 : bufferedBytes), kPVOsSeekCur);
      break;
    default: result = 0; break;
  }
  if (!writing) {
    bufferedBytes = 0;
    bufferPos = buffer;
  }
  return result >= 0 ? 1 : 0;
}

int CPVFile::Read(void* dst, uint32_t count) {
  uint8_t* out = static_cast<uint8_t*>(dst);
  while (count > 0) {
    if (bufferedBytes == 0 && !Refill()) return 0;
    uint32_t n = count < bufferedBytes ? count : bufferedBytes;
    std::memcpy(out, bufferPos, n);
    out += n;
    bufferPos += n;
    bufferedBytes -= n;
    dataBytes -= n;
    count -= n;
  }
  return 1;
}

uint32_t CPVFile::ReadWord(int bigEndian) {
  uint8_t b[2];
  if (!Read(b, 2)) return 0;
  return bigEndian ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0];
}

uint32_t CPVFile::ReadDword(int bigEndian) {
  uint8_t b[4];
  if (!Read(b, 4)) return 0;
  if (bigEndian)
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
}

int CPVFile::WriteBlocks(const uint8_t* in, uint32_t count) {
  if (handle == kPVOsNoFile || !(openFlags & kWrite)) return 0;
  while (count > 0) {
    if (bufferedBytes >= kBufferSize && !Flush()) return 0;
    uint32_t room = kBufferSize - bufferedBytes;
    uint32_t n = count < room ? count : room;
    std::memcpy(bufferPos, in, n);
    in += n;
    bufferPos += n;
    bufferedBytes += n;
    dataBytes += n;
    count -= n;
  }
  return 1;
}

int CPVFile::Flush() {
  if (handle == kPVOsNoFile) return 0;
  if (bufferedBytes > 0) {
    uint32_t done = 0;
    if (!PVOs()->write(handle, buffer, bufferedBytes, &done) || done < bufferedBytes) {
      writeFailed = 1;
      return 0;
    }
  }
  bufferedBytes = 0;
  bufferPos = buffer;
  return 1;
}

int CPVFile::Refill() {
  if (kind != 0 || !buffer) return 0;
  uint32_t done = 0;
  PVOs()->read(handle, buffer, kBufferSize, &done);
  bufferedBytes = done;
  if (done == 0) return 0;
  bufferPos = buffer;
  return 1;
}
