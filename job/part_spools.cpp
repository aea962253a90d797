#include "job/part_spools.h"

PVRecordQueue* PartSpools::Queue(int index) {
  if (index < 0 || index >= kSpools) return nullptr;
  Watched& w = spools_[index];
  if (!w.asked) {
    w.asked = true;
    w.failed = &failed_;
    w.open = w.Note(w.spool.Create(facts_, target_)) != 0;
  }
  return w.open ? &w : nullptr;
}
