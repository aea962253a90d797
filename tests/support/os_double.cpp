#include "tests/support/os_double.h"

namespace {

// The double in force; the table's plain function pointers reach it here.
OsDouble* active = nullptr;

PVOsFile Open(const char* path, int mode) {
  OsFaults& f = active->faults;
  if (mode == kPVOsOpenRead) {
    return PVOsPlatform()->open(f.readsFrom.empty() ? path : f.readsFrom.c_str(), mode);
  }
  ++f.createCalls;
  if (f.refuseCreate) return kPVOsNoFile;
  return PVOsPlatform()->open(path, mode);
}

int Write(PVOsFile file, const void* src, uint32_t count, uint32_t* done) {
  OsFaults& f = active->faults;
  if (f.writesBeforeFull != 0 || f.failingWrites == 0) {
    if (f.writesBeforeFull > 0) --f.writesBeforeFull;
    return PVOsPlatform()->write(file, src, count, done);
  }
  if (f.failingWrites > 0) --f.failingWrites;
  if (f.shortWrites) return PVOsPlatform()->write(file, src, count / 2, done);
  *done = 0;
  return 0;
}

int Replace(const char* from, const char* to) {
  if (active->faults.refuseReplace) return 0;
  return PVOsPlatform()->replace(from, to);
}

PVOsMethods MakeTable() {
  PVOsMethods table = *PVOsPlatform();
  table.open = Open;
  table.write = Write;
  table.replace = Replace;
  return table;
}

const PVOsMethods kDoubleTable = MakeTable();

}  // namespace

OsDouble::OsDouble() {
  active = this;
  previous_ = PVOsSwap(&kDoubleTable);
}

OsDouble::~OsDouble() {
  PVOsSwap(previous_ == PVOsPlatform() ? nullptr : previous_);
  active = nullptr;
}
