// The MML the converter writes: the reference song byte for byte, the parts
// of small songs, the tokens of notes, drum hits and rests, and the rhythm
// kit's tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "converter/rhythm_kit.h"
#include "tests/support/harness.h"

namespace {

TrackBuilder Track() { return TrackBuilder(); }

// The seed corpus's reference song: a conductor track, a melody with a chord
// and a tempo change under a held note, and a drum track that ends early.
TEST(EmissionPass, ReferenceSongByteForByte) {
  Conversion c = RunConverter(SeedFile("song-reference"));
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

// The parts, from the first part's header on (after any rhythm macro block).
TEST(EmissionPass, PartsTemposAndClosingRests) {
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    const char* parts;
  } cases[] = {
      {"V120 without volumes; a short part filled with rests", {Track().Note(0, 1920, 60), Track().Note(0, 480, 64)},
       "A T120V120@0Ll1\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4er2r\r\n\r\n"},
      // The tempo map holds the second track's 480 after the first's 720.
      {"tempo changes are written in the first part where it has an event",
       {Track().Tempo(0, 500000).Note(0, 480, 60).NoteOn(480, 62).Tempo(720, 400000).NoteOff(960, 62),
        Track().NoteOn(0, 64).Tempo(480, 600000).NoteOff(960, 64)},
       "A T120V120@0Ll4\r\nA T100o4cT150d\r\n\r\nB V120@0Ll2\r\nB o4e\r\n\r\n"},
      {"a tempo where the first part has no event is lost",
       {Track().Note(0, 960, 60), Track().NoteOn(0, 64).Tempo(480, 600000).NoteOff(960, 64)},
       "A T120V120@0Ll2\r\nA o4c\r\n\r\nB V120@0Ll2\r\nB o4e\r\n\r\n"},
      {"a part rounded past the end gets no closing rest", {Track().Note(0, 400, 60), Track().Note(0, 440, 64)},
       "A T120V120@0Ll4\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4e\r\n\r\n"},
      {"a meter change splits a held note into untied notes",
       {Track().NoteOn(0, 60).Meter(480, 3, 2).NoteOff(960, 60)}, "A T120V120@0Ll4\r\nA o4cc\r\n\r\n"},
      {"each drum part starts with full macro calls",
       {Track().Note(0, 240, 36, 9).Note(240, 480, 36, 9), Track().Note(0, 240, 36, 9)},
       "A =1\r\nA T120Ll8\r\nA !bg g\r\n\r\nB =1\r\nB Ll8\r\nB !bg r\r\n\r\n"},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(SmfFile(480, c.tracks));
    ASSERT_EQ(out.result, 1) << c.name << "\n" << out.log;
    EXPECT_EQ(out.mml.substr(out.mml.find("A ")), c.parts) << c.name;
    EXPECT_EQ(out.mml.find("A ") != 0, std::strstr(c.parts, "=1") != nullptr) << "the rhythm macro block";
  }
}

// The text of part A after its header line, for one track at division 480.
TEST(MmlWriter, Tokens) {
  struct Case {
    const char* name;
    TrackBuilder track;
    const char* body;
  } cases[] = {
      {"first note writes an absolute octave", Track().Note(0, 480, 60), "A o4c"},
      {"one octave up is >", Track().Note(0, 480, 60).Note(480, 960, 72), "A o4c>c"},
      {"one octave down is <", Track().Note(0, 480, 60).Note(480, 960, 59), "A o4c<b"},
      {"two octaves down is absolute", Track().Note(0, 480, 60).Note(480, 960, 36), "A o4co2c"},
      {"sharps and a dotted quarter as a tie", Track().Note(0, 720, 61), "A o4c+&c+8"},
      {"lowest and highest keys", Track().Note(0, 480, 12).Note(480, 960, 107), "A o0co7b"},
      {"a note across a bar line ends the line after its tie", Track().Note(1440, 2400, 60), "A r2ro4c&\r\nA c"},
      {"two boundaries give one line end", Track().Note(1440, 4320, 60), "A r2ro4c&\r\nA c1&c"},
      {"a filled 3/4 bar breaks after the first piece", Track().Meter(0, 3, 2).Note(0, 1440, 60).Note(1440, 1920, 62),
       "A o4c2&\r\nA cd"},
      {"a long rest ends the line after the whole", Track().Note(2400, 2880, 60), "A r1\r\nA ro4c"},
      {"a note too short writes a 32nd and shortens the next", Track().Note(0, 10, 60).Note(10, 480, 62), "A o4c32d"},
      // The length pass counts every key, so the default becomes the eighth.
      {"out-of-range keys neither end a note nor start a rest",
       Track().NoteOn(0, 60).NoteOn(240, 108).NoteOn(300, 11).NoteOff(480, 60), "A o4c4"},
      {"velocity 0 ends only its own key", Track().NoteOn(0, 60).NoteOn(240, 64, 0).NoteOn(480, 60, 0), "A o4c"},
      {"a later note cuts the sounding one, whose off is then ignored",
       Track().NoteOn(0, 60).NoteOn(240, 64).NoteOff(480, 60).NoteOff(720, 64), "A o4c8e"},
      {"a note still sounding at the end becomes rests", Track().Note(0, 480, 60).NoteOn(480, 62).EndOfTrack(960),
       "A o4cr"},
      {"a dotted hit is two hits, the second a repeat",
       Track().Note(0, 720, 36, 9).Note(720, 960, 38, 9).Note(960, 1200, 38, 9), "A !bg 4g!sg g"},
      {"a rest does not reset the last macro", Track().Note(0, 240, 35, 9).Note(480, 720, 36, 9), "A !bg rg"},
      {"another drum between makes the call full again",
       Track().Note(0, 240, 36, 9).Note(240, 480, 42, 9).Note(480, 720, 36, 9), "A !bg !hg !bg "},
      {"unmapped drum keys are skipped", Track().Note(0, 240, 36, 9).Note(240, 480, 37, 9).Note(480, 720, 36, 9),
       "A !bg rg"},
  };
  for (const Case& c : cases) {
    const std::string mml = RunConverter(SmfFile(480, {c.track})).mml;
    const size_t body = mml.find("\r\n", mml.find("Ll")) + 2;
    EXPECT_EQ(mml.substr(body), c.body + std::string("\r\n\r\n")) << c.name;
  }
}

// Notes five octaves apart, long enough that the text passes several
// 8192-byte blocks of the target: block edges fall inside tokens and line
// prefixes, which must read as anywhere else.
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
  } cases[] = {
      {100, 100, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
      {1, 1, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
      {80, 100, {125, 115, 120, 90, 90, 110, 110, 110, 110, 120}},
      {100, 127, {122, 112, 117, 87, 87, 107, 107, 107, 107, 117}},
      {64, 127, {77, 71, 75, 56, 56, 68, 68, 68, 68, 75}},
      {1, 100, {1, 1, 1, 0, 0, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> got;
    for (int k = 0; k < 10; ++k) got.push_back(MacroVolume(k, c.rhythm, c.max));
    EXPECT_EQ(got, c.volumes) << c.rhythm << "/" << c.max;
  }
}

}  // namespace
