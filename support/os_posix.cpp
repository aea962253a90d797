// The POSIX side of the OS seam.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/console.h"
#include "support/os.h"
#include "support/text_facts.h"

namespace {

PVOsFile OpenFile(const char* path, int mode) {
  int flags = 0;
  switch (mode) {
    case kPVOsOpenRead: flags = O_RDONLY; break;
    case kPVOsOpenWriteExisting: flags = O_WRONLY; break;
    case kPVOsOpenCreate: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case kPVOsOpenCreateNew: flags = O_WRONLY | O_CREAT | O_EXCL; break;
    default: return kPVOsNoFile;
  }
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kPVOsNoFile;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kPVOsNoFile;
  }
  return fd;
}

int ReadFile(PVOsFile file, void* dst, uint32_t count, uint32_t* done) {
  *done = 0;
  while (count > 0) {
    ssize_t n = ::read(static_cast<int>(file), static_cast<char*>(dst) + *done, count);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (n == 0) break;
    *done += static_cast<uint32_t>(n);
    count -= static_cast<uint32_t>(n);
  }
  return 1;
}

int WriteFile(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
  *done = 0;
  while (count > 0) {
    ssize_t n = ::write(static_cast<int>(file), static_cast<const char*>(src) + *done, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    *done += static_cast<uint32_t>(n);
    count -= static_cast<uint32_t>(n);
  }
  return 1;
}

int64_t SeekFile(PVOsFile file, int64_t offset, int origin) {
  int whence = origin == kPVOsSeekSet ? SEEK_SET : origin == kPVOsSeekCur ? SEEK_CUR : SEEK_END;
  off_t pos = ::lseek(static_cast<int>(file), static_cast<off_t>(offset), whence);
  return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

int64_t FileSize(PVOsFile file) {
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

int CloseFile(PVOsFile file) { return ::close(static_cast<int>(file)) == 0 ? 1 : 0; }

int RemoveFile(const char* path) { return ::unlink(path) == 0 || errno == ENOENT ? 1 : 0; }

int ReplaceFile(const char* from, const char* to) { return ::rename(from, to) == 0 ? 1 : 0; }

int SameFile(const char* a, const char* b) {
  struct stat sa, sb;
  if (::stat(a, &sa) != 0 || ::stat(b, &sb) != 0) return 0;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The 32-bit program cannot hold a block of 2 GiB or more; refuse those here
// too so that both builds answer a huge request alike.
void* AllocBlock(uint32_t size) {
  if (size == 0 || size > 0x7FFFFFFFu) return nullptr;
  return std::calloc(1, size);
}

int FreeBlock(void* block) {
  std::free(block);
  return 1;
}

void DebugOutput(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

const PVOsMethods kPosixMethods = {
    OpenFile, ReadFile, WriteFile, SeekFile, FileSize, CloseFile, RemoveFile,
    ReplaceFile, SameFile, AllocBlock, FreeBlock, DebugOutput,
};

}  // namespace

const PVOsMethods* PVOsPlatform() { return &kPosixMethods; }

// Native paths are UTF-8 and split on '/'.
const PVTextFacts& PVHostTextFacts() { return kUtf8TextFacts; }

// POSIX streams have no text mode: stdout already passes bytes unchanged.
void PVSetBinaryStdout() {}
