// The MML the converter writes: the reference song byte for byte, the parts
// of small songs, and the rhythm kit's tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/messages.h"
#include "converter/rhythm_kit.h"
#include "tests/kit/harness.h"

namespace {

TrackBuilder Track() { return TrackBuilder(); }

// The seed corpus's reference song: a conductor track, a melody with a chord
// and a tempo change under a held note, and a drum track that ends early (its
// macros at volume 80 of 100, full calls, repeats after rests, closing rests).
TEST(EmissionPass, ReferenceSongByteForByte) {
  Conversion c = RunConverter(SeedFile("song-reference"));
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_EQ(c.mml,
            "; Rhythm Macro\r\n"
            "!!bg @6  V125 ?o4c\r\n!!Sg @7  V115 ?o4c\r\n!!sg @8  V120 ?o4c\r\n!!og @9  V90 ?o4c\r\n"
            "!!hg @10 V90 ?o4c\r\n!!cg @11 V110 ?o4c\r\n!!tg @13 V110 ?o4c\r\n!!ug @14 V110 ?o4c\r\n"
            "!!vg @15 V110 ?o4c\r\n!!Cg @16 V120 ?o4c\r\n\r\n"
            "A T120V120@0Ll4\r\nA o4cegr8T150a8&\r\nA a>c\r\n\r\n"
            "B =1\r\nB Ll8\r\nB !bg r!sg r!bg rgr\r\nB r2\r\n\r\n");
}

// Small songs: the log (each warning once per track, in order) and the parts;
// the rhythm macro block comes before them exactly when a part is a drum part.
TEST(Converter, SmallSongsLogAndParts) {
  const std::string t1 = Tracks(1, 1), t2 = Tracks(1, 2), a4 = "A T120V120@0Ll4\r\nA ", end = "\r\n\r\n";
  TrackBuilder tempos, drums;  // a seventeenth and an eighteenth tempo; eighths of keys 34 to 60, 81, 82
  for (int i = 0; i < 18; ++i) tempos.Tempo(i * 10, 500000 + i * 10000);
  for (int k = 34; k <= 62; ++k) drums.Note((k - 34) * 240, (k - 33) * 240, k <= 60 ? k : k + 20, 9);
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    std::string log, parts;
  } cases[] = {
      {"out-of-range and drum messages share one flag",
       {Track().Note(0, 480, 108).Note(480, 960, 36, 9).Note(960, 1440, 37, 9)}, t1 + msg::kOutOfOctave,
       "A =1\r\nA T120Ll4\r\nA r!bg r" + end},
      {"chords are reported once per track, in every track",
       {Track().NoteOn(0, 60).NoteOn(0, 64).NoteOn(480, 62).NoteOn(480, 65),
        Track().NoteOn(0, 36, 100, 9).NoteOn(0, 42, 100, 9)},
       t1 + msg::kChord + Tracks(2, 2) + msg::kChord, a4 + "o4c\r\n\r\nB =1\r\nB Ll4\r\nB r" + end},
      {"velocity 0 ends only its own key, and leaves a chord a chord",
       {Track().NoteOn(0, 60).NoteOn(0, 64, 0).NoteOn(0, 67).NoteOn(240, 64, 0).NoteOn(480, 60, 0)},
       t1 + msg::kChord, a4 + "o4c" + end},
      {"velocity-0 notes alone make a track that is not silent", {Track().NoteOn(0, 60, 0)}, t1, a4 + end},
      {"tempos equal after division agree; a third conflicts",
       {Track().Tempo(0, 500000), Track().Tempo(0, 499999).Note(0, 480, 60), Track().Tempo(0, 500001).Note(0, 480, 60)},
       t1 + msg::kSilentTrack + Tracks(2, 3) + msg::kTempoConflict, a4 + "o4c\r\n\r\nB V120@0Ll4\r\nB o4c" + end},
      {"too many tempos are reported once", {tempos.Note(200, 680, 60)}, t1 + msg::kTooManyTempos,
       a4 + "T117T115T113T111T109T107T105T103T101T100T98T96T95T93T92r8o4c" + end},
      {"3/4 then 6/8 at one tick conflict; a repeat agrees",
       {Track().Meter(0, 3, 2).Meter(0, 3, 2).Meter(0, 6, 3).Note(0, 480, 60), Track().Meter(0, 6, 3).Note(0, 480, 60)},
       t1 + msg::kMeterConflict + Tracks(2, 2) + msg::kMeterConflict, a4 + "o4c\r\n\r\nB V120@0Ll4\r\nB o4c" + end},
      {"V120 without volumes; a short part filled with rests", {Track().Note(0, 1920, 60), Track().Note(0, 480, 64)},
       t2, "A T120V120@0Ll1\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4er2r" + end},
      // The tempo map holds the second track's 480 after the first's 720.
      {"tempo changes are written in the first part where it has an event",
       {Track().Tempo(0, 500000).Note(0, 480, 60).NoteOn(480, 62).Tempo(720, 400000).NoteOff(960, 62),
        Track().NoteOn(0, 64).Tempo(480, 600000).NoteOff(960, 64)},
       t2, a4 + "T100o4cT150d\r\n\r\nB V120@0Ll2\r\nB o4e" + end},
      {"a tempo where the first part has no event is lost",
       {Track().Note(0, 960, 60), Track().NoteOn(0, 64).Tempo(480, 600000).NoteOff(960, 64)}, t2,
       "A T120V120@0Ll2\r\nA o4c\r\n\r\nB V120@0Ll2\r\nB o4e" + end},
      {"no closing rest for a part rounded past the end", {Track().Note(0, 400, 60), Track().Note(0, 440, 64)}, t2,
       a4 + "o4c\r\n\r\nB V120@0Ll4\r\nB o4e" + end},
      {"a meter change splits a held note", {Track().NoteOn(0, 60).Meter(480, 3, 2).NoteOff(960, 60)}, t1,
       a4 + "o4cc" + end},
      {"each drum part starts with full macro calls",
       {Track().Note(0, 240, 36, 9).Note(240, 480, 36, 9), Track().Note(0, 240, 36, 9)}, t2,
       "A =1\r\nA T120Ll8\r\nA !bg g\r\n\r\nB =1\r\nB Ll8\r\nB !bg r" + end},
      {"octaves: absolute first, > and < for one, absolute for more; lowest and highest keys",
       {Track().Note(0, 480, 60).Note(480, 960, 72).Note(960, 1440, 71).Note(1440, 1920, 47).Note(1920, 2400, 12)
            .Note(2400, 2880, 107)},
       t1, a4 + "o4c>c<bo2b\r\nA o0co7b" + end},
      {"sharps; a quarter and a 16th as a tie", {Track().Note(0, 600, 61)}, t1, a4 + "o4c+&c+16" + end},
      {"a tie across a bar line ends the line", {Track().Note(1440, 2400, 60)}, t1, a4 + "r2ro4c&\r\nA c" + end},
      {"two boundaries give one line end", {Track().Note(1440, 4320, 60)}, t1, a4 + "r2ro4c&\r\nA c1&c" + end},
      {"a filled 3/4 bar breaks after the first piece", {Track().Meter(0, 3, 2).Note(0, 1440, 60).Note(1440, 1920, 62)},
       t1, a4 + "o4c2&\r\nA cd" + end},
      {"a long rest ends the line after the whole", {Track().Note(2400, 2880, 60)}, t1, a4 + "r1\r\nA ro4c" + end},
      {"a note too short is a 32nd and shortens the next", {Track().Note(0, 10, 60).Note(10, 480, 62)}, t1,
       a4 + "o4c32d" + end},
      // The length pass counts every key, so the default becomes the eighth.
      {"out-of-range keys neither end a note nor start a rest",
       {Track().NoteOn(0, 60).NoteOn(240, 108).NoteOn(300, 11).NoteOff(480, 60)}, t1 + msg::kOutOfOctave,
       "A T120V120@0Ll8\r\nA o4c4" + end},
      {"a later note cuts the sounding one, whose off is then ignored",
       {Track().NoteOn(0, 60).NoteOn(240, 64).NoteOff(480, 60).NoteOff(720, 64)}, t1, a4 + "o4c8e" + end},
      {"a note sounding at the end becomes rests", {Track().Note(0, 480, 60).NoteOn(480, 62).EndOfTrack(960)}, t1,
       a4 + "o4cr" + end},
      {"a dotted hit is two hits, the second a repeat",
       {Track().Note(0, 720, 36, 9).Note(720, 960, 38, 9).Note(960, 1200, 38, 9)}, t1,
       "A =1\r\nA T120Ll8\r\nA !bg 4g!sg g" + end},
      {"each drum key's macro; unmapped keys are skipped, and rests keep the last macro", {drums},
       t1 + msg::kUnsetRhythm,
       "A =1\r\nA T120Ll8\r\nA r!bg gr!sg !Cg !Sg !vg \r\nA !hg !tg !hg !vg !og !ug g!cg \r\nA rggr4grg\r\n"
       "A rgr4r" + end},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(SmfFile(480, c.tracks));
    EXPECT_EQ(out.result, 1) << c.name;
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.mml.substr(out.mml.find("A ")), c.parts) << c.name;
    EXPECT_EQ(out.mml.find("A ") != 0, c.parts.find("=1") != std::string::npos) << c.name << ": rhythm macros";
  }
}

