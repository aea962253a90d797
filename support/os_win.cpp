// The Win32 side of the OS seam: ANSI calls, the system code page for paths.
#include <windows.h>

#include "support/os.h"
#include "support/text_facts.h"

namespace {

HANDLE AsHandle(PVOsFile file) { return reinterpret_cast<HANDLE>(file); }

PVOsFile OpenFile(const char* path, int mode) {
  DWORD access = GENERIC_WRITE;
  // Sharing the delete lets an interruption remove a file still open.
  DWORD share = FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD disposition = 0;
  switch (mode) {
    case kPVOsOpenRead:
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_DELETE;
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

int IdentifyFile(const char* path, PVOsFileId* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!Identify(path, &info)) return 0;
  id->volume = info.dwVolumeSerialNumber;
  id->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return 1;
}

int Kind(const char* path) {
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kPVOsMissing : kPVOsStream;
  }
  int kind = kPVOsStream;  // a console, NUL or a pipe
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info)) {
    kind = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY       ? kPVOsDirectory
           : info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? kPVOsStream
                                                                  : kPVOsRegular;
  }
  CloseHandle(handle);
  return kind;
}

// A console or pipe has nothing to flush to a disk.
int SyncFile(PVOsFile file) {
  return FlushFileBuffers(AsHandle(file)) || GetFileType(AsHandle(file)) != FILE_TYPE_DISK;
}

// A rename is recorded by the file system's own journal.
int SyncDirectory(const char*) { return 1; }

// The moved file keeps the folder's inherited rights; there are no mode bits.
int KeepAttributes(PVOsFile, const char*) { return 1; }

DWORD StandardId(int which) {
  return which == kPVOsStdin ? STD_INPUT_HANDLE : which == kPVOsStdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
}

PVOsFile OpenStandard(int which) {
  HANDLE own = nullptr;
  HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(StandardId(which)), process, &own, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return kPVOsNoFile;
  return reinterpret_cast<PVOsFile>(own);
}

int IsStandardOutput(const char* path) {
  BY_HANDLE_FILE_INFORMATION target, out;
  if (!Identify(path, &target) || !GetFileInformationByHandle(GetStdHandle(STD_OUTPUT_HANDLE), &out))
    return 0;
  return target.dwVolumeSerialNumber == out.dwVolumeSerialNumber &&
         target.nFileIndexHigh == out.nFileIndexHigh && target.nFileIndexLow == out.nFileIndexLow;
}

int TempDirectory(char* dst, uint32_t size) {
  DWORD length = GetTempPathA(size, dst);
  return length > 0 && length < size ? 1 : 0;
}

// Handles are not numbered slots: a file opened never becomes a standard one.
int ReserveStandard() { return 1; }

void (*interruptCleanup)(void) = nullptr;

// Runs on a thread of its own while the conversion goes on: the files are
// removed (deleting an open file takes effect when the process ends), then
// the process ends with the status of an interrupted console program.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (interruptCleanup) interruptCleanup();
  ExitProcess(STATUS_CONTROL_C_EXIT);
  return TRUE;
}

int CatchInterrupts(void (*cleanup)(void)) {
  interruptCleanup = cleanup;
  return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) ? 1 : 0;
}

void* AllocBlock(uint32_t size) {
  if (size == 0) return nullptr;
  return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

// GlobalFree gives the block back on failure and null on success.
int FreeBlock(void* block) { return GlobalFree(reinterpret_cast<HGLOBAL>(block)) == nullptr; }

void DebugOutput(const char* text) { OutputDebugStringA(text); }

const PVOsMethods kWin32Methods = {
    OpenFile,        ReadFromFile,     WriteToFile,    SeekFile,     FileSize,
    CloseFile,       RemoveFile,       ReplaceFile,    IdentifyFile, Kind,
    SyncFile,        SyncDirectory,    KeepAttributes, OpenStandard, IsStandardOutput,
    TempDirectory,   ReserveStandard, CatchInterrupts,  AllocBlock,     FreeBlock,    DebugOutput,
};

}  // namespace

const PVOsMethods* PVOsPlatform() { return &kWin32Methods; }

// Windows paths are code page 932 and split on the backslash.
const PVTextFacts& PVHostTextFacts() { return kShiftJisTextFacts; }

