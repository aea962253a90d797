// What the first pass reports and decides: warnings in order, parts accepted
// or dropped, tempo and meter maps shared by all tracks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "converter/messages.h"
#include "tests/support/harness.h"

namespace {

std::string Track(int n) { return "Track:" + std::to_string(n) + "\n"; }

struct LogCase {
  const char* name;
  std::function<std::vector<TrackBuilder>()> song;
  std::string log;
  int result;
};

TrackBuilder Melody() {
  TrackBuilder t;
  t.Note(0, 480, 60);
  return t;
}

TEST(AnalysisPass, LogsWarningsOncePerTrackInOrder) {
  const std::string silent = msg::kSilentTrack;
  const LogCase cases[] = {
      {"keys 12 and 107 are writable",
       [] { TrackBuilder t; t.Note(0, 10, 12).Note(10, 20, 107); return std::vector<TrackBuilder>{t}; },
       Track(1), 1},
      {"keys 11 and 108 give one out-of-range message",
       [] { TrackBuilder t; t.Note(0, 10, 11).Note(10, 20, 108).Note(20, 30, 60); return std::vector<TrackBuilder>{t}; },
       Track(1) + msg::kOutOfOctave, 1},
      {"mapped drum keys give no warning",
       [] { TrackBuilder t; t.Note(0, 10, 35, 9).Note(10, 20, 36, 9).Note(20, 30, 38, 9); return std::vector<TrackBuilder>{t}; },
       Track(1), 1},
      {"an unmapped drum key is reported once",
       [] { TrackBuilder t; t.Note(0, 10, 36, 9).Note(10, 20, 37, 9).Note(20, 30, 60, 9); return std::vector<TrackBuilder>{t}; },
       Track(1) + msg::kUnsetRhythm, 1},
      {"the out-of-range and drum messages share one flag",
       [] { TrackBuilder t; t.Note(0, 10, 108).Note(10, 20, 36, 9).Note(20, 30, 37, 9); return std::vector<TrackBuilder>{t}; },
       Track(1) + msg::kOutOfOctave, 1},
      {"chords are reported once per track, in every track",
       [] {
         TrackBuilder a, b;
         a.NoteOn(0, 60).NoteOn(0, 64).NoteOn(480, 62).NoteOn(480, 65);
         b.NoteOn(0, 36, 100, 9).NoteOn(0, 42, 100, 9);
         return std::vector<TrackBuilder>{a, b};
       },
       Track(1) + msg::kChord + Track(2) + msg::kChord, 1},
      {"an overlapping later note is no chord",
       [] { TrackBuilder t; t.NoteOn(0, 60).NoteOn(240, 64).NoteOff(480, 60); return std::vector<TrackBuilder>{t}; },
       Track(1), 1},
      {"velocity-0 notes alone make a track that is not silent",
       [] { TrackBuilder t; t.NoteOn(0, 60, 0); return std::vector<TrackBuilder>{t}; },
       Track(1), 1},
      {"tempos equal after division agree; a third conflicts",
       [] {
         TrackBuilder a, b, c;
         a.Tempo(0, 500000);
         b.Tempo(0, 499999).Note(0, 480, 60);
         c.Tempo(0, 500001).Note(0, 480, 60);
         return std::vector<TrackBuilder>{a, b, c};
       },
       Track(1) + silent + Track(2) + Track(3) + msg::kTempoConflict, 1},
      {"a seventeenth tempo is too many, once per track",
       [] {
         TrackBuilder a;
         for (int i = 0; i < 18; ++i) a.Tempo(i * 10, 500000 + i * 10000);
         a.Note(200, 680, 60);
         return std::vector<TrackBuilder>{a};
       },
       Track(1) + msg::kTooManyTempos, 1},
      {"3/4 then 6/8 at one tick conflict; a repeat agrees",
       [] {
         TrackBuilder a, b;
         a.Meter(0, 3, 2).Meter(0, 3, 2).Meter(0, 6, 3).Note(0, 480, 60);
         b.Meter(0, 6, 3).Note(0, 480, 60);
         return std::vector<TrackBuilder>{a, b};
       },
       Track(1) + msg::kMeterConflict + Track(2) + msg::kMeterConflict, 1},
      {"a seventeenth meter is too many",
       [] {
         TrackBuilder a;
         a.Meter(0, 4, 2).Note(0, 480, 60);
         for (int i = 1; i < 17; ++i) a.Meter(i * 1920, 4, 2);
         return std::vector<TrackBuilder>{a};
       },
       Track(1) + msg::kTooManyMeters, 1},
      {"the part limit is logged at the seventh track with notes only",
       [] { return std::vector<TrackBuilder>(8, Melody()); },
       Track(1) + Track(2) + Track(3) + Track(4) + Track(5) + Track(6) + Track(7) +
           msg::kPartLimit + Track(8),
       1},
      {"no track with notes fails the conversion",
       [] { TrackBuilder a; a.Tempo(0, 500000); TrackBuilder b; return std::vector<TrackBuilder>{a, b}; },
       Track(1) + silent + Track(2) + silent + msg::kNoTrackToOutput, 0},
  };
  for (const LogCase& c : cases) {
    Conversion out = RunConverter(SmfFile(480, c.song()));
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.result, c.result) << c.name;
  }
}

// The part header shows what the pass decided: tempo, volumes, rhythm parts.
TEST(AnalysisPass, DecisionsShowInPartHeaders) {
  TrackBuilder conductor, loud, quiet, drums, late;
  conductor.Tempo(0, 700000).Meter(0, 3, 2);
  loud.Volume(0, 100).Note(0, 480, 60);
  quiet.Note(0, 480, 60);                    // never sets a volume: V1
  drums.Volume(0, 0, 9).Note(0, 240, 36, 9); // volume 0 leaves it at 1
  late.Note(0, 480, 60, 9).Volume(480, 127); // a drum key without a macro: silent
  Conversion c = RunConverter(SmfFile(480, {conductor, loud, quiet, drums, late}));
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_NE(c.mml.find("A T85V120@0Ll4\r\n"), std::string::npos) << c.mml;
  EXPECT_NE(c.mml.find("B V1@0Ll4\r\n"), std::string::npos) << c.mml;
  EXPECT_NE(c.mml.find("C =1\r\nC Ll8\r\n"), std::string::npos) << c.mml;
  EXPECT_EQ(c.mml.find("D "), std::string::npos) << c.mml;
  // The silent drum track still set the rhythm flag; volumes 1 / 100.
  EXPECT_EQ(c.mml.find("; Rhythm Macro\r\n!!bg @6  V1 ?o4c\r\n"), 0u) << c.mml;
}

TEST(AnalysisPass, DroppedDrumTrackStillWritesMacroBlock) {
  std::vector<TrackBuilder> tracks(6, Melody());
  TrackBuilder drums;
  drums.Note(0, 240, 36, 9);
  tracks.push_back(drums);
  Conversion c = RunConverter(SmfFile(480, tracks));
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_EQ(c.mml.rfind("; Rhythm Macro\r\n!!bg @6  V127 ?o4c\r\n", 0), 0u) << c.mml;
  EXPECT_EQ(c.mml.find("G "), std::string::npos);
}

}  // namespace
