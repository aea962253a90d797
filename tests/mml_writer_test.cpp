// Notes, drum hits and rests as MML tokens: octaves, ties, default lengths
// and the line breaks at measure boundaries.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/harness.h"

namespace {

// The text of part A after its header line, for a one-track song at
// division 480 in 4/4 unless the track sets a meter.
std::string PartBody(const TrackBuilder& track) {
  Conversion c = RunConverter(SmfFile(480, {track}));
  EXPECT_EQ(c.result, 1) << c.log;
  size_t header = c.mml.find("Ll");
  if (header == std::string::npos) return "";
  return c.mml.substr(c.mml.find("\r\n", header) + 2);
}

struct TokenCase {
  const char* name;
  std::function<void(TrackBuilder&)> song;
  const char* body;
};

TEST(MmlWriter, MelodicTokens) {
  const TokenCase cases[] = {
      {"first note writes an absolute octave",
       [](TrackBuilder& t) { t.Note(0, 480, 60); }, "A o4c\r\n\r\n"},
      {"one octave up is >",
       [](TrackBuilder& t) { t.Note(0, 480, 60).Note(480, 960, 72); }, "A o4c>c\r\n\r\n"},
      {"two octaves down is absolute",
       [](TrackBuilder& t) { t.Note(0, 480, 60).Note(480, 960, 36); }, "A o4co2c\r\n\r\n"},
      {"one octave down is <",
       [](TrackBuilder& t) { t.Note(0, 480, 60).Note(480, 960, 59); }, "A o4c<b\r\n\r\n"},
      {"sharps and a dotted quarter as a tie",
       [](TrackBuilder& t) { t.Note(0, 720, 61); }, "A o4c+&c+8\r\n\r\n"},
      {"lowest and highest writable keys",
       [](TrackBuilder& t) { t.Note(0, 480, 12).Note(480, 960, 107); }, "A o0co7b\r\n\r\n"},
      {"a note across a bar line ends the line after its tie",
       [](TrackBuilder& t) { t.Note(1440, 2400, 60); }, "A r2ro4c&\r\nA c\r\n\r\n"},
      {"two boundaries give one line end",
       [](TrackBuilder& t) { t.Note(1440, 4320, 60); }, "A r2ro4c&\r\nA c1&c\r\n\r\n"},
      {"a filled 3/4 bar breaks after the first piece",
       [](TrackBuilder& t) { t.Meter(0, 3, 2).Note(0, 1440, 60).Note(1440, 1920, 62); },
       "A o4c2&\r\nA cd\r\n\r\n"},
      {"a long rest ends the line after the whole",
       [](TrackBuilder& t) { t.Note(2400, 2880, 60); }, "A r1\r\nA ro4c\r\n\r\n"},
      {"a note too short still writes a 32nd and shortens the next",
       [](TrackBuilder& t) { t.Note(0, 10, 60).Note(10, 480, 62); }, "A o4c32d\r\n\r\n"},
      // The length pass counts every key, so the default becomes the eighth.
      {"out-of-range keys neither end a note nor start a rest",
       [](TrackBuilder& t) { t.NoteOn(0, 60).NoteOn(240, 108).NoteOn(300, 11).NoteOff(480, 60); },
       "A o4c4\r\n\r\n"},
      {"velocity 0 ends only its own key",
       [](TrackBuilder& t) { t.NoteOn(0, 60).NoteOn(240, 64, 0).NoteOn(480, 60, 0); },
       "A o4c\r\n\r\n"},
      {"a later note cuts the sounding one; the cut note's off is ignored",
       [](TrackBuilder& t) { t.NoteOn(0, 60).NoteOn(240, 64).NoteOff(480, 60).NoteOff(720, 64); },
       "A o4c8e\r\n\r\n"},
      {"a note still sounding at the end becomes rests",
       [](TrackBuilder& t) { t.Note(0, 480, 60).NoteOn(480, 62).EndOfTrack(960); },
       "A o4cr\r\n\r\n"},
  };
  for (const TokenCase& c : cases) {
    TrackBuilder t;
    c.song(t);
    EXPECT_EQ(PartBody(t), c.body) << c.name;
  }
}

TEST(MmlWriter, DrumTokens) {
  const TokenCase cases[] = {
      {"a dotted hit is two hits, the second a repeat",
       [](TrackBuilder& t) { t.Note(0, 720, 36, 9).Note(720, 960, 38, 9).Note(960, 1200, 38, 9); },
       "A !bg 4g!sg g\r\n\r\n"},
      {"a rest does not reset the last macro",
       [](TrackBuilder& t) { t.Note(0, 240, 35, 9).Note(480, 720, 36, 9); }, "A !bg rg\r\n\r\n"},
      {"another drum between makes the call full again",
       [](TrackBuilder& t) {
         t.Note(0, 240, 36, 9).Note(240, 480, 42, 9).Note(480, 720, 36, 9);
       },
       "A !bg !hg !bg \r\n\r\n"},
      {"unmapped drum keys are skipped",
       [](TrackBuilder& t) { t.Note(0, 240, 36, 9).Note(240, 480, 37, 9).Note(480, 720, 36, 9); },
       "A !bg rg\r\n\r\n"},
  };
  for (const TokenCase& c : cases) {
    TrackBuilder t;
    c.song(t);
    EXPECT_EQ(PartBody(t), c.body) << c.name;
  }
}

// Notes that jump five octaves back and forth, so that every note is an
// octave token and a note token, for long enough that the text passes
// several 8192-byte blocks of the target: the block edges fall inside
// tokens and line prefixes, where a token is put together apart from the
// buffer and handed over as a whole.
TEST(MmlWriter, TokensAcrossBlockEdgesReadAsAnywhereElse) {
  struct Case {
    int lowKey;        // the other key is five octaves up
    const char* name;  // the note name of both keys
    int32_t ticks;     // every note's length, which becomes the default
  } cases[] = {{36, "c", 120}, {37, "c+", 120}, {42, "f+", 240}};
  const int bars = 1000;
  for (const Case& c : cases) {
    const int perBar = 1920 / c.ticks;
    TrackBuilder t;
    for (int i = 0; i < bars * perBar; ++i)
      t.Note(i * c.ticks, (i + 1) * c.ticks, c.lowKey + (i % 2) * 60);
    std::string bar;
    for (int i = 0; i < perBar; ++i) bar += std::string(i % 2 ? "o7" : "o2") + c.name;
    std::string expected = "A " + bar;
    for (int b = 1; b < bars; ++b) expected += "\r\nA " + bar;
    expected += "\r\n\r\n";
    std::string body = PartBody(t);
    ASSERT_GT(body.size(), 3u * 8192) << c.name;
    EXPECT_EQ(body, expected) << c.name;
  }
}

}  // namespace
