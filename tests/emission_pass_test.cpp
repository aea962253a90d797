// Whole-file output of the converter for small hand-built songs.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/harness.h"

namespace {

// The reference song: a conductor track, a melody with a chord and a tempo
// change under a held note, and a drum track that ends early.
Bytes ReferenceSong() {
  TrackBuilder conductor;
  conductor.Tempo(0, 500000).Meter(0, 4, 2).Tempo(2400, 400000).EndOfTrack(2400);
  TrackBuilder melody;
  melody.Volume(0, 100)
      .Note(0, 480, 60)
      .Note(480, 960, 64)
      .NoteOn(960, 67)
      .NoteOn(960, 71)
      .NoteOff(1440, 67)
      .NoteOff(1440, 71)
      .Note(1680, 2400, 69)
      .Note(2400, 2880, 72)
      .EndOfTrack(2880);
  TrackBuilder drums;
  drums.Volume(0, 80, 9)
      .Note(0, 240, 36, 9)
      .Note(480, 720, 38, 9)
      .Note(960, 1200, 36, 9)
      .Note(1440, 1680, 36, 9)
      .EndOfTrack(1920);
  return SmfFile(480, {conductor, melody, drums});
}

TEST(EmissionPass, ReferenceSongByteForByte) {
  Conversion c = RunConverter(ReferenceSong());
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_EQ(c.mml,
            "; Rhythm Macro\r\n"
            "!!bg @6  V125 ?o4c\r\n"
            "!!Sg @7  V115 ?o4c\r\n"
            "!!sg @8  V120 ?o4c\r\n"
            "!!og @9  V90 ?o4c\r\n"
            "!!hg @10 V90 ?o4c\r\n"
            "!!cg @11 V110 ?o4c\r\n"
            "!!tg @13 V110 ?o4c\r\n"
            "!!ug @14 V110 ?o4c\r\n"
            "!!vg @15 V110 ?o4c\r\n"
            "!!Cg @16 V120 ?o4c\r\n"
            "\r\n"
            "A T120V120@0Ll4\r\n"
            "A o4cegr8T150a8&\r\n"
            "A a>c\r\n"
            "\r\n"
            "B =1\r\n"
            "B Ll8\r\n"
            "B !bg r!sg r!bg rgr\r\n"
            "B r2\r\n"
            "\r\n");
  EXPECT_EQ(c.log, "Track:1\n無音トラックです。\nTrack:2\n和音が存在しますので、正しく出力されません。\nTrack:3\n");
}

struct SongCase {
  const char* name;
  std::vector<TrackBuilder> tracks;
  const char* mml;
};

TrackBuilder Track() { return TrackBuilder(); }

TEST(EmissionPass, PartsTemposAndClosingRests) {
  const SongCase cases[] = {
      {"no volume anywhere: every melodic part at V120",
       {Track().Note(0, 480, 60), Track().Note(0, 480, 64)},
       "A T120V120@0Ll4\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4e\r\n\r\n"},
      {"a short part is filled with rests up to the longest",
       {Track().Note(0, 1920, 60), Track().Note(0, 480, 64)},
       "A T120V120@0Ll1\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4er2r\r\n\r\n"},
      {"a tempo change is written in the first part where it has an event",
       {Track().Tempo(0, 500000).Note(0, 480, 60).Tempo(480, 600000).NoteOn(480, 62)
            .Tempo(720, 400000).NoteOff(960, 62),
        Track().Note(0, 960, 64)},
       "A T120V120@0Ll4\r\nA T100o4cT150d\r\n\r\nB V120@0Ll2\r\nB o4e\r\n\r\n"},
      {"a tempo where the first part has no event is lost",
       {Track().Note(0, 960, 60), Track().NoteOn(0, 64).Tempo(480, 600000).NoteOff(960, 64)},
       "A T120V120@0Ll2\r\nA o4c\r\n\r\nB V120@0Ll2\r\nB o4e\r\n\r\n"},
      {"a part rounded past the end gets no closing rest",
       {Track().Note(0, 400, 60), Track().Note(0, 440, 64)},
       "A T120V120@0Ll4\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4e\r\n\r\n"},
      {"a meter change splits a held note into untied notes",
       {Track().NoteOn(0, 60).Meter(480, 3, 2).NoteOff(960, 60)},
       "A T120V120@0Ll4\r\nA o4cc\r\n\r\n"},
  };
  for (const SongCase& c : cases) {
    Conversion out = RunConverter(SmfFile(480, c.tracks));
    ASSERT_EQ(out.result, 1) << c.name << "\n" << out.log;
    EXPECT_EQ(out.mml, c.mml) << c.name;
  }
}

TEST(EmissionPass, DrumOnlyFileHeader) {
  TrackBuilder drums;
  drums.Note(0, 240, 36, 9).Note(240, 480, 36, 9);
  Conversion out = RunConverter(SmfFile(480, {drums}));
  ASSERT_EQ(out.result, 1) << out.log;
  size_t part = out.mml.find("A =1");
  ASSERT_NE(part, std::string::npos);
  EXPECT_EQ(out.mml.substr(part), "A =1\r\nA T120Ll8\r\nA !bg g\r\n\r\n");
}

}  // namespace
