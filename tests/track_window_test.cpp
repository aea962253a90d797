// Reading tracks across the source file's 8192-byte blocks: every event may
// straddle a block edge, and every block is read from the platform once per
// pass.
#include <gtest/gtest.h>

#include <string>

#include "converter/convert_midi.h"
#include "converter/messages.h"
#include "support/file.h"
#include "support/os.h"
#include "tests/support/harness.h"

namespace {

// Notes of one key after another, each a note-on and a note-on of velocity 0
// written with running status after the first status byte.
void RunningNotes(TrackBuilder& track, int32_t start, int count, int32_t step, int key) {
  track.Raw(start, {0x90, static_cast<uint8_t>(key), 100});
  for (int i = 0; i < count; ++i) {
    int32_t t = start + i * step;
    track.Raw(t + step - 40, {static_cast<uint8_t>(key + i), 0});
    if (i + 1 < count) track.Raw(t + step, {static_cast<uint8_t>(key + i + 1), 100});
  }
}

// Running status, two-byte delta times, one- and two-byte channel messages,
// tempo and meter events (whose payloads the first pass reads) and a system
// exclusive event (whose payload is skipped): every kind of read the passes
// make, in about a hundred bytes.
TrackBuilder Events(TrackBuilder track) {
  track.Volume(0, 100).Tempo(0, 500000).Meter(0, 3, 2);
  RunningNotes(track, 0, 6, 240, 60);
  track.Raw(1440, {0xF0, 0x03, 0x7E, 0x01, 0xF7}).Tempo(1440, 400000).Raw(1440, {0xC0, 5});
  RunningNotes(track, 1440, 3, 1000, 70);
  track.Raw(4440, {0xE0, 0, 64}).Meter(4440, 6, 3);
  RunningNotes(track, 4440, 4, 120, 50);
  return track.EndOfTrack(5000);
}

// The same events behind a text event of `padding` bytes, which moves them
// across the first block edge without changing the MML.
Bytes Padded(int padding) {
  TrackBuilder track;
  track.Meta(0, 0x01, Bytes(static_cast<size_t>(padding), 'x'));
  return SmfFile(480, {Events(track)});
}

TEST(TrackWindow, EventsStraddlingABlockEdgeReadAsAnywhereElse) {
  Conversion plain = RunConverter(SmfFile(480, {Events(TrackBuilder())}));
  ASSERT_EQ(plain.result, 1) << plain.log;
  // The events start 27 bytes plus the padding into the file; these paddings
  // put the block edge at each of their first hundred bytes in turn.
  for (int padding = 8060; padding <= 8165; ++padding) {
    Conversion moved = RunConverter(Padded(padding));
    EXPECT_EQ(moved.result, 1) << padding;
    EXPECT_EQ(moved.log, plain.log) << padding;
    EXPECT_EQ(moved.mml, plain.mml) << padding;
  }
}

TEST(TrackWindow, TwoTracksMeetingAtABlockEdge) {
  // The first track's events end and the second's chunk header starts on
  // either side of the edge.
  TrackBuilder melody;
  for (int i = 0; i < 4; ++i) melody.Note(480 * i, 480 * i + 480, 64 + i);
  Conversion plain = RunConverter(SmfFile(480, {Events(TrackBuilder()), melody}));
  ASSERT_EQ(plain.result, 1) << plain.log;
  for (int padding = 8050; padding <= 8110; ++padding) {
    TrackBuilder first;
    first.Meta(0, 0x01, Bytes(static_cast<size_t>(padding), 'x'));
    Conversion moved = RunConverter(SmfFile(480, {Events(first), melody}));
    EXPECT_EQ(moved.log, plain.log) << padding;
    EXPECT_EQ(moved.mml, plain.mml) << padding;
  }
}

TEST(TrackWindow, ChunkEndStopsAnEventThatRunsIntoTheNextChunk) {
  // The bytes after each first chunk are a whole valid chunk; the event cut
  // by its chunk's end must not borrow them.
  TrackBuilder next;
  next.Note(0, 480, 60);
  const Bytes nextChunk = TrackChunk(next);
  struct Case {
    const char* name;
    Bytes events;
  } cases[] = {
      {"note without its velocity", {0x00, 0x90, 60}},
      {"running-status note without its velocity", {0x00, 0x90, 60, 100, 0x10, 62}},
      {"delta time cut after its first byte", {0x00, 0x90, 60, 100, 0x81}},
      {"meta event without its length", {0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01}},
  };
  for (const Case& c : cases) {
    Bytes chunk = Bytes{'M', 'T', 'r', 'k'} + Be32(static_cast<uint32_t>(c.events.size())) + c.events;
    Conversion out = RunConverter(HeaderChunk(1, 2, 480) + chunk + nextChunk);
    EXPECT_EQ(out.result, 0) << c.name;
    EXPECT_EQ(out.log, std::string("Track:1\n") + msg::kBadTrackData) << c.name;
  }
}

// Counts the platform reads of the source file.
struct ReadCounter {
  static int reads;
  static int Read(PVOsFile f, void* dst, uint32_t n, uint32_t* done) {
    ++reads;
    return PVOsPlatform()->read(f, dst, n, done);
  }
  ReadCounter() {
    reads = 0;
    methods = *PVOsPlatform();
    methods.read = Read;
    PVOsSwap(&methods);
  }
  ~ReadCounter() { PVOsSwap(nullptr); }
  PVOsMethods methods;
};
int ReadCounter::reads = 0;

TEST(TrackWindow, EachBlockIsReadOncePerPass) {
  // Four blocks of notes written with running status: the byte read again
  // for every running-status event never costs a read of the platform.
  TrackBuilder track;
  int32_t t = 0;
  while (track.events().size() < 4 * CPVFile::kBufferSize - 100) {
    RunningNotes(track, t, 24, 120, 48);
    t += 24 * 120;
  }
  Bytes file = SmfFile(480, {track.EndOfTrack(t)});
  const uint32_t size = static_cast<uint32_t>(file.size());
  const uint32_t firstTrack = 14;
  ScratchDir dir;
  WriteFileBytes(dir.Path("in.mid"), file);
  ReadCounter counter;
  StringLog log;
  ConversionState state;
  ASSERT_EQ(state.sourceFile.Open(dir.Path("in.mid").c_str(), CPVFile::kRead), 1);
  ASSERT_EQ(state.targetFile.Open(dir.Path("out.mml").c_str(), CPVFile::kWrite), 1);
  EXPECT_EQ(ConvertMidi(state, log), 1) << log.text();
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  state.targetFile.Close();
  // The first pass reads from the file's start, the later two from the first
  // track chunk; none reads past the last track's end.
  auto blocks = [](uint32_t bytes) { return static_cast<int>((bytes + 8191) / 8192); };
  EXPECT_EQ(ReadCounter::reads, blocks(size) + 2 * blocks(size - firstTrack));
}

}  // namespace
