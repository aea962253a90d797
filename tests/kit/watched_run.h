// The converter run as RunConverter runs it, with the report and the
// round-trip check on, all in memory; and the report's counts read back.
#pragma once

#include <string>

#include "tests/kit/harness.h"

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
