// Ticks into bars and beats through the meter map.
#include <gtest/gtest.h>

#include <vector>

#include "converter/bar_clock.h"

namespace {

TEST(BarClock, BarsAndBeatsFollowTheMeterMap) {
  struct Case {
    std::vector<MeterMap> meters;
    int32_t tick, bar, beat, offset;
  } cases[] = {
      {{{2880, 6, 8}, {0, 3, 4}}, 2880 + 1440 + 490, 4, 3, 10},  // 3/4 then 6/8, out of order
      {{{0, 4, 4}, {960, 3, 4}}, 960, 2, 1, 0},                  // a bar cut short still counts
      {{{0, 0, 4}}, 5000, 1, 11, 200},                           // no measures
  };
  for (const Case& c : cases) {
    ConversionState s;
    for (const MeterMap& m : c.meters) s.meters[s.meterCount++] = m;
    const BarPosition at = BarClock(s, 480).At(c.tick);
    EXPECT_EQ(std::vector<int32_t>({at.bar, at.beat, at.offset}), std::vector<int32_t>({c.bar, c.beat, c.offset}));
  }
}

}  // namespace
