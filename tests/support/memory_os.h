// An OS seam double that serves one source file from memory and sends every
// written byte to a counting sink, so that a conversion touches no disk.
//
// Reading opens the source, writing opens the sink (the path is not looked
// at). Seeks behave as on a disk file: a position before the start is
// refused, one past the end reads nothing. Blocks and handles are counted so
// that a caller can tell that a conversion released what it took.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/os.h"

class MemoryOs {
 public:
  // Puts the double in force; keepBytes of the written text are kept for
  // inspection (the rest is only counted). Only one may be in force at a time.
  MemoryOs(const uint8_t* data, size_t size, size_t keepBytes = 0);
  ~MemoryOs();
  MemoryOs(const MemoryOs&) = delete;
  MemoryOs& operator=(const MemoryOs&) = delete;

  uint64_t bytesWritten() const { return written_; }
  const std::string& keptText() const { return kept_; }
  int openFiles() const { return openFiles_; }
  int liveBlocks() const { return liveBlocks_; }
  int debugLines() const { return debugLines_; }

 private:
  friend struct MemoryOsMethods;
  const uint8_t* data_;
  int64_t size_;
  int64_t readPos_ = 0;
  uint64_t written_ = 0;
  size_t keepBytes_;
  std::string kept_;
  int openFiles_ = 0;
  int liveBlocks_ = 0;
  int debugLines_ = 0;
  const PVOsMethods* previous_;
};
