// Odd, broken and hostile files: refused or converted with bounded work, answered
// in the log, no handle or block left; reads across the source's 8192-byte blocks.
// Seeds name the message they call up; tests/data/regress holds the fuzzer's finds.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "converter/messages.h"
#include "tests/kit/harness.h"
#include "tests/kit/watched_run.h"

namespace {

Bytes Chunk(const Bytes& events) { return Bytes{'M', 'T', 'r', 'k'} + Be32(uint32_t(events.size())) + events; }

// Each file's log, and its MML when it converts (none when it is refused).
TEST(TrackReader, ReadsOddFilesAndRefusesDamagedOnes) {
  const Bytes mthd = {'M', 'T', 'h', 'd'}, one = HeaderChunk(0, 1, 480), two = HeaderChunk(1, 2, 480);
  const Bytes oneNote = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  const std::string t1 = Tracks(1, 1), silentThenBadChunk = t1 + msg::kSilentTrack + Tracks(2, 2) + msg::kBadChunk;
  struct Case {
    const char* name;
    Bytes file;
    std::string log, mml;
  } cases[] = {
      {"running status continues across system exclusive, for any data byte",
       one + Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 72, 100, 0x83, 0x60, 0x80, 72, 0}),
       t1, "A T120V120@0Ll4\r\nA o4c>c\r\n\r\n"},
      {"events after end-of-track are read", one + Chunk(Bytes{0x00, 0xFF, 0x2F, 0x00} + oneNote), t1,
       "A T120V120@0Ll4\r\nA o4c\r\n\r\n"},
      {"fewer than 8 bytes", {'M', 'T', 'h', 'd', 0, 0}, msg::kUnknownFormat, ""},
      {"negative header length", mthd + Be32(0x80000000u) + Be16(0) + Be16(1) + Be16(480), msg::kUnknownFormat, ""},
      {"header length near 2^31", mthd + Be32(0x7FFFFFF0u) + Be16(0) + Be16(1) + Be16(480) + Chunk(oneNote),
       t1 + msg::kBadChunk, ""},
      // The next chunk header is read after the payload, in the middle of nowhere.
      {"payload past the chunk", two + Chunk({0x00, 0xF0, 0x14, 1, 2}) + Chunk(oneNote), silentThenBadChunk, ""},
      {"payload past the file", two + Chunk(Bytes{0x00, 0xF0} + VarLen(0x7FFFFFF) + Bytes{0xF7}) + Chunk(oneNote),
       silentThenBadChunk, ""},
      // The event cut by its chunk's end must not borrow the next chunk's bytes.
      {"note cut by its chunk", two + Chunk({0x00, 0x90, 60}) + Chunk(oneNote), t1 + msg::kBadTrackData, ""},
      {"meta event cut by its chunk", two + Chunk({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01}) + Chunk(oneNote),
       t1 + msg::kBadTrackData, ""},
      {"meta event cut before its type", two + Chunk({0x00, 0x90, 60, 100, 0x00, 0xFF}) + Chunk(oneNote),
       t1 + msg::kBadTrackData, ""},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.mml, c.mml) << c.name;
    EXPECT_EQ(out.result, c.mml.empty() ? 0 : 1) << c.name;
  }
}

// Two seeds' tracks behind a silent track of `padding` bytes put the block edge at
// each of their bytes; each pass reads each block once, running status included.
TEST(TrackReader, EventsAndChunksStraddlingABlockEdgeReadAsAnywhereElse) {
  auto blocks = [](size_t bytes) { return static_cast<int>((bytes + 8191) / 8192); };
  for (const char* seed : {"song-reference", "song-every-event-kind"}) {
    const Bytes song = SeedFile(seed), tracks(song.begin() + 14, song.end());
    auto padded = [&](int padding) {
      TrackBuilder pad;
      pad.Meta(0, 0x01, Bytes(static_cast<size_t>(padding), 'x'));
      return HeaderChunk(1, song[11] + 1, song[12] << 8 | song[13]) + TrackChunk(pad) + tracks;
    };
    const Conversion plain = RunConverter(padded(200));
    ASSERT_EQ(plain.result, 1) << plain.log;
    for (int padding = 8165 - static_cast<int>(tracks.size()); padding <= 8165; ++padding) {
      const Bytes file = padded(padding);
      const Conversion moved = RunConverter(file);
      EXPECT_TRUE(moved.log == plain.log && moved.mml == plain.mml) << seed << " " << padding;
      EXPECT_EQ(moved.reads, blocks(file.size()) + blocks(file.size() - 14)) << seed << " " << padding;
    }
  }
}