// The part headers show what the analysis decided: tempo, volumes, rhythm
// parts, and the macro block's volumes (rhythm 1 of loudest 100 here).
TEST(Converter, DecisionsShowInPartHeaders) {
  std::vector<TrackBuilder> tracks = {
      Track().Tempo(0, 700000).Meter(0, 3, 2),
      Track().Volume(0, 100).Note(0, 480, 60),
      Track().Note(0, 480, 60),                     // never sets a volume: V1
      Track().Volume(0, 0, 9).Note(0, 240, 36, 9),  // volume 0 leaves it at 1
      Track().Note(0, 480, 60, 9).Volume(480, 127)  // a drum key without a macro: silent, yet a drum track
  };
  Conversion c = RunConverter(SmfFile(480, tracks));
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

// Notes five octaves apart over several 8192-byte blocks of the target: edges
// inside tokens and line prefixes read as anywhere else.
TEST(MmlWriter, TokensAcrossBlockEdges) {
  for (int lowKey : {36, 37}) {
    TrackBuilder t;
    std::string bar, name = lowKey == 36 ? "c" : "c+";
    for (int i = 0; i < 16; ++i) bar += (i % 2 ? "o7" : "o2") + name;
    std::string expected = "A " + bar;
    for (int i = 0; i < 1000 * 16; ++i) t.Note(i * 120, (i + 1) * 120, lowKey + (i % 2) * 60);
    for (int b = 1; b < 1000; ++b) expected += "\r\nA " + bar;
    const std::string mml = RunConverter(SmfFile(480, {t})).mml;
    EXPECT_EQ(mml.substr(mml.find("\r\n", mml.find("Ll")) + 2), expected + "\r\n\r\n") << name;
  }
}

TEST(RhythmKit, VolumesScaleToTheLoudestPart) {
  struct Case {
    int32_t rhythm, max;
    std::vector<int32_t> volumes;
  } cases[] = {{100, 100, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
               {1, 1, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
               {100, 127, {122, 112, 117, 87, 87, 107, 107, 107, 107, 117}},
               {64, 127, {77, 71, 75, 56, 56, 68, 68, 68, 68, 75}},
               {1, 100, {1, 1, 1, 0, 0, 1, 1, 1, 1, 1}}};
  for (const Case& c : cases) {
    std::vector<int32_t> got;
    for (int k = 0; k < 10; ++k) got.push_back(MacroVolume(k, c.rhythm, c.max));
    EXPECT_EQ(got, c.volumes) << c.rhythm << "/" << c.max;
  }
}

}  // namespace
