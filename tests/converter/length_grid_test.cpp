// Cutting durations into length pieces, and the default length of a part.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "converter/change_walk.h"
#include "converter/length_grid.h"
#include "tests/kit/harness.h"

namespace {

// The pieces a grid gives up to curTick, as their written lengths each
// followed by "|" when it raised the boundary flag: cut piece by piece with
// Next, or through a PieceRun, which takes short spans from the table of cuts.
std::string Cut(PieceGrid& g, int32_t curTick, bool inOneStep) {
  std::string out;
  PieceGrid unused = g;
  PieceRun run(inOneStep ? g : unused, curTick);
  for (int i; (i = inOneStep ? run.Next() : g.Next(curTick)) >= 0; g.barBreak = 0)
    out += std::to_string(lengthValues[i]) + (g.barBreak ? "|" : " ");
  return out;
}

PieceGrid Grid(const ConversionState& s, int32_t barTicks, int32_t nextBarTick, int32_t writtenTick, uint32_t left) {
  return {writtenTick, nextBarTick, barTicks, 0, left, kRunning, s.lengthTicks, s.lengthMidpoints, s.spanCuts};
}

TEST(PieceGrid, CutsTheNearestLengthsUpToBoundariesAndLimits) {
  const int32_t kFar = 1 << 28;
  struct Case {
    int32_t division, curTick;
    const char* pieces;
    int32_t endTick, stopReason = kRunning, barTicks = kFar, nextBarTick = kFar, writtenTick = 0;
    uint32_t piecesLeft = 100;
  } cases[] = {
      {480, 1, "32 ", 60},       {480, 60, "32 ", 60},   {480, 89, "32 32 ", 120}, {480, 91, "16 ", 120},
      {480, 180, "16 32 ", 180}, {480, 400, "4 ", 480},  {480, 720, "4 8 ", 720},  {480, 721, "2 ", 960},
      {480, 1440, "2 4 ", 1440}, {480, 1441, "1 ", 1920}, {480, 1920, "1 ", 1920}, {480, 2000, "1 32 32 ", 2040},
      // Lengths of 28, 14, 7, 3, 1, 0 ticks: midpoints between ticks, a 0-tick 32nd.
      {7, 5, "8 16 16 ", 5},     {7, 11, "2 ", 14},
      {1, 7, "1 2 4 ", 7},       {1, 1, "4 ", 1},  // 4, 2, 1, 0, 0 and 0 ticks
      // A boundary cuts the piece; without measures every piece breaks; the
      // piece budget; the largest tick, for a piece and for the next boundary.
      {480, 2400, "4|4 ", 2400, kRunning, 1920, 1920, 1440, 9},
      {480, 2400, "1|4|", 2400, kRunning, 0, 0, 0, 9},
      {480, 19200, "1|1|", 3840, kTooManyPieces, 0, 0, 0, 2},
      {480, INT32_MAX, "1|", INT32_MAX, kRunning, 0, 0, INT32_MAX - 1920, 9},
      {480, INT32_MAX, "", INT32_MAX - 100, kTickOverflow, 0, 0, INT32_MAX - 100, 9},
      {480, INT32_MAX, "", INT32_MAX - 1000, kTickOverflow, 1920, INT32_MAX - 1000, INT32_MAX - 1480, 9},
  };
  for (const Case& c : cases) {
    ConversionState s;
    SetLengthTicks(s, c.division);
    for (bool inOneStep : {false, true}) {
      PieceGrid g = Grid(s, c.barTicks, c.nextBarTick, c.writtenTick, c.piecesLeft);
      EXPECT_EQ(Cut(g, c.curTick, inOneStep), c.pieces) << c.division << ": " << c.curTick << " " << inOneStep;
      EXPECT_EQ(g.writtenTick, c.endTick) << c.division << ": " << c.curTick << " " << inOneStep;
      EXPECT_EQ(g.stopReason, c.stopReason) << c.division << ": " << c.curTick << " " << inOneStep;
    }
  }
  const int32_t meters[][4] = {{480, 4, 4, 1920}, {480, 3, 4, 1440}, {480, 6, 8, 1440},
                               {480, 5, 16, 600}, {480, 0, 4, 0},    {32767, 255, INT32_MIN, 0}};
  for (const auto& m : meters) EXPECT_EQ(MeasureTicks(m[0], m[1], m[2]), m[3]) << m[1] << "/" << m[2];
}

// A short span taken from the table of cuts comes out as Next cuts it: any
// division, near boundaries, the budget's end and the largest tick.
TEST(PieceRun, TakesShortSpansAsNextCutsThem) {
  struct Start {
    int32_t barTicks, nextBarTick, writtenTick;
    uint32_t piecesLeft;
  } starts[] = {{1920, 1920, 0, 100}, {1920, 1920, 1440, 100}, {1440, 2880, 1000, 100}, {7, 7, 3, 100},
                {1920, 1920, 0, 1},   {1920, 1920, 0, 0},      {0, 0, 0, 100},          {1920, 500, 1000, 100},
                {1920, INT32_MAX - 10, INT32_MAX - 3000, 100}, {1920, INT32_MAX, INT32_MAX - 100, 100}};
  std::vector<int32_t> spans;
  for (int32_t r = 0; r <= 130; ++r) spans.push_back(r);
  for (int32_t r : {179, 180, 181, 239, 240, 479, 480, 481, 719, 720, 721, 959, 960, 1439, 1440, 1441,
                    1919, 1920, 1921, 2000, 2880, 3839, 3840, 4095, 4096, 5000})
    spans.push_back(r);
  auto fields = [](const PieceGrid& g) {
    return std::to_string(g.writtenTick) + " bar " + std::to_string(g.nextBarTick) + " left " +
           std::to_string(g.piecesLeft) + " stop " + std::to_string(g.stopReason);
  };
  int cases = 0, taken = 0;
  for (int32_t division : {1, 5, 7, 96, 480, 960, 32767}) {
    ConversionState s;
    SetLengthTicks(s, division);
    for (const Start& st : starts) {
      for (int32_t r : spans) {
        if (r > INT32_MAX - st.writtenTick) continue;
        const int32_t curTick = st.writtenTick + r;
        PieceGrid byNext = Grid(s, st.barTicks, st.nextBarTick, st.writtenTick, st.piecesLeft);
        PieceGrid byRun = byNext, probe = byNext;
        ++cases;
        if (probe.TakeSpan(curTick)) ++taken;
        EXPECT_EQ(Cut(byRun, curTick, true) + fields(byRun), Cut(byNext, curTick, false) + fields(byNext))
            << "division " << division << ", bar " << st.barTicks << " at " << st.nextBarTick
            << ", from " << st.writtenTick << " for " << r << " ticks";
      }
    }
  }
  // Most of the cases are short spans clear of limits: the table must serve them.
  EXPECT_GT(taken, cases / 3);
}

// Consecutive notes of the given lengths from tick 0, after what the track holds.
TrackBuilder Legato(const std::vector<int32_t>& durations, TrackBuilder t = TrackBuilder()) {
  int32_t tick = 0;
  for (int32_t d : durations) {
    t.Note(tick, tick + d, 60);
    tick += d;
  }
  return t;
}

// The default length: the most frequent piece, counted as the analysis pass reads,
// or again by the length pass where those counts cannot hold (a meter after the
// parts began, a tempo or meter event of an odd size): three reads, the same output.
TEST(LengthPass, MostFrequentPieceBecomesDefaultCountedEarlyWhereTheCountsHold) {
  // In 3/4 whole notes are cut into half, quarter | quarter, half | half:
  // three of each, and the tie goes to the half.
  const TrackBuilder wholes = Legato({1920, 1920}), meter = TrackBuilder().Meter(0, 3, 2);
  TrackBuilder meterLater = Legato({1920}), oddTempo;
  meterLater.Meter(1920, 3, 2).Note(1920, 3840, 60).Note(3840, 5760, 60);
  // Six tempo bytes: the analysis pass takes three and reads "00 3C 00" as a
  // note-off at tick 480 under running status; the later passes skip them.
  oddTempo.NoteOn(0, 60).Raw(480, {0xFF, 0x51, 6, 0x07, 0xA1, 0x20, 0x00, 60, 0x00}).NoteOff(1920, 60);
  oddTempo.Note(1920, 3840, 60);
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    const char* header;
    int reads;
  } cases[] = {
      {"3,0,3: the quarter wins a tie", {Legato({1920, 1920, 1920, 480, 480, 480})}, "@0Ll4\r\n", 2},
      {"0,3,0,3: the longest of a tie", {Legato({960, 960, 960, 240, 240, 240})}, "@0Ll2\r\n", 2},
      {"0,0,1,2,2: eighth before 16th", {Legato({240, 120, 240, 120, 480})}, "@0Ll8\r\n", 2},
      {"32nds", {Legato({60, 60, 60})}, "@0Ll32\r\n", 2},
      {"the meter in an earlier track", {meter, wholes}, "Ll2\r\n", 2},
      {"the meter in a later track", {wholes, meter}, "Ll2\r\n", 3},
      {"the meter at the start of the part's own track", {Legato({1920, 1920}, meter)}, "Ll2\r\n", 2},
      {"a meter later in the part's own track", {meterLater}, "Ll2\r\n", 3},
      {"a tempo event of six bytes", {oddTempo}, "Ll1\r\n", 3},
  };
  for (const Case& c : cases) {
    const Bytes file = SmfFile(480, c.tracks);
    Conversion early = RunConverter(file), late = RunConverter(file, kMaxPiecesPerPass, false);
    EXPECT_EQ(early.result, 1) << c.name << ": " << early.log;
    EXPECT_NE(early.mml.find(c.header), std::string::npos) << c.name << ": " << early.mml;
    EXPECT_EQ(early.reads, c.reads) << c.name;
    EXPECT_TRUE(early.mml == late.mml && early.log == late.log) << c.name << ": counted early and late";
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
