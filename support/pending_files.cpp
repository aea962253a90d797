#include "support/pending_files.h"

#include <csignal>
#include <cstring>

#include "support/os.h"
#include "support/path.h"

namespace {

// A job writes one temporary file (its MML, beside the target or staged)
// and, with a report or a check, its two spools.
const int kPendingSlots = 4;

// A slot's path is complete before its flag is set and the flag is cleared
// before the path changes, so a handler that runs in between sees either the
// whole path or none.
char pendingPaths[kPendingSlots][kPVPathSize];
volatile std::sig_atomic_t pendingUsed[kPendingSlots];

}  // namespace

int PVAddPendingFile(const char* path) {
  size_t length = std::strlen(path);
  if (length >= sizeof pendingPaths[0]) return -1;
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    if (pendingUsed[slot]) continue;
    std::memcpy(pendingPaths[slot], path, length + 1);
    pendingUsed[slot] = 1;
    return slot;
  }
  return -1;
}

void PVDropPendingFile(int slot) {
  if (slot >= 0 && slot < kPendingSlots) pendingUsed[slot] = 0;
}

void PVRemovePendingFiles(void) {
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    if (pendingUsed[slot]) PVOs()->remove(pendingPaths[slot]);
  }
}
