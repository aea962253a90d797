// An OS table for tests: the platform's own calls with faults that a test
// switches on (a disk that fills up, a folder where nothing can be created, a
// move that is refused). Put in force for the life of the object.
#pragma once

#include <string>

#include "support/os.h"

struct OsFaults {
  bool refuseCreate = false;   // opening for writing fails
  int writesBeforeFull = -1;   // writes that succeed before the disk is full; -1: never full
  int failingWrites = -1;      // writes that then fail before space is free again; -1: all
  bool shortWrites = false;    // a failing write reports half its bytes instead of an error
  bool refuseReplace = false;  // moving a file over another fails
  std::string readsFrom;       // when set, every open for reading opens this file instead
  int createCalls = 0;         // opens for writing that were asked for
};

class OsDouble {
 public:
  OsDouble();
  ~OsDouble();
  OsDouble(const OsDouble&) = delete;
  OsDouble& operator=(const OsDouble&) = delete;

  OsFaults faults;

 private:
  const PVOsMethods* previous_;
};
