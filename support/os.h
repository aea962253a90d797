// The narrow seam between the portable library and the operating system.
//
// Everything above this line is written once; os_posix.cpp and os_win.cpp
// each fill one PVOsMethods table. Tests may swap the table for a double
// (a disk that fills up, a file that cannot be created) and put the real one
// back afterwards.
#pragma once

#include <cstddef>
#include <cstdint>

typedef intptr_t PVOsFile;
const PVOsFile kPVOsNoFile = -1;

enum PVOsOpenMode {
  kPVOsOpenRead = 0,          // an existing file, for reading
  kPVOsOpenWriteExisting = 1, // an existing file, for writing, kept as it is
  kPVOsOpenCreate = 2,        // create for writing, truncating a file that exists
  kPVOsOpenCreateNew = 3,     // create for writing; fails when the name exists
};

enum PVOsSeekOrigin { kPVOsSeekSet = 0, kPVOsSeekCur = 1, kPVOsSeekEnd = 2 };

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
  // Returns 1 when both names lead to one existing file.
  int (*sameFile)(const char* a, const char* b);
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
// Puts a table in force (null puts the platform's back). Returns the previous one.
const PVOsMethods* PVOsSwap(const PVOsMethods* methods);
