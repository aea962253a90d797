// Cutting durations into length pieces, and the default length of a part.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "converter/change_walk.h"
#include "converter/length_grid.h"
#include "converter/messages.h"
#include "tests/support/harness.h"

namespace {

// The pieces the state's grid gives up to curTick until it gives -1, as
// their written numbers (or length indexes), each followed by "|" when it
// reached a measure boundary and " " when not.
std::string Walk(ConversionState& s, const int32_t* numbers) {
  PieceGrid grid = TakePieceGrid(s);
  std::string out;
  for (int i = grid.Next(s.curTick); i >= 0; i = grid.Next(s.curTick)) {
    out += std::to_string(numbers[i]) + (grid.barBreak ? "|" : " ");
    grid.barBreak = 0;
  }
  GivePieceGrid(s, grid);
  return out;
}

TEST(PieceGrid, CutsDurationsIntoTheNearestLengths) {
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

TEST(PieceGrid, MeasureBoundariesAndLimits) {
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

// The pieces a grid gives up to curTick, each followed by "|" when it raised
// the boundary flag, and the grid as the cutting left it.
std::string Cut(PieceGrid& g, int32_t curTick, bool inOneStep) {
  std::string out;
  PieceGrid unused = g;
  PieceRun run(inOneStep ? g : unused, curTick);
  for (;;) {
    int i = inOneStep ? run.Next() : g.Next(curTick);
    if (i < 0) break;
    out += std::to_string(i) + (g.barBreak ? "|" : " ");
    g.barBreak = 0;
  }
  return out + " written " + std::to_string(g.writtenTick) + " bar " + std::to_string(g.nextBarTick) +
         " left " + std::to_string(g.piecesLeft) + " stop " + std::to_string(g.stopReason);
}

// A short span is taken from the table of cuts in one step; the pieces, the
// boundary flag and the grid must come out as Next cuts them piece by piece,
// at any division, near boundaries, at the budget's end and the largest tick.
TEST(PieceRun, TakesShortSpansAsNextCutsThem) {
  const int32_t divisions[] = {1, 5, 7, 96, 480, 960, 32767};
  struct Start {
    int32_t barTicks, nextBarTick, writtenTick;
    uint32_t piecesLeft;
  } starts[] = {
      {1920, 1920, 0, 100},   {1920, 1920, 1440, 100}, {1440, 2880, 1000, 100},
      {7, 7, 3, 100},         {1920, 1920, 0, 1},      {1920, 1920, 0, 0},
      {0, 0, 0, 100},         {1920, 500, 1000, 100},  {1920, INT32_MAX - 10, INT32_MAX - 3000, 100},
      {1920, INT32_MAX, INT32_MAX - 100, 100},
  };
  std::vector<int32_t> spans;
  for (int32_t r = 0; r <= 130; ++r) spans.push_back(r);
  for (int32_t r : {179, 180, 181, 239, 240, 479, 480, 481, 719, 720, 721, 959, 960, 1439, 1440, 1441,
                    1919, 1920, 1921, 2000, 2880, 3839, 3840, 4095, 4096, 5000})
    spans.push_back(r);
  int cases = 0, taken = 0;
  for (int32_t division : divisions) {
    ConversionState s;
    SetLengthTicks(s, division);
    for (const Start& st : starts) {
      for (int32_t r : spans) {
        if (r > INT32_MAX - st.writtenTick) continue;
        const int32_t curTick = st.writtenTick + r;
        const PieceGrid start = {st.writtenTick, st.nextBarTick, st.barTicks,      0,          st.piecesLeft,
                                 kRunning,       s.lengthTicks,  s.lengthMidpoints, s.spanCuts};
        PieceGrid byNext = start, byRun = start, probe = start;
        ++cases;
        if (probe.TakeSpan(curTick)) ++taken;
        EXPECT_EQ(Cut(byRun, curTick, true), Cut(byNext, curTick, false))
            << "division " << division << ", bar " << st.barTicks << " at " << st.nextBarTick
            << ", from " << st.writtenTick << " for " << r << " ticks";
      }
    }
  }
  // Most of the cases are short spans clear of limits: the table must serve them.
  EXPECT_GT(taken, cases / 3);
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

// The analysis pass counts the lengths as it reads the tracks. Where its
// counts cannot stand for the length pass's (a meter added once the parts
// began, other than at the very start of the part's track; a tempo or meter
// event of another size than the standard one, whose extra bytes only the
// analysis pass reads as events), the length pass reads the parts again:
// three reads of the source instead of two. Either way the target and the
// log are the length pass's own.
TEST(LengthPass, EarlyCountsStandOnlyWhereTheyHold) {
  // Whole notes give "l1" in 4/4. In 3/4 two of them are cut at the
  // boundaries into half, quarter | quarter, half | half: three of each, and
  // the tie goes to the half note, "l2".
  TrackBuilder wholes, meter, meterFirst, meterLater, oddTempo;
  wholes.Note(0, 1920, 60).Note(1920, 3840, 60);
  meter.Meter(0, 3, 2);
  meterFirst.Meter(0, 3, 2).Note(0, 1920, 60).Note(1920, 3840, 60);
  // The meter at 1920 sets the boundary after the first note at 3360: whole,
  // half, quarter | quarter, half | half.
  meterLater.Note(0, 1920, 60).Meter(1920, 3, 2).Note(1920, 3840, 60).Note(3840, 5760, 60);
  // Six tempo bytes: the analysis pass takes three and reads "00 3C 00" as a
  // note-off at tick 480 under running status; the later passes skip them.
  oddTempo.NoteOn(0, 60).Raw(480, {0xFF, 0x51, 6, 0x07, 0xA1, 0x20, 0x00, 60, 0x00});
  oddTempo.NoteOff(1920, 60).Note(1920, 3840, 60);
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    const char* header;
    int reads;
  } cases[] = {
      {"the meter in an earlier track", {meter, wholes}, "Ll2\r\n", 2},
      {"the meter in a later track", {wholes, meter}, "Ll2\r\n", 3},
      {"the meter at the start of the part's own track", {meterFirst}, "Ll2\r\n", 2},
      {"a meter later in the part's own track", {meterLater}, "Ll2\r\n", 3},
      {"a tempo event of six bytes", {oddTempo}, "Ll1\r\n", 3},
  };
  for (const Case& c : cases) {
    const Bytes file = SmfFile(480, c.tracks);
    Conversion early = RunConverter(file), late = RunConverter(file, kMaxPiecesPerPass, false);
    EXPECT_EQ(early.result, 1) << c.name << ": " << early.log;
    EXPECT_NE(early.mml.find(c.header), std::string::npos) << c.name << ": " << early.mml;
    EXPECT_EQ(early.reads, c.reads) << c.name;
    EXPECT_EQ(early.mml, late.mml) << c.name;
    EXPECT_EQ(early.log, late.log) << c.name;
  }
  // A payload past its chunk's stated end: the later passes skip that chunk
  // (not a part) by its stated length, find no chunk after it and fail
  // before any count could run out of a budget of one piece.
  TrackBuilder text;
  text.Meta(0, 0x01, {'x'});
  const Bytes overrun = HeaderChunk(1, 2, 480) + Bytes{'M', 'T', 'r', 'k'} +
                        Be32(static_cast<uint32_t>(text.events().size() - 1)) + text.events() +
                        TrackChunk(wholes);
  Conversion early = RunConverter(overrun, 1), late = RunConverter(overrun, 1, false);
  EXPECT_EQ(early.result, 0);
  EXPECT_EQ(early.log, late.log);
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
