// What the first pass reports and decides: warnings in order, parts accepted
// or dropped, tempo and meter maps shared by all tracks. (Each message also
// has a seed file of its own: see hostile_input_test.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/messages.h"
#include "tests/support/harness.h"

namespace {

std::string T(int n) { return "Track:" + std::to_string(n) + "\n"; }
TrackBuilder Track() { return TrackBuilder(); }

TEST(AnalysisPass, LogsWarningsOncePerTrackInOrder) {
  TrackBuilder tempos;  // a seventeenth and an eighteenth tempo
  for (int i = 0; i < 18; ++i) tempos.Tempo(i * 10, 500000 + i * 10000);
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    std::string log;
  } cases[] = {
      {"keys 12 and 107 are writable", {Track().Note(0, 10, 12).Note(10, 20, 107)}, T(1)},
      {"the out-of-range and drum messages share one flag",
       {Track().Note(0, 10, 108).Note(10, 20, 36, 9).Note(20, 30, 37, 9)}, T(1) + msg::kOutOfOctave},
      {"chords are reported once per track, in every track",
       {Track().NoteOn(0, 60).NoteOn(0, 64).NoteOn(480, 62).NoteOn(480, 65),
        Track().NoteOn(0, 36, 100, 9).NoteOn(0, 42, 100, 9)},
       T(1) + msg::kChord + T(2) + msg::kChord},
      {"an overlapping later note is no chord", {Track().NoteOn(0, 60).NoteOn(240, 64).NoteOff(480, 60)}, T(1)},
      {"velocity-0 notes alone make a track that is not silent", {Track().NoteOn(0, 60, 0)}, T(1)},
      {"tempos equal after division agree; a third conflicts",
       {Track().Tempo(0, 500000), Track().Tempo(0, 499999).Note(0, 480, 60),
        Track().Tempo(0, 500001).Note(0, 480, 60)},
       T(1) + msg::kSilentTrack + T(2) + T(3) + msg::kTempoConflict},
      {"too many tempos are reported once", {tempos.Note(200, 680, 60)}, T(1) + msg::kTooManyTempos},
      {"3/4 then 6/8 at one tick conflict; a repeat agrees",
       {Track().Meter(0, 3, 2).Meter(0, 3, 2).Meter(0, 6, 3).Note(0, 480, 60), Track().Meter(0, 6, 3).Note(0, 480, 60)},
       T(1) + msg::kMeterConflict + T(2) + msg::kMeterConflict},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(SmfFile(480, c.tracks));
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.result, 1) << c.name;
  }
}

// The part headers show what the pass decided: tempo, volumes, rhythm parts.
TEST(AnalysisPass, DecisionsShowInPartHeaders) {
  std::vector<TrackBuilder> tracks = {
      Track().Tempo(0, 700000).Meter(0, 3, 2),
      Track().Volume(0, 100).Note(0, 480, 60),
      Track().Note(0, 480, 60),                     // never sets a volume: V1
      Track().Volume(0, 0, 9).Note(0, 240, 36, 9),  // volume 0 leaves it at 1
      Track().Note(0, 480, 60, 9).Volume(480, 127)  // a drum key without a macro: silent
  };
  Conversion c = RunConverter(SmfFile(480, tracks));
  ASSERT_EQ(c.result, 1) << c.log;
  // The silent drum track set the rhythm flag: the block, at volumes 1 / 100.
  EXPECT_EQ(c.mml.substr(0, 34), "; Rhythm Macro\r\n!!bg @6  V1 ?o4c\r\n");
  EXPECT_EQ(c.mml.substr(c.mml.find("A ")), "A T85V120@0Ll4\r\nA o4c\r\n\r\nB V1@0Ll4\r\nB o4c\r\n\r\n"
                                            "C =1\r\nC Ll8\r\nC !bg r\r\n\r\n");
  // A drum track past the part limit writes no part, but the macro block.
  tracks.assign(6, Track().Note(0, 480, 60));
  tracks.push_back(Track().Note(0, 240, 36, 9));
  c = RunConverter(SmfFile(480, tracks));
  EXPECT_EQ(c.mml.substr(0, 36), "; Rhythm Macro\r\n!!bg @6  V127 ?o4c\r\n");
  EXPECT_EQ(c.mml.find("G "), std::string::npos);
}

}  // namespace
