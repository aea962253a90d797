// Whole-file output of the converter for small hand-built songs.
#include <gtest/gtest.h>

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

}  // namespace
