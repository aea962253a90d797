// The fuzzer's files, replayed: the seed corpus (each seed calls up what its
// name says, and together they call up every message of the reader, the
// limits and the analysis pass) and every regression file the fuzzer left in
// tests/data/regress, which must keep the promises the fuzzer checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "converter/messages.h"
#include "tests/support/harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kSeedDir = TRELVIO_TEST_DATA "/../../fuzz/corpus";
const std::string kRegressDir = TRELVIO_TEST_DATA "/regress";

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The .mid files of a directory, by name without the extension.
std::map<std::string, Bytes> FilesIn(const std::string& dir) {
  std::map<std::string, Bytes> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.path().extension() == ".mid") files[entry.path().stem().string()] = ReadBytes(entry.path());
  return files;
}

MemoryConversion Replay(const Bytes& bytes) {
  MemoryRun run;
  run.pieceBudget = kFuzzPieceBudget;
  return RunConverterInMemory(bytes, run);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string S(const char* text) { return text; }

struct SeedExpectation {
  const char* name;
  int result;
  std::string logTail;
};

const std::vector<SeedExpectation>& SeedExpectations() {
  static const std::vector<SeedExpectation> table = {
      {"song-reference", 1, "Track:3\n"},
      {"song-every-event-kind", 1, "Track:1\n"},
      {"song-format2-long-header", 1, S("Track:1\n") + msg::kSilentTrack + "Track:2\n"},
      {"song-meters-odd-division", 1, "Track:1\n"},
      {"song-division-1", 1, "Track:1\n"},
      {"song-drums-only", 1, "Track:1\n"},
      {"song-events-after-end-of-track", 1, "Track:1\n"},
      {"song-short-tempo-and-meter", 0, msg::kRunningStatusBroken},
      {"song-meta-past-end-of-file", 1, "Track:1\n"},
      {"song-negative-chunk-length", 1, S("Track:1\n") + msg::kSilentTrack + "Track:2\n"},
      {"header-not-smf", 0, msg::kNotSmf},
      {"header-short-length", 0, msg::kUnknownFormat},
      {"header-smpte-division", 0, msg::kSmpteDivision},
      {"header-zero-division", 0, msg::kZeroDivision},
      {"header-no-tracks", 0, msg::kNoTrackToOutput},
      {"header-cut-short", 0, msg::kZeroDivision},
      {"reader-missing-chunk", 0, S("Track:2\n") + msg::kBadChunk},
      {"reader-wrong-chunk-type", 0, S("Track:1\n") + msg::kBadChunk},
      {"reader-event-cut-short", 0, msg::kBadTrackData},
      {"reader-chunk-past-end-of-file", 0, msg::kBadTrackData},
      {"reader-varlen-too-long", 0, msg::kVarLenTooLong},
      {"reader-running-status-broken", 0, msg::kRunningStatusBroken},
      {"reader-unknown-message", 0, msg::kUnknownMessage},
      {"limit-tick-overflow", 0, msg::kTickOverflow},
      {"limit-runaway-output", 0, S("Track:6\n") + msg::kTooMuchOutput},
      {"analysis-silent-conductor", 1, S("Track:1\n") + msg::kSilentTrack + "Track:2\n"},
      {"analysis-unset-rhythm", 1, S("Track:1\n") + msg::kUnsetRhythm},
      {"analysis-out-of-octave", 1, S("Track:1\n") + msg::kOutOfOctave},
      {"analysis-chord", 1, S("Track:1\n") + msg::kChord},
      {"analysis-tempo-conflict", 1, S("Track:1\n") + msg::kTempoConflict + msg::kSilentTrack + "Track:2\n"},
      {"analysis-too-many-tempos", 1, S("Track:1\n") + msg::kTooManyTempos + msg::kSilentTrack + "Track:2\n"},
      {"analysis-meter-conflict", 1, S("Track:1\n") + msg::kMeterConflict + msg::kSilentTrack + "Track:2\n"},
      {"analysis-too-many-meters", 1, S("Track:1\n") + msg::kTooManyMeters + msg::kSilentTrack + "Track:2\n"},
      {"analysis-part-limit", 1, S("Track:7\n") + msg::kPartLimit + "Track:8\n"},
      {"analysis-no-track-to-output", 0, S("Track:2\n") + msg::kSilentTrack + msg::kNoTrackToOutput},
  };
  return table;
}

// Every message a file can call up; only the failed allocation of the track
// table (at most 65535 small entries) is out of a file's reach.
const char* const kEveryMessage[] = {
    msg::kNotSmf,         msg::kUnknownFormat,        msg::kSmpteDivision,  msg::kZeroDivision,
    msg::kBadChunk,       msg::kBadTrackData,         msg::kVarLenTooLong,  msg::kRunningStatusBroken,
    msg::kUnknownMessage, msg::kTickOverflow,         msg::kTooMuchOutput,  msg::kSilentTrack,
    msg::kUnsetRhythm,    msg::kOutOfOctave,          msg::kChord,          msg::kTempoConflict,
    msg::kTooManyTempos,  msg::kMeterConflict,        msg::kTooManyMeters,  msg::kPartLimit,
    msg::kNoTrackToOutput,
};

TEST(SeedCorpus, EachSeedCallsUpWhatItsNameSays) {
  std::map<std::string, Bytes> seeds = FilesIn(kSeedDir);
  ASSERT_FALSE(seeds.empty()) << "no seeds in " << kSeedDir;
  for (const SeedExpectation& e : SeedExpectations()) {
    auto seed = seeds.find(e.name);
    if (seed == seeds.end()) {
      ADD_FAILURE() << "seed " << e.name << " is missing";
      continue;
    }
    MemoryConversion c = Replay(seed->second);
    EXPECT_EQ(c.result, e.result) << e.name << ": " << c.log;
    EXPECT_TRUE(EndsWith(c.log, e.logTail)) << e.name << ": " << c.log;
    seeds.erase(seed);
  }
  for (const auto& left : seeds) ADD_FAILURE() << "seed " << left.first << " has no expectation";
}

TEST(SeedCorpus, SeedsCallUpEveryMessage) {
  std::string logs;
  for (const auto& seed : FilesIn(kSeedDir)) logs += Replay(seed.second).log;
  for (const char* message : kEveryMessage)
    EXPECT_NE(logs.find(message), std::string::npos) << "no seed logs " << message;
}

// Every file the fuzzer kept: converted or refused with a log that ends in a
// line feed, nothing left open or allocated, the text within the work bound.
TEST(RegressionFiles, KeepTheFuzzersPromises) {
  std::map<std::string, Bytes> files = FilesIn(kRegressDir);
  for (const auto& file : files) {
    SCOPED_TRACE(file.first);
    MemoryConversion c = Replay(file.second);
    EXPECT_TRUE(c.result == 0 || c.result == 1) << c.result;
    EXPECT_TRUE(!c.log.empty() && c.log.back() == '\n') << c.log;
    EXPECT_EQ(c.openFiles, 0);
    EXPECT_EQ(c.liveBlocks, 0);
    EXPECT_LE(c.bytesWritten, OutputBound(file.second.size(), c.piecesUsed));
  }
}

}  // namespace
