// The POSIX side of the OS seam.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

int Identify(const char* path, PVOsFileId* id) {
  struct stat st;
  if (::stat(path, &st) != 0) return 0;
  id->volume = static_cast<uint64_t>(st.st_dev);
  id->index = static_cast<uint64_t>(st.st_ino);
  return 1;
}

int Kind(const char* path) {
  struct stat st;
  if (::lstat(path, &st) != 0) return errno == ENOENT ? kPVOsMissing : kPVOsStream;
  if (S_ISREG(st.st_mode)) return kPVOsRegular;
  if (S_ISDIR(st.st_mode)) return kPVOsDirectory;
  // A link to a folder is a folder; any other link is written through.
  if (S_ISLNK(st.st_mode) && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return kPVOsDirectory;
  return kPVOsStream;
}

int SyncFile(PVOsFile file) {
  // A device or FIFO has nothing to sync and says so with EINVAL.
  return ::fsync(static_cast<int>(file)) == 0 || errno == EINVAL || errno == EROFS ? 1 : 0;
}

int SyncDirectory(const char* path) {
  int fd = ::open(*path ? path : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  int synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

int KeepAttributes(PVOsFile file, const char* like) {
  struct stat st;
  if (::stat(like, &st) != 0) return errno == ENOENT ? 1 : 0;
  // Only root may give a file away; for anyone else the owner is already theirs.
  if (::fchown(static_cast<int>(file), st.st_uid, st.st_gid) != 0 && errno != EPERM) return 0;
  return ::fchmod(static_cast<int>(file), st.st_mode & 07777) == 0 ? 1 : 0;
}

PVOsFile OpenStandard(int which) {
  int fd = ::fcntl(which, F_DUPFD_CLOEXEC, 3);
  return fd < 0 ? kPVOsNoFile : fd;
}

int IsStandardOutput(const char* path) {
  struct stat target, out;
  if (::stat(path, &target) != 0 || ::fstat(STDOUT_FILENO, &out) != 0) return 0;
  return target.st_dev == out.st_dev && target.st_ino == out.st_ino;
}

int TempDirectory(char* dst, uint32_t size) {
  const char* directory = std::getenv("TMPDIR");
  if (!directory || !*directory) directory = "/tmp";
  size_t length = std::strlen(directory);
  const char* separator = directory[length - 1] == '/' ? "" : "/";
  int written = std::snprintf(dst, size, "%s%s", directory, separator);
  return written > 0 && static_cast<uint32_t>(written) < size ? 1 : 0;
}

// A closed standard stream would be handed to the next file opened, so a
// log line would land in it. Each is filled with /dev/null opened the wrong
// way round: the slot is taken and every transfer on it fails, so a log
// written to a closed stdout is seen to fail.
int ReserveStandard() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    int placeholder = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (placeholder != fd) {
      if (placeholder >= 0) ::close(placeholder);
      return 0;
    }
  }
  return 1;
}

void (*interruptCleanup)(void) = nullptr;

void OnInterrupt(int number, siginfo_t* info, void*) {
  // The process's own write to a closed pipe: the write fails with EPIPE and
  // the program answers that as an error of its own.
  if (number == SIGPIPE && info && info->si_code == SI_USER && info->si_pid == ::getpid()) return;
  int savedErrno = errno;
  if (interruptCleanup) interruptCleanup();
  errno = savedErrno;
  // Raised again without the handler, the signal ends the process once this
  // handler returns, as if it had not been caught (status 128 + its number).
  ::signal(number, SIG_DFL);
  ::raise(number);
}

int CatchInterrupts(void (*cleanup)(void)) {
  interruptCleanup = cleanup;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnInterrupt;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigfillset(&action.sa_mask);
  int caught = 1;
  const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
  for (int number : kInterrupts) caught &= ::sigaction(number, &action, nullptr) == 0;
  return caught;
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
    OpenFile,      ReadFile,        WriteFile,      SeekFile,     FileSize,
    CloseFile,     RemoveFile,      ReplaceFile,    Identify,     Kind,
    SyncFile,      SyncDirectory,   KeepAttributes, OpenStandard, IsStandardOutput,
    TempDirectory,   ReserveStandard, CatchInterrupts, AllocBlock,   FreeBlock,    DebugOutput,
};

}  // namespace

const PVOsMethods* PVOsPlatform() { return &kPosixMethods; }

// Native paths are UTF-8 and split on '/'.
const PVTextFacts& PVHostTextFacts() { return kUtf8TextFacts; }

