// The converter run as RunConverter runs it, with the report and the
// round-trip check on, all in memory; and the report's counts read back.
#pragma once

#include <cstring>
#include <string>

#include "support/record_queue.h"
#include "tests/kit/harness.h"

// Records in memory: what the job keeps in its spool files.
struct MemoryQueue : PVRecordQueue {
  int Append(const void* record, uint32_t size) override {
    records.append(static_cast<const char*>(record), size);
    return 1;
  }
  int StartReading() override {
    at = 0;
    return 1;
  }
  int Next(void* record, uint32_t size) override {
    if (records.size() - at < size) return 0;
    std::memcpy(record, records.data() + at, size);
    at += size;
    return 1;
  }
  std::string records;
  size_t at = 0;
};

struct WatchedConversion {
  int result = 0;
  std::string log, mml, report;  // the report as text
  bool checked = false;          // the check ran and passed (converted songs only)
  std::string fault;             // what the check found otherwise
};
WatchedConversion RunWatched(const uint8_t* data, size_t size, uint32_t pieceBudget, bool keepNotes);

// Reads a text report back: empty when every part line reads and each part's
// notes in are its notes out plus the notes its losses drop; otherwise what
// does not add up. *parts, when given, receives the part lines read.
std::string ReportCountsFault(const std::string& report, int* parts = nullptr);
