// Keeping the notes, with the report and the check: which voices become
// parts, what is substituted or still lost, and that every part ends at one
// tick with the notes adding up.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kit/watched_run.h"

namespace {

// The song's part lines up to their bytes ("part A: track 1, voice 1, channel
// 1, melodic, notes in 2, notes out 2") and its entries other than moved
// notes. Checks that the song converts and passes its check, that its counts
// add up, that the parts end together and that every note-on is a part's or
// a dropped voice's.
struct Summary {
  std::vector<std::string> parts, entries;
};
Summary Summarize(const std::vector<TrackBuilder>& tracks) {
  const Bytes song = SmfFile(480, tracks);
  const WatchedConversion c = RunWatched(song.data(), song.size(), kMaxPiecesPerPass, true);
  EXPECT_TRUE(c.checked) << c.log << c.fault;
  EXPECT_EQ(ReportCountsFault(c.report), "");
  Summary out;
  std::set<int> ends;
  int notes = 0, noteOns = 0;
  for (const TrackBuilder& t : tracks) noteOns += t.noteOns();
  std::istringstream lines(c.report);
  for (std::string line; std::getline(lines, line);) {
    int in = 0, end = 0, dropped = 0;
    const size_t bytes = line.find(" bytes, ends at tick ");
    if (line.rfind("  part ", 0) == 0 && bytes != std::string::npos) {
      std::sscanf(line.c_str() + line.find(", notes in "), ", notes in %d", &in);
      std::sscanf(line.c_str() + bytes, " bytes, ends at tick %d", &end);
      out.parts.push_back(line.substr(2, line.rfind(", ", bytes) - 2));
      ends.insert(end);
      notes += in;
    } else if (line.rfind("  loss: ", 0) == 0 && line.find(", moved") == std::string::npos) {
      out.entries.push_back(line.substr(8));
      if (line.find(", voice_limit") != std::string::npos) std::sscanf(line.c_str() + line.rfind(", "), ", %d notes", &dropped);
      notes += dropped;
    }
  }
  EXPECT_EQ(ends.size(), 1u) << c.report;
  EXPECT_EQ(notes, noteOns) << c.report;
  return out;
}

TEST(KeepNotes, VoicesBecomePartsAndWhatIsStillLostIsListed) {
  struct Case {
    const char* name;
    std::vector<TrackBuilder> tracks;
    std::vector<std::string> parts, entries;
  };
  auto chordOverFreeParts = [] {
    TrackBuilder melody, bass;
    melody.NoteOn(0, 60).NoteOn(0, 64).NoteOn(0, 67).NoteOff(960, 60).NoteOff(960, 64).NoteOff(960, 67);
    melody.Note(960, 1920, 72);
    bass.Note(0, 1920, 36);
    return std::vector<TrackBuilder>{melody, bass};
  };
  auto crossing = [] {  // the held 60 keeps its voice while the line above falls below it
    TrackBuilder t;
    t.NoteOn(0, 60).Note(0, 480, 72).Note(480, 960, 55).Note(960, 1440, 50).NoteOff(1920, 60);
    return std::vector<TrackBuilder>{t};
  };
  auto seventhVoice = [] {  // seven voices share the six parts: the third low note cuts the oldest chord note
    TrackBuilder wide, narrow;
    const int chord[] = {60, 64, 67, 71}, low[] = {48, 52, 55};
    for (int i = 0; i < 4; ++i) {
      for (int key : chord) wide.NoteOn(i * 480, key);
      for (int key : chord) wide.NoteOff(i * 480 + 480, key);
    }
    for (int i = 0; i < 2; ++i) {
      for (int key : low) narrow.NoteOn(i * 960 + 240, key);
      for (int key : low) narrow.NoteOff(i * 960 + 480, key);
    }
    return std::vector<TrackBuilder>{wide, narrow};
  };
  auto unequalEnds = [] {  // a part that ends off the grid and one that ends early
    TrackBuilder a, b;
    a.Note(0, 1930, 60);
    b.Note(0, 250, 62).EndOfTrack(300);
    return std::vector<TrackBuilder>{a, b};
  };
  auto doubledKey = [] {  // a key struck twice at one tick has no voice
    TrackBuilder t;
    t.NoteOn(0, 60).NoteOn(0, 60).NoteOff(480, 60).NoteOff(480, 60);
    return std::vector<TrackBuilder>{t};
  };
  const Case cases[] = {
      {"a key struck twice",
       doubledKey(),
       {"part A: track 1, voice 1, channel 1, melodic, notes in 1, notes out 1"},
       {"track 1, tick 0, bar 1 beat 1, voice_limit, voice 9, 1 notes"}},
      {"a chord of 3 over free parts",
       chordOverFreeParts(),
       {"part A: track 1, voice 1, channel 1, melodic, notes in 2, notes out 2", "part B: track 1, voice 2, channel 1, melodic, notes in 1, notes out 1",
        "part C: track 1, voice 3, channel 1, melodic, notes in 1, notes out 1", "part D: track 2, voice 1, channel 1, melodic, notes in 1, notes out 1"},
       {}},
      {"voices crossing",
       crossing(),
       {"part A: track 1, voice 1, channel 1, melodic, notes in 3, notes out 3", "part B: track 1, voice 2, channel 1, melodic, notes in 1, notes out 1"},
       {}},
      {"a seventh voice",
       seventhVoice(),
       {"part A: tracks 1 to 2, channel 1, melodic, notes in 6, notes out 6", "part B: track 1, channel 1, melodic, notes in 4, notes out 4",
        "part C: track 1, channel 1, melodic, notes in 4, notes out 4", "part D: track 1, channel 1, melodic, notes in 4, notes out 4",
        "part E: track 2, channel 1, melodic, notes in 2, notes out 2", "part F: track 2, channel 1, melodic, notes in 2, notes out 2"},
       {}},
      {"seven notes at one tick",
       {TrackBuilder().NoteOn(0, 60).NoteOn(0, 62).NoteOn(0, 64).NoteOn(0, 65).NoteOn(0, 67).NoteOn(0, 69).NoteOn(0, 71)
            .NoteOff(480, 60).NoteOff(480, 62).NoteOff(480, 64).NoteOff(480, 65).NoteOff(480, 67).NoteOff(480, 69).NoteOff(480, 71)},
       {"part A: track 1, channel 1, melodic, notes in 1, notes out 1", "part B: track 1, channel 1, melodic, notes in 1, notes out 1",
        "part C: track 1, channel 1, melodic, notes in 1, notes out 1", "part D: track 1, channel 1, melodic, notes in 1, notes out 1",
        "part E: track 1, channel 1, melodic, notes in 1, notes out 1", "part F: track 1, channel 1, melodic, notes in 1, notes out 1"},
       {"track 1, tick 0, bar 1 beat 1, voice_limit, 1 notes"}},
      {"unequal ends padded",
       unequalEnds(),
       {"part A: track 1, voice 1, channel 1, melodic, notes in 1, notes out 1", "part B: track 2, voice 1, channel 1, melodic, notes in 1, notes out 1"},
       {}},
  };
  for (const Case& c : cases) {
    const Summary got = Summarize(c.tracks);
    EXPECT_EQ(got.parts, c.parts) << c.name;
    EXPECT_EQ(got.entries, c.entries) << c.name;
  }
}

// Every drum key without a macro of its own is played by its family's.
TEST(KeepNotes, DrumKeysOfEveryFamilyArePlayed) {
  const struct {
    int key;
    const char* macro;
  } drums[] = {
      {27, "!sg"}, {28, "!Cg"}, {31, "!Sg"}, {34, "!cg"}, {37, "!Sg"}, {50, "!ug"}, {53, "!cg"},
      {54, "!hg"}, {56, "!og"}, {60, "!ug"}, {64, "!tg"}, {66, "!tg"}, {69, "!hg"}, {75, "!Sg"},
      {79, "!ug"}, {80, "!hg"}, {81, "!og"}, {83, "!cg"}, {84, "!cg"}, {85, "!Cg"}, {87, "!bg"}, {20, "!sg"}, {100, "!sg"},
  };
  TrackBuilder kit;
  std::vector<std::string> want;
  int32_t tick = 0;
  for (const auto& d : drums) {
    kit.Note(tick, tick + 240, d.key, 9);
    const int bar = tick / 1920 + 1, beat = tick % 1920 / 480 + 1, offset = tick % 480;
    want.push_back("track 1, part A, tick " + std::to_string(tick) + ", bar " + std::to_string(bar) + " beat " +
                   std::to_string(beat) + (offset ? "+" + std::to_string(offset) : "") + ", key " +
                   std::to_string(d.key) + ", substituted, as " + d.macro);
    tick += 240;
  }
  kit.Note(tick, tick + 240, 36, 9);
  const Summary got = Summarize({kit});
  EXPECT_EQ(got.parts, std::vector<std::string>({"part A: track 1, voice 1, channel 10, rhythm, notes in 24, notes out 24"}));
  EXPECT_EQ(got.entries, want);
}

}  // namespace
