// Where a tick falls in the song's measures: bar and beat, both from 1, and
// the ticks past the beat's start. The measures follow the meter map the
// converter works with, in tick order: each change starts a new bar at its
// tick, and a bar cut short by a change still counts as a bar.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

struct BarPosition {
  int32_t bar;
  int32_t beat;
  int32_t offset;  // ticks past the beat's start
};

class BarClock {
 public:
  // Quarter notes of one tick in 4/4, until a song's map is taken.
  BarClock() { spans_[0] = Span{0, 1, 4, 1}; }
  // Takes the meter map and the ticks per quarter note as they stand.
  BarClock(const ConversionState& s, int32_t division);
  BarPosition At(int32_t tick) const;

 private:
  struct Span {
    int32_t tick;       // where the meter starts
    int32_t bar;        // the bar that starts there
    int32_t barTicks;   // 0: no measures
    int32_t beatTicks;  // the meter's own note value, at least 1
  };
  Span spans_[kMapCapacity + 1];
  int count_ = 1;
};
