#include "tests/kit/os_double.h"

#include <cstring>

namespace {

OsDouble* active = nullptr;             // the table's plain functions reach the double here
const PVOsFile kSource = 1, kSink = 2;  // the in-memory files' handles

const PVOsMethods& Platform() { return *PVOsPlatform(); }
bool InMemory() { return active->size >= 0; }

PVOsFile Open(const char* path, int mode) {
  if (mode != kPVOsOpenRead && active->refuseCreate) return kPVOsNoFile;
  PVOsFile file = !InMemory() ? Platform().open(path, mode) : mode == kPVOsOpenRead ? kSource : kSink;
  if (file == kSource && InMemory()) active->readPos = 0;
  if (file != kPVOsNoFile) ++active->openFiles;
  return file;
}

int Read(PVOsFile file, void* dst, uint32_t count, uint32_t* done) {
  OsDouble& os = *active;
  ++os.reads;
  if (!InMemory()) return Platform().read(file, dst, count, done);
  int64_t left = file == kSource && os.readPos < os.size ? os.size - os.readPos : 0;
  *done = left < count ? static_cast<uint32_t>(left) : count;
  if (*done) std::memcpy(dst, os.data + os.readPos, *done);
  os.readPos += *done;
  return file == kSource;
}

int Store(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
  OsDouble& os = *active;
  if (!InMemory()) return Platform().write(file, src, count, done);
  os.written.append(static_cast<const char*>(src), count);
  *done = count;
  return file == kSink;
}

int Write(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
  OsDouble& os = *active;
  if (os.writesBeforeFull != 0 || os.fullWrites == 0) {
    if (os.writesBeforeFull > 0) --os.writesBeforeFull;
    return Store(file, src, count, done);
  }
  if (os.fullWrites > 0) --os.fullWrites;
  *done = 0;
  return os.shortWrites ? Store(file, src, count / 2, done) : 0;
}

int64_t Seek(PVOsFile file, int64_t offset, int origin) {
  OsDouble& os = *active;
  if (!InMemory()) return Platform().seek(file, offset, origin);
  if (file == kSink) return static_cast<int64_t>(os.written.size());
  int64_t pos = offset + (origin == kPVOsSeekSet ? 0 : origin == kPVOsSeekCur ? os.readPos : os.size);
  return pos < 0 ? -1 : os.readPos = pos;
}

int64_t Size(PVOsFile file) {
  if (!InMemory()) return Platform().size(file);
  return file == kSource ? active->size : static_cast<int64_t>(active->written.size());
}

int Close(PVOsFile file) {
  --active->openFiles;
  active->trace += "close ";
  return InMemory() ? 1 : Platform().close(file);
}

int Replace(const char* from, const char* to) {
  active->trace += "replace ";
  if (active->refuseReplace) return 0;
  return InMemory() ? 1 : Platform().replace(from, to);
}

// The calls that finish a target, traced, then passed to the platform.
int SyncFile(PVOsFile file) {
  active->trace += "sync ";
  return active->refuseSync ? 0 : Platform().syncFile(file);
}

int SyncDirectory(const char* path) {
  active->trace += "sync-folder ";
  return Platform().syncDirectory(path);
}

int KeepAttributes(PVOsFile file, const char* like) {
  active->trace += "keep ";
  return Platform().keepAttributes(file, like);
}

void* AllocBlock(uint32_t size) {
  active->lastBlockSize = size;
  void* block = size > active->largestBlock ? nullptr : Platform().allocBlock(size);
  active->liveBlocks += block != nullptr;
  return block;
}

int FreeBlock(void* block) {
  active->liveBlocks -= block != nullptr;
  return Platform().freeBlock(block);
}

void DebugOutput(const char* text) { active->debug += text; }

// The platform's table with the double's own calls in place; every other
// call goes to the platform unchanged.
const PVOsMethods* Table() {
  static PVOsMethods table = *PVOsPlatform();
  table.open = Open, table.read = Read, table.write = Write, table.seek = Seek, table.size = Size;
  table.close = Close, table.replace = Replace;
  table.syncFile = SyncFile, table.syncDirectory = SyncDirectory, table.keepAttributes = KeepAttributes;
  table.allocBlock = AllocBlock, table.freeBlock = FreeBlock, table.debugOutput = DebugOutput;
  return &table;
}

}  // namespace

OsDouble::OsDouble() : previous(PVOsSwap(Table())) { active = this; }

OsDouble::~OsDouble() {
  PVOsSwap(previous == PVOsPlatform() ? nullptr : previous);
  active = nullptr;
}

void OsDouble::ServeFromMemory(const uint8_t* bytes, size_t count) {
  data = bytes;
  size = static_cast<int64_t>(count);
}
