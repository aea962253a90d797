#include "converter/bar_clock.h"

#include "converter/length_grid.h"

BarClock::BarClock(const ConversionState& s, int32_t division) {
  const MeterMap* order[kMapCapacity];
  int n = 0;
  for (int i = 0; i < s.meterCount; ++i) {
    int j = n++;
    for (; j > 0 && order[j - 1]->tick > s.meters[i].tick; --j) order[j] = order[j - 1];
    order[j] = &s.meters[i];
  }
  // Before any meter (or without one) the song runs in 4/4.
  spans_[0] = Span{0, 1, 4 * division, division > 0 ? division : 1};
  count_ = 1;
  for (int i = 0; i < n; ++i) {
    const MeterMap& m = *order[i];
    Span& last = spans_[count_ - 1];
    int32_t bar = last.bar;
    if (m.tick > last.tick) {
      int64_t elapsed = static_cast<int64_t>(m.tick) - last.tick;
      bar += last.barTicks > 0 ? static_cast<int32_t>((elapsed + last.barTicks - 1) / last.barTicks) : 1;
    }
    int32_t beatTicks = m.denominator > 0 ? 4 * division / m.denominator : 0;
    Span span{m.tick, bar, MeasureTicks(division, m.numerator, m.denominator), beatTicks > 0 ? beatTicks : 1};
    if (m.tick == last.tick) last = span;
    else spans_[count_++] = span;
  }
}

BarPosition BarClock::At(int32_t tick) const {
  int i = count_ - 1;
  while (i > 0 && spans_[i].tick > tick) --i;
  const Span& span = spans_[i];
  int32_t since = tick - span.tick;
  int32_t bar = span.bar;
  if (span.barTicks > 0) {
    bar += since / span.barTicks;
    since %= span.barTicks;
  }
  return BarPosition{bar, since / span.beatTicks + 1, since % span.beatTicks};
}
