// The Win32 side of the OS seam: ANSI calls, the system code page for paths.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "support/console.h"
#include "support/os.h"
#include "support/text_facts.h"

namespace {

HANDLE AsHandle(PVOsFile file) { return reinterpret_cast<HANDLE>(file); }

PVOsFile OpenFile(const char* path, int mode) {
  DWORD access = GENERIC_WRITE;
  DWORD share = FILE_SHARE_WRITE;
  DWORD disposition = 0;
  switch (mode) {
    case kPVOsOpenRead:
      access = GENERIC_READ;
      share = FILE_SHARE_READ;
      disposition = OPEN_EXISTING;
      break;
    case kPVOsOpenWriteExisting: disposition = OPEN_EXISTING; break;
    case kPVOsOpenCreate: disposition = CREATE_ALWAYS; break;
    case kPVOsOpenCreateNew: disposition = CREATE_NEW; break;
    default: return kPVOsNoFile;
  }
  HANDLE handle = CreateFileA(path, access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kPVOsNoFile;
  return reinterpret_cast<PVOsFile>(handle);
}

int ReadFromFile(PVOsFile file, void* dst, uint32_t count, uint32_t* done) {
  DWORD read = 0;
  BOOL ok = ReadFile(AsHandle(file), dst, count, &read, nullptr);
  *done = read;
  return ok ? 1 : 0;
}

int WriteToFile(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
  DWORD written = 0;
  BOOL ok = WriteFile(AsHandle(file), src, count, &written, nullptr);
  *done = written;
  return ok ? 1 : 0;
}

int64_t SeekFile(PVOsFile file, int64_t offset, int origin) {
  DWORD method = origin == kPVOsSeekSet ? FILE_BEGIN
                 : origin == kPVOsSeekCur ? FILE_CURRENT
                                          : FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!SetFilePointerEx(AsHandle(file), distance, &position, method)) return -1;
  return position.QuadPart;
}

int64_t FileSize(PVOsFile file) {
  DWORD high = 0;
  DWORD low = GetFileSize(AsHandle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return (static_cast<int64_t>(high) << 32) | low;
}

int CloseFile(PVOsFile file) { return CloseHandle(AsHandle(file)) ? 1 : 0; }

int RemoveFile(const char* path) {
  if (DeleteFileA(path)) return 1;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 1 : 0;
}

int ReplaceFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}

// Identity of an existing file or directory: its volume and its index there.
int Identify(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  BOOL ok = GetFileInformationByHandle(handle, info);
  CloseHandle(handle);
  return ok ? 1 : 0;
}

int SameFile(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  if (!Identify(a, &infoA) || !Identify(b, &infoB)) return 0;
  return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
         infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
         infoA.nFileIndexLow == infoB.nFileIndexLow;
}

void* AllocBlock(uint32_t size) {
  if (size == 0) return nullptr;
  return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

// GlobalFree gives the block back on failure and null on success.
int FreeBlock(void* block) { return GlobalFree(reinterpret_cast<HGLOBAL>(block)) == nullptr; }

void DebugOutput(const char* text) { OutputDebugStringA(text); }

const PVOsMethods kWin32Methods = {
    OpenFile, ReadFromFile, WriteToFile, SeekFile, FileSize, CloseFile, RemoveFile,
    ReplaceFile, SameFile, AllocBlock, FreeBlock, DebugOutput,
};

}  // namespace

const PVOsMethods* PVOsPlatform() { return &kWin32Methods; }

// Windows paths are code page 932 and split on the backslash.
const PVTextFacts& PVHostTextFacts() { return kShiftJisTextFacts; }

// The C runtime's stdout starts in text mode, which would turn every line
// feed into a carriage return and line feed; MML already carries its own.
void PVSetBinaryStdout() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}
