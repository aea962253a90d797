// The narrow seam between the portable library and the operating system.
//
// Everything above this line is written once; os_posix.cpp and os_win.cpp
// each fill one PVOsMethods table. Tests may swap the table for a double
// (a disk that fills up, a file that cannot be created) and put the real one
// back afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#ifndef _WIN32
#include <climits>
#endif

typedef intptr_t PVOsFile;
const PVOsFile kPVOsNoFile = -1;

enum PVOsOpenMode {
  kPVOsOpenRead = 0,          // an existing file, for reading
  kPVOsOpenWriteExisting = 1, // an existing file, for writing, kept as it is
  kPVOsOpenCreate = 2,        // create for writing, truncating a file that exists
  kPVOsOpenCreateNew = 3,     // create for writing; fails when the name exists
};

enum PVOsSeekOrigin { kPVOsSeekSet = 0, kPVOsSeekCur = 1, kPVOsSeekEnd = 2 };

// What a name leads to. A symbolic link counts as a stream: the program
// writes through it and never puts a file of its own in its place.
enum PVOsKind {
  kPVOsMissing = 0,    // nothing has the name
  kPVOsRegular = 1,    // a regular file (not reached through a link)
  kPVOsDirectory = 2,  // a folder
  kPVOsStream = 3,     // a device, FIFO, socket or link: written into, never replaced
};

// The standard streams a process starts with.
enum PVOsStandard { kPVOsStdin = 0, kPVOsStdout = 1, kPVOsStderr = 2 };

// Where a file lives: two names lead to one file when both fields agree.
struct PVOsFileId {
  uint64_t volume;
  uint64_t index;
};

struct PVOsMethods {
  // Returns the handle, or kPVOsNoFile. A directory is not a file.
  PVOsFile (*open)(const char* path, int mode);
  // Returns 1 when the platform accepted the call; *done holds the bytes moved.
  int (*read)(PVOsFile file, void* dst, uint32_t count, uint32_t* done);
  int (*write)(PVOsFile file, const void* src, uint32_t count, uint32_t* done);
  // Returns the new position from the start of the file, or -1.
  int64_t (*seek)(PVOsFile file, int64_t offset, int origin);
  // Returns the size in bytes, or -1.
  int64_t (*size)(PVOsFile file);
  // Returns 1 when the handle was closed cleanly.
  int (*close)(PVOsFile file);
  // Returns 1 when the name is gone afterwards.
  int (*remove)(const char* path);
  // Moves from over to, replacing to in one step. Returns 1 on success.
  int (*replace)(const char* from, const char* to);
  // Stores the identity of the existing file at path. Returns 1, or 0 when
  // there is none.
  int (*identify)(const char* path, PVOsFileId* id);
  // Returns the PVOsKind of path.
  int (*kind)(const char* path);
  // Makes the file's written data durable. Returns 1 when the platform did.
  int (*syncFile)(PVOsFile file);
  // Makes the folder's entries (a rename in it) durable; 1 where there is
  // nothing to do.
  int (*syncDirectory)(const char* path);
  // Gives an open file the permission bits (and, where allowed, the owner) of
  // the file at like. Returns 1, also when like does not exist.
  int (*keepAttributes)(PVOsFile file, const char* like);
  // A handle of its own on a standard stream (closing it leaves the stream
  // open), or kPVOsNoFile.
  PVOsFile (*openStandard)(int which);
  // Returns 1 when path leads to the file the standard output writes to.
  int (*isStandardOutput)(const char* path);
  // Stores the folder for temporary files, ending in its separator. Returns
  // 1, or 0 when it does not fit in size bytes.
  int (*tempDirectory)(char* dst, uint32_t size);
  // Fills each standard stream that is closed with one that fails every
  // transfer, so that no file the program opens takes a standard stream's
  // place. Returns 1 when all three are open afterwards.
  int (*reserveStandard)(void);
  // From now on an interruption (SIGINT, SIGTERM, SIGHUP or a SIGPIPE sent
  // by another process; Ctrl+C, Ctrl+Break or the console closing) calls
  // cleanup and ends the process with the platform's status for it.
  // cleanup must do only async-signal-safe work. A SIGPIPE raised by the
  // process's own write is no interruption: the write fails instead.
  int (*catchInterrupts)(void (*cleanup)(void));
  // A zero-filled block, or null. Returns 1 from freeBlock when released.
  void* (*allocBlock)(uint32_t size);
  int (*freeBlock)(void* block);
  // One diagnostic line for whoever watches the program (a debugger or stderr).
  void (*debugOutput)(const char* text);
};

// The table in force: the platform's own unless a test has swapped it.
const PVOsMethods* PVOs();
// The platform's own table.
const PVOsMethods* PVOsPlatform();
// Returns 1 when both names lead to one existing file.
int PVOsSameFile(const char* a, const char* b);

// The longest path the platform takes, with its terminator.
#ifdef _WIN32
const int kPVOsPathSize = 260;
#else
const int kPVOsPathSize = PATH_MAX;
#endif

// Puts a table in force (null puts the platform's back). Returns the previous one.
const PVOsMethods* PVOsSwap(const PVOsMethods* methods);
