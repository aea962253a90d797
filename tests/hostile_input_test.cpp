// Hostile and broken files: each is refused or converted with bounded work,
// answered in the log, and leaves no handle or block behind. Runs go through
// the in-memory OS double, so a runaway file costs no disk.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "converter/messages.h"
#include "converter/track_reader.h"
#include "tests/support/harness.h"
#include "tests/support/memory_os.h"

namespace {

const uint32_t kMaxDelta = (1u << 28) - 1;  // the largest variable-length quantity

Bytes Header(int32_t length, int format, int trackCount, int division) {
  return Bytes{'M', 'T', 'h', 'd'} + Be32(static_cast<uint32_t>(length)) + Be16(format) +
         Be16(trackCount) + Be16(division);
}

// A chunk that claims length bytes, whatever follows it.
Bytes Chunk(uint32_t length, const Bytes& events) {
  return Bytes{'M', 'T', 'r', 'k'} + Be32(length) + events;
}

TrackBuilder Melody() {
  TrackBuilder t;
  t.Volume(0, 100).Note(0, 480, 60).Note(480, 960, 64).EndOfTrack(960);
  return t;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

void ExpectReleased(const MemoryConversion& c) {
  EXPECT_EQ(c.openFiles, 0);
  EXPECT_EQ(c.liveBlocks, 0);
}

// Six parts at division 1 (a whole note is 4 ticks), each one note held for
// seven delta times of 2^28 - 1 ticks: 2^29 pieces per part.
Bytes RunawayInTheLengthPass() {
  std::vector<TrackBuilder> tracks(6);
  for (int part = 0; part < 6; ++part) {
    Bytes events = VarLen(0) + Bytes{0x90, uint8_t(60 + part), 100};
    for (int i = 0; i < 7; ++i) events = events + VarLen(kMaxDelta) + Bytes{0xFF, 0x01, 0x00};
    tracks[part].RawBytes(events + VarLen(0) + Bytes{0x80, uint8_t(60 + part), 0});
  }
  return SmfFile(1, tracks);
}

// Six short notes, then one track runs on for 2^31 - 8 ticks: the length pass
// counts only the notes, the emission pass fills every part with rests.
Bytes RunawayInTheEmissionPass() {
  std::vector<TrackBuilder> tracks(6);
  for (int part = 0; part < 6; ++part) tracks[part].Note(0, 1, 60 + part);
  Bytes tail;
  for (int i = 0; i < 8; ++i) tail = tail + VarLen(kMaxDelta) + Bytes{0xFF, 0x01, 0x00};
  tracks[0].RawBytes(tail);
  return SmfFile(1, tracks);
}

TEST(WorkBound, RunawayFileIsRefusedInTheLengthPass) {
  MemoryConversion c = RunConverterInMemory(RunawayInTheLengthPass());
  EXPECT_EQ(c.result, 0);
  EXPECT_TRUE(EndsWith(c.log, std::string("Track:6\n") + msg::kTooMuchOutput)) << c.log;
  EXPECT_EQ(c.piecesUsed, kMaxPiecesPerPass);
  EXPECT_EQ(c.bytesWritten, 0u);
  ExpectReleased(c);
}

// The emission pass stops at its budget, whatever the budget, so the text of
// any file is bounded by the budget and the file's size.
TEST(WorkBound, EmissionStopsAtThePieceBudget) {
  Bytes file = RunawayInTheEmissionPass();
  for (uint32_t budget : {1000u, 100000u}) {
    MemoryRun run;
    run.pieceBudget = budget;
    MemoryConversion c = RunConverterInMemory(file, run);
    EXPECT_EQ(c.result, 0) << budget;
    EXPECT_TRUE(EndsWith(c.log, msg::kTooMuchOutput)) << c.log;
    EXPECT_EQ(c.piecesUsed, budget);
    EXPECT_GT(c.bytesWritten, 0u);
    EXPECT_LE(c.bytesWritten, OutputBound(file.size(), budget));
    ExpectReleased(c);
  }
}

// A file that needs exactly the budget converts; one piece less stops it.
TEST(WorkBound, BudgetIsAnUpperBoundNotAnApproximation) {
  TrackBuilder t;
  t.Volume(0, 100).Note(0, 480, 60).Note(960, 2400, 64).Note(2400, 2460, 72).EndOfTrack(3840);
  Bytes file = SmfFile(480, {t});
  MemoryConversion full = RunConverterInMemory(file);
  ASSERT_EQ(full.result, 1) << full.log;
  uint32_t needed = full.piecesUsed;
  ASSERT_GT(needed, 3u);

  MemoryRun exact;
  exact.pieceBudget = needed;
  MemoryConversion c = RunConverterInMemory(file, exact);
  EXPECT_EQ(c.result, 1) << c.log;
  EXPECT_EQ(c.mmlHead, full.mmlHead);

  MemoryRun short_by_one;
  short_by_one.pieceBudget = needed - 1;
  c = RunConverterInMemory(file, short_by_one);
  EXPECT_EQ(c.result, 0);
  EXPECT_TRUE(EndsWith(c.log, msg::kTooMuchOutput)) << c.log;
}

// At division 32767 a whole note is 131068 ticks, so a note held up to
// 2^31 - 1 asks for 16384 whole notes and then pieces that would carry the
// written time, or the next measure boundary, past 32 bits.
TEST(TickLimit, PiecesNeverCarryTimePast32Bits) {
  const int32_t kWhole = 4 * 32767;
  struct Case {
    const char* name;
    int meterNumerator;  // 0 switches measures off
    int32_t end;
    int result;
  };
  const Case cases[] = {
      {"measure boundary past 2^31 - 1", 4, INT32_MAX, 0},
      {"rounded piece past 2^31 - 1", 0, INT32_MAX, 0},
      {"whole notes up to the last that fits", 0, 16384 * kWhole, 1},
  };
  for (const Case& k : cases) {
    TrackBuilder t;
    t.Meter(0, k.meterNumerator, 2).NoteOn(0, 60);
    int32_t at = 0;
    while (k.end - at > static_cast<int32_t>(kMaxDelta)) t.Meta(at += kMaxDelta, 0x01, {});
    t.NoteOff(k.end, 60);
    MemoryConversion c = RunConverterInMemory(SmfFile(32767, {t}));
    EXPECT_EQ(c.result, k.result) << k.name << ": " << c.log;
    EXPECT_EQ(EndsWith(c.log, msg::kTickOverflow), k.result == 0) << k.name << ": " << c.log;
    ExpectReleased(c);
  }
}

struct RefusedFile {
  const char* name;
  Bytes bytes;
  std::string logTail;
};

std::vector<RefusedFile> RefusedFiles() {
  Bytes note = VarLen(0) + Bytes{0x90, 60, 100};
  Bytes ticks = note;
  for (int i = 0; i < 9; ++i) ticks = ticks + VarLen(kMaxDelta) + Bytes{0x80, 60, 0};
  Bytes pastEnd = note + VarLen(480) + Bytes{0xFF, 0x01} + VarLen(kMaxDelta) + Bytes{'x'};
  Bytes sysexPastEnd = note + VarLen(480) + Bytes{0xF0} + VarLen(0x7FFFFFF) + Bytes{0xF7};
  return {
      {"65535 tracks declared, one present", Header(6, 1, 65535, 480) + TrackChunk(Melody()),
       std::string("Track:2\n") + msg::kBadChunk},
      {"ticks past 2^31 - 1", Header(6, 0, 1, 480) + Chunk(uint32_t(ticks.size()), ticks),
       msg::kTickOverflow},
      {"chunk length near 2^31", Header(6, 0, 1, 480) + Chunk(0x7FFFFFF0u, note),
       msg::kBadTrackData},
      {"header length near 2^31", Header(0x7FFFFFF0, 0, 1, 480) + TrackChunk(Melody()),
       std::string("Track:1\n") + msg::kBadChunk},
      {"meta payload past the end, a track after it",
       Header(6, 1, 2, 480) + Chunk(uint32_t(pastEnd.size()), pastEnd) + TrackChunk(Melody()),
       std::string("Track:2\n") + msg::kBadChunk},
      {"system exclusive past the end, a track after it",
       Header(6, 1, 2, 480) + Chunk(uint32_t(sysexPastEnd.size()), sysexPastEnd) +
           TrackChunk(Melody()),
       std::string("Track:2\n") + msg::kBadChunk},
  };
}

TEST(HostileInput, RefusedWithTheirMessage) {
  for (const RefusedFile& f : RefusedFiles()) {
    MemoryConversion c = RunConverterInMemory(f.bytes);
    EXPECT_EQ(c.result, 0) << f.name;
    EXPECT_TRUE(EndsWith(c.log, f.logTail)) << f.name << ": " << c.log;
    EXPECT_EQ(c.bytesWritten, 0u) << f.name;
    ExpectReleased(c);
  }
}

// A payload that runs past the end of the file ends the last track quietly.
TEST(HostileInput, SkipPastTheEndEndsTheLastTrack) {
  const Bytes kPayloadStarts[] = {{0xFF, 0x01}, {0xF0}};  // a meta event, system exclusive
  for (const Bytes& start : kPayloadStarts) {
    TrackBuilder t;
    t.Note(0, 480, 60).Raw(480, start).RawBytes(VarLen(kMaxDelta));
    MemoryConversion c = RunConverterInMemory(SmfFile(480, {t}));
    EXPECT_EQ(c.result, 1) << c.log;
    EXPECT_EQ(c.log, "Track:1\n");
    EXPECT_EQ(c.mmlHead, "A T120V120@0Ll4\r\nA o4c\r\n\r\n");
    ExpectReleased(c);
  }
}

TEST(HostileInput, SixtyFiveThousandTracksConvertSixParts) {
  std::vector<TrackBuilder> tracks(65535);
  for (TrackBuilder& t : tracks) t.Note(0, 480, 60);
  Bytes file = SmfFile(480, tracks);
  MemoryConversion c = RunConverterInMemory(file);
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(CountOf(c.log, "Track:"), 65535u);
  EXPECT_TRUE(EndsWith(c.log, "Track:65535\n"));
  EXPECT_EQ(CountOf(c.log, msg::kPartLimit), 1u);
  EXPECT_NE(c.mmlHead.find("\r\nF o4c\r\n\r\n"), std::string::npos);
  EXPECT_EQ(c.mmlHead.find("G "), std::string::npos);
  EXPECT_EQ(c.bytesWritten, c.mmlHead.size());
  ExpectReleased(c);
}

// A chunk that claims no bytes, or a negative count, holds no events in any
// pass: every pass reads the next chunk right after its header.
TEST(HostileInput, ChunkWithoutBytesIsSilentInEveryPass) {
  MemoryConversion plain = RunConverterInMemory(SmfFile(480, {Melody()}));
  ASSERT_EQ(plain.result, 1);
  for (uint32_t length : {0u, 0xFFFFFFFFu, 0xFFFFFFF8u, 0x80000000u}) {
    Bytes file = Header(6, 1, 2, 480) + Chunk(length, {}) + TrackChunk(Melody());
    MemoryConversion c = RunConverterInMemory(file);
    EXPECT_EQ(c.result, 1) << std::hex << length << ": " << c.log;
    EXPECT_EQ(c.log, std::string("Track:1\n") + msg::kSilentTrack + "Track:2\n");
    EXPECT_EQ(c.mmlHead, plain.mmlHead) << std::hex << length;
    ExpectReleased(c);
  }
}

// An event leaves nothing of the previous one in the fields it does not use.
TEST(HostileInput, EventBodyFieldsAreAlwaysDefined) {
  Bytes bytes = Bytes{0xFF, 0x01, 0x00} + Bytes{0xC0, 0x05} + Bytes{0xF0, 0x00};
  MemoryOs os(bytes.data(), bytes.size());
  StringLog log;
  ConversionState s;
  ASSERT_TRUE(s.sourceFile.Open("events", CPVFile::kRead));
  s.trackBytesLeft = static_cast<int32_t>(bytes.size());
  TrackReader reader(s, log, kAnalysisPass);
  for (int status : {0xFF, 0xC0, 0xF0}) {
    TrackEvent ev = {0x55, {0x55, 0x55}, 0x55, 0x55};
    ASSERT_TRUE(reader.ReadEventBody(&ev));
    EXPECT_EQ(ev.status, status);
    EXPECT_EQ(ev.data[0], status == 0xC0 ? 5 : 0) << std::hex << status;
    EXPECT_EQ(ev.data[1], 0) << std::hex << status;
    EXPECT_EQ(ev.metaType, status == 0xFF ? 1 : 0) << std::hex << status;
  }
  s.sourceFile.Close();
}

}  // namespace
