// Hostile and broken files: each is refused or converted with bounded work,
// answered in the log, and leaves no handle or block behind. The fuzzer's
// seed corpus holds a file for every message a file can call up (each seed
// calls up what its name says); tests/data/regress holds what the fuzzer found.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "converter/messages.h"
#include "tests/support/harness.h"

namespace {

// The "Track:n" lines from first to last.
std::string Tracks(int first, int last) {
  std::string lines;
  for (int n = first; n <= last; ++n) lines += "Track:" + std::to_string(n) + "\n";
  return lines;
}

// Replays every .mid file of the folder at the fuzzer's budget, checking the
// promises the fuzzer checks; returns each file's conversion by name.
std::map<std::string, Conversion> Replay(const std::string& folder) {
  std::map<std::string, Conversion> runs;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() != ".mid") continue;
    const std::string name = entry.path().stem().string(), text = ReadFileText(entry.path().string());
    const Bytes bytes(text.begin(), text.end());
    const Conversion& c = runs[name] = RunConverter(bytes, kFuzzPieceBudget);
    EXPECT_TRUE(c.result == 0 || c.result == 1) << name;
    Conversion late = RunConverter(bytes, kFuzzPieceBudget, false);
    EXPECT_TRUE(late.result == c.result && late.log == c.log && late.mml == c.mml)
        << name << ": lengths counted early and late differ";
    EXPECT_TRUE(!c.log.empty() && c.log.back() == '\n') << name;
    EXPECT_EQ(c.openFiles + c.liveBlocks, 0) << name;
    EXPECT_LE(c.mml.size(), OutputBound(text.size(), c.piecesUsed)) << name;
  }
  return runs;
}

const std::string kRunaway = Tracks(1, 6) + msg::kTooMuchOutput;

TEST(SeedCorpus, EachSeedCallsUpWhatItsNameSays) {
  const std::string t1 = Tracks(1, 1), t2 = Tracks(2, 2), silent = msg::kSilentTrack;
  std::map<std::string, std::pair<int, std::string>> expected = {
      {"song-reference", {1, t1 + silent + t2 + msg::kChord + Tracks(3, 3)}},
      {"song-format2-long-header", {1, t1 + silent + t2}},
      {"song-short-tempo-and-meter", {0, t1 + msg::kRunningStatusBroken}},
      {"song-negative-chunk-length", {1, t1 + silent + t2}},
      {"header-not-smf", {0, msg::kNotSmf}},
      {"header-short-length", {0, msg::kUnknownFormat}},
      {"header-smpte-division", {0, msg::kSmpteDivision}},
      {"header-zero-division", {0, msg::kZeroDivision}},
      {"header-no-tracks", {0, msg::kNoTrackToOutput}},
      {"header-cut-short", {0, msg::kZeroDivision}},
      {"reader-missing-chunk", {0, t1 + t2 + msg::kBadChunk}},
      {"reader-wrong-chunk-type", {0, t1 + msg::kBadChunk}},
      {"reader-event-cut-short", {0, t1 + msg::kBadTrackData}},
      {"reader-chunk-past-end-of-file", {0, t1 + msg::kBadTrackData}},  // claims near 2^31 bytes
      {"reader-varlen-too-long", {0, t1 + msg::kVarLenTooLong}},
      {"reader-running-status-broken", {0, t1 + msg::kRunningStatusBroken}},
      {"reader-unknown-message", {0, t1 + msg::kUnknownMessage}},
      {"limit-tick-overflow", {0, t1 + msg::kTickOverflow}},
      {"limit-runaway-output", {0, kRunaway}},
      {"analysis-silent-conductor", {1, t1 + silent + t2}},
      {"analysis-unset-rhythm", {1, t1 + msg::kUnsetRhythm}},
      {"analysis-out-of-octave", {1, t1 + msg::kOutOfOctave}},
      {"analysis-chord", {1, t1 + msg::kChord}},
      {"analysis-tempo-conflict", {1, t1 + msg::kTempoConflict + silent + t2}},
      {"analysis-too-many-tempos", {1, t1 + msg::kTooManyTempos + silent + t2}},
      {"analysis-meter-conflict", {1, t1 + msg::kMeterConflict + silent + t2}},
      {"analysis-too-many-meters", {1, t1 + msg::kTooManyMeters + silent + t2}},
      {"analysis-part-limit", {1, Tracks(1, 7) + msg::kPartLimit + Tracks(8, 8)}},
      {"analysis-no-track-to-output", {0, t1 + silent + t2 + silent + msg::kNoTrackToOutput}},
  };
  // A meta event that runs past the end of the file ends the last track.
  for (const char* name : {"song-every-event-kind", "song-meters-odd-division", "song-division-1", "song-drums-only",
                           "song-events-after-end-of-track", "song-meta-past-end-of-file"})
    expected[name] = {1, t1};
  std::map<std::string, std::pair<int, std::string>> got;
  for (const auto& run : Replay(kSeedDir)) got[run.first] = {run.second.result, run.second.log};
  EXPECT_EQ(got, expected);
}

