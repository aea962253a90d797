// The report and the round-trip check: notes in, out and lost add up, the
// losses with bars and beats, the MML and log unchanged by either.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kit/harness.h"
#include "tests/kit/watched_run.h"

namespace {

// Every part's notes in agree with the count and add up (see
// ReportCountsFault). Returns the loss lines.
std::vector<std::string> CheckCounts(const std::string& report, const std::map<int, int>& notesPerTrack) {
  int parts = 0;
  EXPECT_EQ(ReportCountsFault(report, &parts), "");
  std::istringstream lines(report);
  std::vector<std::string> losses;
  for (std::string line; std::getline(lines, line);) {
    int track = 0, in = 0;
    if (std::sscanf(line.c_str(), "  part %*c: track %d, channel %*d, %*[a-z], notes in %d", &track, &in) == 2) {
      EXPECT_EQ(in, notesPerTrack.at(track)) << line;
      --parts;
    } else if (line.rfind("  loss: ", 0) == 0) {
      losses.push_back(line.substr(2));
    }
  }
  EXPECT_EQ(parts, 0) << "part lines that do not read:\n" << report;
  return losses;
}

TEST(ConversionReport, CountsAddUpAndEveryLossIsListed) {
  struct Case {
    const char* name;  // the reference song's losses are all listed, the others' in part
    std::vector<TrackBuilder> tracks;
    std::vector<std::string> losses;
  };
  auto reference = [] {  // the reference song: a chord of 67 and 71 at tick 960
    TrackBuilder conductor, melody, drums;
    conductor.Tempo(0, 500000).Meter(0, 4, 2).Tempo(2400, 400000);
    melody.Volume(0, 100).Note(0, 480, 60).Note(480, 960, 64).NoteOn(960, 67).NoteOn(960, 71);
    melody.NoteOff(1440, 67).NoteOff(1440, 71).Note(1680, 2400, 69).Note(2400, 2880, 72);
    drums.Volume(0, 80, 9).Note(0, 240, 36, 9).Note(480, 720, 38, 9).Note(960, 1200, 36, 9).Note(1440, 1680, 36, 9);
    return std::vector<TrackBuilder>{conductor, melody, drums.EndOfTrack(1920)};
  };
  auto unwritable = [] {
    std::vector<TrackBuilder> t(7);
    t[0].Note(0, 480, 60).NoteOn(480, 11).Note(480, 960, 62).NoteOn(960, 108).NoteOn(960, 64).EndOfTrack(1920);
    t[1].Note(0, 240, 36, 9).Note(240, 480, 37, 9).Note(480, 481, 38, 9).Note(490, 530, 42, 9);
    for (int i = 2; i < 7; ++i) t[i].Note(0, 480, 60);
    return t;
  };
  auto changes = [] {
    TrackBuilder conductor, melody;
    conductor.Tempo(0, 500000).Tempo(0, 600000).Tempo(0, 0).Meter(0, 4, 2).Meter(0, 3, 2);
    for (int bar = 1; bar <= 16; ++bar) conductor.Tempo(1920 * bar, 400000).Meter(1920 * bar, 4, 2);
    return std::vector<TrackBuilder>{conductor, melody.Note(0, 480, 60)};
  };
  const Case cases[] = {
      {"reference song", reference(), {"loss: track 2, part A, tick 960, bar 1 beat 3, key 71, chord"}},
      {"keys, a held note, the part limit",
       unwritable(),
       {"loss: track 1, part A, tick 480, bar 1 beat 2, key 11, range",
        "loss: track 1, part A, tick 960, bar 1 beat 3, key 108, range",
        "loss: track 1, part A, tick 960, bar 1 beat 3, key 64, unended",
        "loss: track 2, part B, tick 240, bar 1 beat 1+240, key 37, drum_key",
        "loss: track 2, part B, tick 480, bar 1 beat 2, key 38, moved, shift +0, stretch +59",
        "loss: track 2, part B, tick 490, bar 1 beat 2+10, key 42, no_length",
        "loss: track 7, tick 0, bar 1 beat 1, part_limit, 1 notes"}},
      {"tempo and meter changes",
       changes(),
       {"loss: track 1, tick 0, bar 1 beat 1, tempo_conflict, 100 bpm", "loss: track 1, tick 0, bar 1 beat 1, tempo_zero",
        "loss: track 1, tick 0, bar 1 beat 1, meter_conflict",
        "loss: track 1, tick 30720, bar 17 beat 1, tempo_limit, 150 bpm",
        "loss: track 1, tick 30720, bar 17 beat 1, meter_limit",
        "loss: track 1, part A, tick 1920, bar 2 beat 1, tempo_unplaced, 150 bpm"}},
  };
  for (const Case& c : cases) {
    std::map<int, int> notes;
    for (size_t i = 0; i < c.tracks.size(); ++i) notes[static_cast<int>(i) + 1] = c.tracks[i].noteOns();
    const Bytes song = SmfFile(480, c.tracks);
    const Conversion plain = RunConverter(song);
    const WatchedConversion watched = RunWatched(song.data(), song.size(), kMaxPiecesPerPass, false);
    ASSERT_EQ(watched.result, 1) << c.name << "\n" << watched.log;
    EXPECT_EQ(watched.log, plain.log) << c.name;
    EXPECT_EQ(watched.mml, plain.mml) << c.name;
    EXPECT_TRUE(watched.checked) << c.name << "\n" << watched.report;
    const std::vector<std::string> losses = CheckCounts(watched.report, notes);
    if (&c == cases) {
      EXPECT_EQ(losses, c.losses) << c.name;
    }
    for (const std::string& loss : c.losses)
      EXPECT_EQ(std::count(losses.begin(), losses.end(), loss), 1) << c.name << ": " << loss << "\n" << watched.report;
  }
}

}  // namespace
