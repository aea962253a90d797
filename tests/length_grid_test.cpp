// Cutting durations into length pieces, and the default length of a part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/length_grid.h"
#include "tests/support/harness.h"

namespace {

// A state with the length table of the division and no measure boundary
// anywhere near.
void Prepare(ConversionState& s, int32_t division) {
  SetLengthTicks(s, division);
  s.barTicks = 1 << 28;
  s.nextBarTick = 1 << 28;
  s.piecesLeft = kMaxPiecesPerPass;
}

// The written numbers of the pieces that cover `remaining` ticks from 0.
std::string Pieces(ConversionState& s, int32_t remaining) {
  s.curTick = s.writtenTick + remaining;
  std::string out;
  for (int i = NextLength(s); i >= 0; i = NextLength(s)) {
    if (!out.empty()) out += ",";
    out += std::to_string(lengthValues[i]);
  }
  return out;
}

TEST(NextLength, CutsDurationsAtDivision480) {
  struct Case {
    int32_t remaining;
    const char* pieces;
    int32_t advance;
  } cases[] = {
      {1, "32", 60},       {60, "32", 60},       {89, "32,32", 120},  {91, "16", 120},
      {180, "16,32", 180}, {400, "4", 480},      {720, "4,8", 720},   {721, "2", 960},
      {1440, "2,4", 1440}, {1441, "1", 1920},    {1920, "1", 1920},   {2000, "1,32,32", 2040},
  };
  for (const Case& c : cases) {
    ConversionState s;
    Prepare(s, 480);
    EXPECT_EQ(Pieces(s, c.remaining), c.pieces) << c.remaining;
    EXPECT_EQ(s.writtenTick, c.advance) << c.remaining;
  }
}

TEST(NextLength, LengthTableTruncates) {
  struct Case {
    int32_t division;
    std::vector<int32_t> ticks;
  } cases[] = {
      {480, {1920, 960, 480, 240, 120, 60}},
      {96, {384, 192, 96, 48, 24, 12}},
      {100, {400, 200, 100, 50, 25, 12}},
      {1, {4, 2, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ConversionState s;
    SetLengthTicks(s, c.division);
    EXPECT_EQ(std::vector<int32_t>(s.lengthTicks, s.lengthTicks + 6), c.ticks) << c.division;
  }
}

TEST(NextLength, NeverPicksAZeroTickLength) {
  ConversionState s;
    Prepare(s, 1);
  EXPECT_EQ(Pieces(s, 7), "1,2,4");  // 4, 2 and 1 tick
  EXPECT_EQ(s.writtenTick, 7);
  ConversionState t;
    Prepare(t, 1);
  EXPECT_EQ(Pieces(t, 1), "4");
  EXPECT_EQ(t.writtenTick, 1);
}

TEST(NextLength, RoundedPieceShortensWhatFollows) {
  ConversionState s;
    Prepare(s, 480);
  EXPECT_EQ(Pieces(s, 400), "4");       // written up to 480
  EXPECT_EQ(Pieces(s, 80 - 80), "");    // an event at 400: nothing left
  s.curTick = 480;
  EXPECT_EQ(NextLength(s), -1);         // up to 480: already covered
  s.curTick = 500;
  EXPECT_EQ(NextLength(s), 5);          // 20 ticks still give a 32nd
}

TEST(NextLength, CutsAtMeasureBoundaryAndSetsBreak) {
  ConversionState s;
    Prepare(s, 480);
  s.barTicks = 1920;
  s.nextBarTick = 1920;
  s.writtenTick = 1440;
  s.curTick = 2400;
  EXPECT_EQ(NextLength(s), 2);
  EXPECT_EQ(s.writtenTick, 1920);
  EXPECT_EQ(s.barBreak, 1);
  EXPECT_EQ(s.nextBarTick, 3840);
  s.barBreak = 0;
  EXPECT_EQ(NextLength(s), 2);
  EXPECT_EQ(s.barBreak, 0);
}

TEST(NextLength, ZeroMeasureSwitchesLimitOffButBreaksEveryPiece) {
  ConversionState s;
    Prepare(s, 480);
  s.barTicks = 0;
  s.nextBarTick = 0;
  s.curTick = 2400;
  EXPECT_EQ(NextLength(s), 0);
  EXPECT_EQ(s.barBreak, 1);
  s.barBreak = 0;
  EXPECT_EQ(NextLength(s), 2);
  EXPECT_EQ(s.barBreak, 1);
  EXPECT_EQ(s.nextBarTick, 0);
}

TEST(NextLength, StopsAtPieceBoundAndTickOverflow) {
  ConversionState s;
    Prepare(s, 480);
  s.piecesLeft = 2;
  s.curTick = 1920 * 10;
  EXPECT_EQ(NextLength(s), 0);
  EXPECT_EQ(NextLength(s), 0);
  EXPECT_EQ(NextLength(s), -1);
  EXPECT_EQ(s.stopReason, kTooManyPieces);

  ConversionState t;
    Prepare(t, 480);
  t.barTicks = 0;
  t.writtenTick = 2147483647 - 100;
  t.curTick = 2147483647;
  EXPECT_EQ(NextLength(t), -1);
  EXPECT_EQ(t.stopReason, kTickOverflow);
}

TEST(MeasureTicks, FromTimeSignature) {
  EXPECT_EQ(MeasureTicks(480, 4, 4), 1920);
  EXPECT_EQ(MeasureTicks(480, 3, 4), 1440);
  EXPECT_EQ(MeasureTicks(480, 6, 8), 1440);
  EXPECT_EQ(MeasureTicks(480, 5, 16), 600);
  EXPECT_EQ(MeasureTicks(480, 0, 4), 0);
  EXPECT_EQ(MeasureTicks(32767, 255, static_cast<int32_t>(1u << 31)), 0);
}

// The default length chosen for a melody of consecutive notes, as the part
// header shows it.
std::string DefaultLengthOf(const std::vector<int32_t>& durations) {
  TrackBuilder t;
  int32_t tick = 0;
  for (int32_t d : durations) {
    t.Note(tick, tick + d, 60);
    tick += d;
  }
  t.EndOfTrack(tick);
  Conversion c = RunConverter(SmfFile(480, {t}));
  size_t l = c.mml.find("Ll");
  size_t end = c.mml.find("\r\n", l);
  return l == std::string::npos ? "" : c.mml.substr(l + 2, end - l - 2);
}

TEST(LengthPass, MostFrequentPieceBecomesDefault) {
  struct Case {
    std::vector<int32_t> durations;
    const char* expected;
  } cases[] = {
      {{1920, 960, 480, 480}, "4"},               // 1,1,2,0,0,0
      // Durations stay inside 4/4 measures, so each note is one piece.
      {{1920, 1920, 1920, 480, 480, 480}, "4"},   // 3,0,3: the quarter wins a tie
      {{960, 960, 960, 240, 240, 240}, "2"},      // 0,3,0,3: the longest of a tie
      {{240, 120, 240, 120, 480}, "8"},           // 0,0,1,2,2: eighth before 16th
      {{60, 60, 60}, "32"},
      {{}, "4"},
  };
  for (const Case& c : cases) {
    std::string got = DefaultLengthOf(c.durations);
    if (c.durations.empty()) {
      EXPECT_EQ(got, "") << "a file without notes has no part";
      continue;
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(LengthPass, HeldNoteThatNeverEndsKeepsQuarter) {
  TrackBuilder t;
  t.NoteOn(0, 60).NoteOn(0, 64).Raw(3000, {0xB0, 1, 0});
  Conversion c = RunConverter(SmfFile(480, {t}));
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_NE(c.mml.find("Ll4\r\n"), std::string::npos) << c.mml;
}

}  // namespace
