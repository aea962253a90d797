// Finding the tempo or meter change at a tick while a pass walks one track.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

// The entries of a TempoMap or MeterMap in tick order, for a pass that asks
// about each track's ticks as they come (they never go back within a track).
// No two entries of a map share a tick, so the entry found is the one a scan
// of the map would find; a question costs a comparison or two instead of a
// scan of up to sixteen entries.
template <class Entry>
class ChangeWalk {
 public:
  ChangeWalk(const Entry* entries, int32_t count) : count_(count) {
    for (int32_t i = 0; i < count; ++i) {
      int32_t j = i;
      for (; j > 0 && order_[j - 1]->tick > entries[i].tick; --j) order_[j] = order_[j - 1];
      order_[j] = &entries[i];
    }
    nextTick_ = NextTick();
  }

  // The entry at exactly this tick, or null. The ticks asked must not
  // decrease (a walk serves one track).
  const Entry* At(int32_t tick) {
    // Most ticks lie before the next change: one comparison answers them.
    if (tick < nextTick_) return nullptr;
    while (next_ < count_ && order_[next_]->tick < tick) ++next_;
    nextTick_ = NextTick();
    if (next_ < count_ && order_[next_]->tick == tick) return order_[next_];
    return nullptr;
  }

 private:
  // The tick of the entry the walk has reached; past the last entry, a
  // value above every tick.
  int64_t NextTick() const { return next_ < count_ ? order_[next_]->tick : INT64_MAX; }

  const Entry* order_[kMapCapacity];
  int32_t count_;
  int32_t next_ = 0;
  int64_t nextTick_ = INT64_MAX;
};