typedef std::map<std::string, std::pair<int, std::string>> Outcomes;  // result and log by file name

// Every .mid file of the folder at the fuzzer's budget, lengths counted early
// and late, and keeping the notes; with the report and the check, both ways.
Outcomes Replay(const std::string& folder) {
  Outcomes runs;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() != ".mid") continue;
    const std::string name = entry.path().stem().string(), text = ReadFileText(entry.path().string());
    const Bytes bytes(text.begin(), text.end());
    const Conversion c = RunConverter(bytes, kFuzzPieceBudget), late = RunConverter(bytes, kFuzzPieceBudget, false);
    EXPECT_TRUE(late.result == c.result && late.log == c.log && late.mml == c.mml) << name << ": early and late counts";
    EXPECT_EQ(c.openFiles + c.liveBlocks, 0) << name;
    const Conversion kept = RunConverter(bytes, kFuzzPieceBudget, true, true);
    EXPECT_TRUE(kept.result == 0 || (kept.result == 1 && !kept.mml.empty())) << name << ": keeping the notes";
    EXPECT_EQ(kept.openFiles + kept.liveBlocks, 0) << name << ": keeping the notes";
    EXPECT_LE(kept.mml.size(), OutputBound(bytes.size(), kept.piecesUsed)) << name << ": keeping the notes";
    for (bool keep : {false, true}) {
      const WatchedConversion w = RunWatched(bytes.data(), bytes.size(), kFuzzPieceBudget, keep);
      EXPECT_TRUE(!w.result || w.checked) << name << ": its own check, keeping the notes " << keep << ": " << w.fault;
      EXPECT_EQ(ReportCountsFault(w.report), "") << name << ", keeping the notes " << keep;
    }
    runs[name] = {c.result, c.log};
  }
  EXPECT_FALSE(runs.empty()) << "no .mid file in " << folder;
  return runs;
}