TEST(RegressionFiles, KeepTheFuzzersPromises) { Replay(TRELVIO_TEST_DATA "/regress"); }

// Six parts at division 1, each a note held for seven delta times of 2^28 - 1
// ticks: 2^29 pieces each, refused in the length pass before any text.
TEST(WorkBound, RunawayFileIsRefusedAtTheFullBudget) {
  Conversion c = RunConverter(SeedFile("limit-runaway-output"));
  EXPECT_EQ(c.log, kRunaway);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.mml, "");
  EXPECT_EQ(c.piecesUsed, kMaxPiecesPerPass);
}

// Seven tracks of four whole notes: four pieces for each part in each pass,
// and only the six parts spend the budget. 24 pieces convert them, counted
// early or by the length pass; 23 stop the count after the analysis's log.
TEST(WorkBound, EachPassHasTheWholeBudgetAndOnlyPartsSpendIt) {
  TrackBuilder four;
  for (int32_t t = 0; t < 4 * 1920; t += 1920) four.Note(t, t + 1920, 60);
  const Bytes file = SmfFile(480, std::vector<TrackBuilder>(7, four));
  for (bool countEarly : {true, false}) {
    Conversion fits = RunConverter(file, 24, countEarly), tooSmall = RunConverter(file, 23, countEarly);
    EXPECT_EQ(fits.result, 1) << fits.log;
    EXPECT_NE(fits.mml.find("F V120@0Ll1\r\nF o4c\r\nF c\r\nF c\r\nF c\r\n\r\n"), std::string::npos) << fits.mml;
    EXPECT_EQ(tooSmall.result, 0);
    EXPECT_EQ(tooSmall.log, Tracks(1, 7) + msg::kPartLimit + msg::kTooMuchOutput);
  }
  // A meter stated after the parts (4/4, as without one) makes the length
  // pass count again, with the whole budget once more.
  std::vector<TrackBuilder> tracks(7, four);
  tracks.push_back(TrackBuilder().Meter(0, 4, 2));
  Conversion recounted = RunConverter(SmfFile(480, tracks), 24);
  EXPECT_EQ(recounted.result, 1) << recounted.log;
  EXPECT_EQ(recounted.reads, 3);
}

// The largest track count: one small table entry each, every track read once
// per pass, six parts written.
TEST(WorkBound, SixtyFiveThousandTracksConvertSixParts) {
  std::vector<TrackBuilder> tracks(65535);
  for (TrackBuilder& t : tracks) t.Note(0, 480, 60);
  Conversion c = RunConverter(SmfFile(480, tracks));
  EXPECT_EQ(c.result, 1);
  // Compared whole, not line by line: a diff of 65535 lines would not end.
  EXPECT_TRUE(c.log == Tracks(1, 7) + msg::kPartLimit + Tracks(8, 65535)) << c.log.substr(0, 200);
  EXPECT_NE(c.mml.find("\r\nF o4c\r\n\r\n"), std::string::npos);
  EXPECT_EQ(c.mml.find("G "), std::string::npos);
  EXPECT_EQ(c.liveBlocks, 0);
}

}  // namespace
