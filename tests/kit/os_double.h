// The OS seam double, in force while it lives (one at a time): file calls go to
// the platform or, after ServeFromMemory, to those bytes and `written`. It
// counts reads, handles and blocks, keeps the debugger lines, plays faults.
#pragma once

#include <cstdint>
#include <string>

#include "support/os.h"

struct OsDouble {
  OsDouble();
  ~OsDouble();
  void ServeFromMemory(const uint8_t* bytes, size_t count);

  bool refuseCreate = false;   // opening for writing fails
  int writesBeforeFull = -1;   // writes that succeed before the disk is full; -1: never
  int fullWrites = -1;         // writes that then fail before there is room again; -1: all
  bool shortWrites = false;    // a failing write stores half its bytes and says so
  bool refuseReplace = false;  // moving a file over another fails
  bool refuseSync = false;     // making a file durable fails
  // A larger block is refused, as a 32-bit process's heap would refuse it,
  // whatever the width of the test program.
  uint32_t largestBlock = 1u << 30;

  int reads = 0, openFiles = 0, liveBlocks = 0;  // read calls; handles and blocks held now
  uint32_t lastBlockSize = 0;                    // the size of the last block asked for
  std::string debug;                             // the debugger lines
  std::string written;                           // into the in-memory files
  std::string trace;  // "keep sync close replace sync-folder ": the calls that finish a target

  const uint8_t* data = nullptr;  // the in-memory source, in force when size >= 0
  int64_t size = -1, readPos = 0;
  const PVOsMethods* previous;
};
