// Finding the tempo or meter change at a tick while walking a track forward.
#include <gtest/gtest.h>

#include "converter/change_walk.h"

namespace {

TEST(ChangeWalk, FindsEntriesOfAnUnsortedMapInTickOrder) {
  // Maps are filled in the order the tracks meet their events, so a later
  // track can add an earlier tick.
  const TempoMap tempos[] = {{960, 100}, {0, 120}, {3840, 90}, {480, 150}, {1920, 60}};
  ChangeWalk<TempoMap> walk(tempos, 5);
  struct Ask {
    int32_t tick;
    int32_t bpm;  // -1: no entry at this tick
  } asks[] = {{0, 120}, {0, 120}, {100, -1}, {480, 150}, {960, 100}, {961, -1},
              {1920, 60}, {2000, -1}, {3840, 90}, {5000, -1}};
  for (int pass = 0; pass < 2; ++pass) {
    walk.Restart();
    for (const Ask& a : asks) {
      const TempoMap* found = walk.At(a.tick);
      EXPECT_EQ(found ? found->bpm : -1, a.bpm) << a.tick << " in walk " << pass;
    }
  }
  // Skipping ticks does not skip entries beyond them.
  walk.Restart();
  EXPECT_EQ(walk.At(1920)->bpm, 60);
  EXPECT_EQ(walk.At(3840)->bpm, 90);
}

TEST(ChangeWalk, FindsAChangeAtTheLastTick) {
  // Ticks before the next change are answered with one comparison, which
  // must not swallow the change itself, at the largest tick too.
  const MeterMap meters[] = {{2147483647, 3, 4}, {0, 4, 4}};
  ChangeWalk<MeterMap> walk(meters, 2);
  EXPECT_EQ(walk.At(0)->numerator, 4);
  EXPECT_EQ(walk.At(1920), nullptr);
  EXPECT_EQ(walk.At(2147483646), nullptr);
  ASSERT_NE(walk.At(2147483647), nullptr);
  EXPECT_EQ(walk.At(2147483647)->numerator, 3);
}

TEST(ChangeWalk, EmptyMapFindsNothing) {
  ChangeWalk<MeterMap> walk(nullptr, 0);
  EXPECT_EQ(walk.At(0), nullptr);
  EXPECT_EQ(walk.At(480), nullptr);
}

}  // namespace
