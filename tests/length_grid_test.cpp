// Cutting durations into length pieces, and the default length of a part.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "converter/change_walk.h"
#include "converter/length_grid.h"
#include "tests/support/harness.h"

namespace {

// The pieces NextLength gives until it gives -1, as their written numbers
// (or length indexes), each followed by "|" when it reached a measure
// boundary and " " when not.
std::string Walk(ConversionState& s, const int32_t* numbers) {
  std::string out;
  for (int i = NextLength(s); i >= 0; i = NextLength(s)) {
    out += std::to_string(numbers[i]) + (s.barBreak ? "|" : " ");
    s.barBreak = 0;
  }
  return out;
}

TEST(NextLength, CutsDurationsIntoTheNearestLengths) {
  struct Case {
    int32_t division, remaining;
    const char* pieces;
    int32_t advance;
  } cases[] = {
      {480, 1, "32 ", 60},       {480, 60, "32 ", 60},   {480, 89, "32 32 ", 120}, {480, 91, "16 ", 120},
      {480, 180, "16 32 ", 180}, {480, 400, "4 ", 480},  {480, 720, "4 8 ", 720},  {480, 721, "2 ", 960},
      {480, 1440, "2 4 ", 1440}, {480, 1441, "1 ", 1920}, {480, 1920, "1 ", 1920}, {480, 2000, "1 32 32 ", 2040},
      // Lengths of 28, 14, 7, 3, 1 and 0 ticks (truncated): midpoints between
      // ticks, and a 0-tick 32nd that is never picked.
      {7, 5, "8 16 16 ", 5},     {7, 11, "2 ", 14},
      {1, 7, "1 2 4 ", 7},       {1, 1, "4 ", 1},  // 4, 2, 1, 0, 0 and 0 ticks
  };
  for (const Case& c : cases) {
    ConversionState s;
    SetLengthTicks(s, c.division);
    s.barTicks = s.nextBarTick = 1 << 28;
    s.piecesLeft = 100;
    s.curTick = c.remaining;
    EXPECT_EQ(Walk(s, lengthValues), c.pieces) << c.division << ": " << c.remaining;
    EXPECT_EQ(s.writtenTick, c.advance) << c.division << ": " << c.remaining;
  }
}

TEST(NextLength, MeasureBoundariesAndLimits) {
  const int32_t kIndexes[6] = {0, 1, 2, 3, 4, 5};
  struct Case {
    const char* name;
    int32_t barTicks, nextBarTick, writtenTick, curTick;
    uint32_t piecesLeft;
    const char* pieces;  // length indexes
    int32_t stopReason;
  } cases[] = {
      {"a boundary cuts the piece and breaks the line", 1920, 1920, 1440, 2400, 9, "2|2 ", kRunning},
      {"no measures: no cut, but every piece breaks", 0, 0, 0, 2400, 9, "0|2|", kRunning},
      {"the piece bound", 0, 0, 0, 19200, 2, "0|0|", kTooManyPieces},
      {"a piece up to 2^31 - 1", 0, 0, INT32_MAX - 1920, INT32_MAX, 9, "0|", kRunning},
      {"a piece past 2^31 - 1", 0, 0, INT32_MAX - 100, INT32_MAX, 9, "", kTickOverflow},
      {"a boundary past 2^31 - 1", 1920, INT32_MAX - 1000, INT32_MAX - 1480, INT32_MAX, 9, "", kTickOverflow},
  };
  for (const Case& c : cases) {
    ConversionState s;
    SetLengthTicks(s, 480);
    s.barTicks = c.barTicks;
    s.nextBarTick = c.nextBarTick;
    s.writtenTick = c.writtenTick;
    s.curTick = c.curTick;
    s.piecesLeft = c.piecesLeft;
    EXPECT_EQ(Walk(s, kIndexes), c.pieces) << c.name;
    EXPECT_EQ(s.stopReason, c.stopReason) << c.name;
  }
  const int32_t meters[][4] = {{480, 4, 4, 1920}, {480, 3, 4, 1440}, {480, 6, 8, 1440},
                               {480, 5, 16, 600}, {480, 0, 4, 0},    {32767, 255, INT32_MIN, 0}};
  for (const auto& m : meters) EXPECT_EQ(MeasureTicks(m[0], m[1], m[2]), m[3]) << m[1] << "/" << m[2];
}

// The default length chosen for a melody of consecutive notes inside 4/4
// measures, as the part header shows it.
TEST(LengthPass, MostFrequentPieceBecomesDefault) {
  struct Case {
    std::vector<int32_t> durations;
    const char* header;
  } cases[] = {
      {{1920, 960, 480, 480}, "@0Ll4\r\n"},              // 1,1,2,0,0,0
      {{1920, 1920, 1920, 480, 480, 480}, "@0Ll4\r\n"},  // 3,0,3: the quarter wins a tie
      {{960, 960, 960, 240, 240, 240}, "@0Ll2\r\n"},     // 0,3,0,3: the longest of a tie
      {{240, 120, 240, 120, 480}, "@0Ll8\r\n"},          // 0,0,1,2,2: eighth before 16th
      {{60, 60, 60}, "@0Ll32\r\n"},
  };
  for (const Case& c : cases) {
    TrackBuilder t;
    int32_t tick = 0;
    for (int32_t d : c.durations) {
      t.Note(tick, tick + d, 60);
      tick += d;
    }
    const std::string mml = RunConverter(SmfFile(480, {t})).mml;
    EXPECT_NE(mml.find(c.header), std::string::npos) << mml;
  }
}

}  // namespace

// Ticks before the next change are answered with one comparison, which must
// not swallow the change itself, at the largest tick too; the map is unsorted.
TEST(ChangeWalk, FindsChangesInTickOrderUpToTheLastTick) {
  const MeterMap meters[] = {{2147483647, 3, 4}, {1920, 6, 8}, {0, 4, 4}};
  ChangeWalk<MeterMap> walk(meters, 3);
  EXPECT_EQ(walk.At(0)->numerator, 4);
  EXPECT_EQ(walk.At(960), nullptr);
  EXPECT_EQ(walk.At(1920)->numerator, 6);
  EXPECT_EQ(walk.At(2147483646), nullptr);
  ASSERT_NE(walk.At(2147483647), nullptr);
  EXPECT_EQ(walk.At(2147483647)->numerator, 3);
}
