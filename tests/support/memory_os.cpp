#include "tests/support/memory_os.h"

#include <cstdlib>

namespace {
const PVOsFile kSource = 1;
const PVOsFile kSink = 2;
MemoryOs* active = nullptr;
}  // namespace

// The table's functions reach the double in force through `active`.
struct MemoryOsMethods {
  static PVOsFile Open(const char* /*path*/, int mode) {
    ++active->openFiles_;
    if (mode == kPVOsOpenRead) {
      active->readPos_ = 0;
      return kSource;
    }
    active->written_ = 0;
    active->kept_.clear();
    return kSink;
  }

  static int Read(PVOsFile file, void* dst, uint32_t count, uint32_t* done) {
    *done = 0;
    if (file != kSource) return 0;
    MemoryOs& os = *active;
    if (os.readPos_ >= os.size_) return 1;
    int64_t left = os.size_ - os.readPos_;
    uint32_t n = left < count ? static_cast<uint32_t>(left) : count;
    const uint8_t* from = os.data_ + os.readPos_;
    for (uint32_t i = 0; i < n; ++i) static_cast<uint8_t*>(dst)[i] = from[i];
    os.readPos_ += n;
    *done = n;
    return 1;
  }

  static int Write(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
    *done = 0;
    if (file != kSink) return 0;
    MemoryOs& os = *active;
    size_t room = os.kept_.size() < os.keepBytes_ ? os.keepBytes_ - os.kept_.size() : 0;
    os.kept_.append(static_cast<const char*>(src), count < room ? count : room);
    os.written_ += count;
    *done = count;
    return 1;
  }

  static int64_t Seek(PVOsFile file, int64_t offset, int origin) {
    MemoryOs& os = *active;
    if (file == kSink) return static_cast<int64_t>(os.written_);
    int64_t base = origin == kPVOsSeekSet ? 0 : origin == kPVOsSeekCur ? os.readPos_ : os.size_;
    int64_t pos = base + offset;
    if (pos < 0) return -1;
    os.readPos_ = pos;
    return pos;
  }

  static int64_t Size(PVOsFile file) {
    return file == kSource ? active->size_ : static_cast<int64_t>(active->written_);
  }

  static int Close(PVOsFile /*file*/) {
    --active->openFiles_;
    return 1;
  }

  static int Remove(const char* /*path*/) { return 1; }
  static int Replace(const char* /*from*/, const char* /*to*/) { return 1; }
  static int SameFile(const char* /*a*/, const char* /*b*/) { return 0; }

  // Refuses what the 32-bit program could not hold, as the platforms do.
  static void* AllocBlock(uint32_t size) {
    if (size == 0 || size > 0x7FFFFFFFu) return nullptr;
    void* block = std::calloc(1, size);
    if (block) ++active->liveBlocks_;
    return block;
  }

  static int FreeBlock(void* block) {
    if (!block) return 0;
    std::free(block);
    --active->liveBlocks_;
    return 1;
  }

  static void DebugOutput(const char* /*text*/) { ++active->debugLines_; }
};

namespace {
const PVOsMethods kMemoryMethods = {
    MemoryOsMethods::Open,     MemoryOsMethods::Read,       MemoryOsMethods::Write,
    MemoryOsMethods::Seek,     MemoryOsMethods::Size,       MemoryOsMethods::Close,
    MemoryOsMethods::Remove,   MemoryOsMethods::Replace,    MemoryOsMethods::SameFile,
    MemoryOsMethods::AllocBlock, MemoryOsMethods::FreeBlock, MemoryOsMethods::DebugOutput,
};
}  // namespace

MemoryOs::MemoryOs(const uint8_t* data, size_t size, size_t keepBytes)
    : data_(data), size_(static_cast<int64_t>(size)), keepBytes_(keepBytes) {
  active = this;
  previous_ = PVOsSwap(&kMemoryMethods);
}

MemoryOs::~MemoryOs() {
  PVOsSwap(previous_ == PVOsPlatform() ? nullptr : previous_);
  active = nullptr;
}