TEST(SeedCorpus, EachSeedCallsUpWhatItsNameSays) {
  const std::string t1 = Tracks(1, 1), t2 = Tracks(2, 2), silent = msg::kSilentTrack;
  Outcomes expected = {
      {"song-reference", {1, t1 + silent + t2 + msg::kChord + Tracks(3, 3)}},
      {"song-format2-long-header", {1, t1 + silent + t2}}, {"song-negative-chunk-length", {1, t1 + silent + t2}},
      {"song-short-tempo-and-meter", {0, t1 + msg::kRunningStatusBroken}}, {"header-not-smf", {0, msg::kNotSmf}},
      {"header-short-length", {0, msg::kUnknownFormat}}, {"header-smpte-division", {0, msg::kSmpteDivision}},
      {"header-zero-division", {0, msg::kZeroDivision}}, {"header-cut-short", {0, msg::kZeroDivision}},
      {"header-no-tracks", {0, msg::kNoTrackToOutput}}, {"reader-wrong-chunk-type", {0, t1 + msg::kBadChunk}},
      {"reader-missing-chunk", {0, t1 + t2 + msg::kBadChunk}}, {"limit-tick-overflow", {0, t1 + msg::kTickOverflow}},
      {"reader-event-cut-short", {0, t1 + msg::kBadTrackData}},
      {"reader-chunk-past-end-of-file", {0, t1 + msg::kBadTrackData}},  // claims near 2^31 bytes
      {"reader-varlen-too-long", {0, t1 + msg::kVarLenTooLong}},
      {"reader-running-status-broken", {0, t1 + msg::kRunningStatusBroken}},
      {"reader-unknown-message", {0, t1 + msg::kUnknownMessage}},
      {"limit-runaway-output", {0, Tracks(1, 6) + msg::kTooMuchOutput}},
      {"analysis-silent-conductor", {1, t1 + silent + t2}}, {"analysis-unset-rhythm", {1, t1 + msg::kUnsetRhythm}},
      {"analysis-out-of-octave", {1, t1 + msg::kOutOfOctave}}, {"analysis-chord", {1, t1 + msg::kChord}},
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
  EXPECT_EQ(Replay(kSeedDir), expected);
  // At the full budget the runaway file (six parts of 2^29 pieces each) is
  // refused in the length pass, having spent all of it, before any text.
  const Conversion runaway = RunConverter(SeedFile("limit-runaway-output"));
  EXPECT_EQ(runaway.log + runaway.mml, expected["limit-runaway-output"].second);
  EXPECT_EQ(runaway.piecesUsed, kMaxPiecesPerPass);
}

TEST(RegressionFiles, KeepTheFuzzersPromises) { Replay(TRELVIO_TEST_DATA "/regress"); }

// Seven tracks of four whole notes: only the six parts spend the budget, so 24
// pieces convert them and 23 stop the count, however the lengths are counted,
// also keeping the notes (seven voices share the parts: the tracks are read
// side by side, in reads of their own, which the case does not count).
TEST(WorkBound, EachPassHasTheWholeBudgetAndOnlyPartsSpendIt) {
  TrackBuilder four;
  for (int32_t t = 0; t < 4 * 1920; t += 1920) four.Note(t, t + 1920, 60);
  std::vector<TrackBuilder> parts(7, four), recounted = parts;
  recounted.push_back(TrackBuilder().Meter(0, 4, 2));
  struct Case {
    const std::vector<TrackBuilder>& tracks;
    bool countEarly, keepNotes;
    int reads;
  } cases[] = {{parts, true, false, 2}, {parts, false, false, 3}, {recounted, true, false, 3}, {parts, true, true, 0}};
  for (const Case& c : cases) {
    const Bytes file = SmfFile(480, c.tracks);
    Conversion fits = RunConverter(file, 24, c.countEarly, c.keepNotes),
               tooSmall = RunConverter(file, 23, c.countEarly, c.keepNotes);
    EXPECT_EQ(fits.result, 1) << fits.log;
    if (c.reads) {
      EXPECT_EQ(fits.reads, c.reads);
    }
    EXPECT_NE(fits.mml.find("F V120@0Ll1\r\nF o4c\r\nF c\r\nF c\r\nF c\r\n\r\n"), std::string::npos) << fits.mml;
    EXPECT_EQ(tooSmall.result, 0);
    EXPECT_EQ(tooSmall.log, fits.log + msg::kTooMuchOutput);
  }
}

// The largest track count: one small table entry each, every track read once
// per pass, six parts written.
TEST(WorkBound, SixtyFiveThousandTracksConvertSixParts) {
  Conversion c = RunConverter(SmfFile(480, std::vector<TrackBuilder>(65535, TrackBuilder().Note(0, 480, 60))));
  EXPECT_EQ(c.result, 1);
  // Compared whole, not line by line: a diff of 65535 lines would not end.
  EXPECT_TRUE(c.log == Tracks(1, 7) + msg::kPartLimit + Tracks(8, 65535)) << c.log.substr(0, 200);
  EXPECT_EQ(c.mml.substr(c.mml.find("\r\nF ")), "\r\nF V120@0Ll4\r\nF o4c\r\n\r\n");
  EXPECT_EQ(c.liveBlocks, 0);
}

}  // namespace
