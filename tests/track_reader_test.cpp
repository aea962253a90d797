// Reading the header and the track chunks: the cases around the seed corpus's
// one file per message (see hostile_input_test), and the reader's walk across
// the source file's 8192-byte blocks.
#include <gtest/gtest.h>

#include <string>

#include "converter/messages.h"
#include "support/file.h"
#include "tests/support/harness.h"

namespace {

const Bytes kMThd = {'M', 'T', 'h', 'd'};
const Bytes kMTrk = {'M', 'T', 'r', 'k'};
const std::string kT1 = "Track:1\n", kT2 = "Track:2\n";

Bytes Chunk(const Bytes& events) { return kMTrk + Be32(static_cast<uint32_t>(events.size())) + events; }

// One note at the start of a track, then the end-of-track event.
const Bytes kOneNote = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};

TEST(TrackReader, RefusesDamagedFilesWithTheirMessages) {
  const Bytes sysexPastTheEnd = Bytes{0x00, 0xF0} + VarLen(0x7FFFFFF) + Bytes{0xF7};
  const std::string silentThenBadChunk = kT1 + msg::kSilentTrack + kT2 + msg::kBadChunk;
  struct Case {
    const char* name;
    Bytes file;
    std::string log;
  } cases[] = {
      {"fewer than 8 bytes", {'M', 'T', 'h', 'd', 0, 0}, msg::kUnknownFormat},
      {"negative header length", kMThd + Be32(0x80000000u) + Be16(0) + Be16(1) + Be16(480), msg::kUnknownFormat},
      {"header length near 2^31", kMThd + Be32(0x7FFFFFF0u) + Be16(0) + Be16(1) + Be16(480) + Chunk(kOneNote),
       kT1 + msg::kBadChunk},
      // The next chunk header is read after the payload, in the middle of nowhere.
      {"payload past the chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0xF0, 0x14, 1, 2}) + Chunk(kOneNote),
       silentThenBadChunk},
      {"payload past the file", HeaderChunk(1, 2, 480) + Chunk(sysexPastTheEnd) + Chunk(kOneNote), silentThenBadChunk},
      // The event cut by its chunk's end must not borrow the next chunk's bytes.
      {"note cut by its chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0x90, 60}) + Chunk(kOneNote),
       kT1 + msg::kBadTrackData},
      {"meta event cut by its chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01}) +
           Chunk(kOneNote), kT1 + msg::kBadTrackData},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.result, 0) << c.name;
  }
}

TEST(TrackReader, ReadsOddButValidFiles) {
  const std::string oneNote = "A T120V120@0Ll4\r\nA o4c\r\n\r\n", twoNotes = "A T120V120@0Ll4\r\nA o4cd\r\n\r\n";
  struct Case {
    const char* name;
    Bytes file;
    std::string log, mml;
  } cases[] = {
      {"running status continues across a meta event",
       HeaderChunk(0, 1, 480) +
           Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xFF, 0x01, 0x01, 'x', 0x00, 62, 100, 0x83, 0x60, 0x80, 62, 0}),
       kT1, twoNotes},
      {"running status continues across system exclusive",
       HeaderChunk(0, 1, 480) +
           Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 62, 100, 0x83, 0x60, 0x80, 62, 0}),
       kT1, twoNotes},
      {"events after end-of-track are read", HeaderChunk(0, 1, 480) + Chunk(Bytes{0x00, 0xFF, 0x2F, 0x00} + kOneNote),
       kT1, oneNote},
      // A chunk that claims no bytes, or a negative count, holds no events
      // in any pass: each reads the next chunk right after its header.
      {"chunk of length 0", HeaderChunk(1, 2, 480) + kMTrk + Be32(0) + Chunk(kOneNote), kT1 + msg::kSilentTrack + kT2,
       oneNote},
      {"chunk of length -1", HeaderChunk(1, 2, 480) + kMTrk + Be32(0xFFFFFFFFu) + Chunk(kOneNote),
       kT1 + msg::kSilentTrack + kT2, oneNote},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.result, 1) << c.name << "\n" << out.log;
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.mml, c.mml) << c.name;
  }
}

// Notes one after another as note-ons of velocity 0 and above, with running status.
void RunningNotes(TrackBuilder& track, int32_t start, int count, int32_t step, int key) {
  track.Raw(start, {0x90, static_cast<uint8_t>(key), 100});
  for (int i = 0; i < count; ++i) {
    int32_t t = start + i * step;
    track.Raw(t + step - 40, {static_cast<uint8_t>(key + i), 0});
    if (i + 1 < count) track.Raw(t + step, {static_cast<uint8_t>(key + i + 1), 100});
  }
}

// Every kind of read the passes make (running status, two-byte delta times,
// one- and two-byte messages, tempo and meter payloads read, system exclusive
// skipped) in about a hundred bytes, behind a text event of `padding` bytes.
TrackBuilder Events(int padding) {
  TrackBuilder track;
  if (padding) track.Meta(0, 0x01, Bytes(static_cast<size_t>(padding), 'x'));
  track.Volume(0, 100).Tempo(0, 500000).Meter(0, 3, 2);
  RunningNotes(track, 0, 6, 240, 60);
  track.Raw(1440, {0xF0, 0x03, 0x7E, 0x01, 0xF7}).Tempo(1440, 400000).Raw(1440, {0xC0, 5});
  RunningNotes(track, 1440, 3, 1000, 70);
  track.Raw(4440, {0xE0, 0, 64}).Meter(4440, 6, 3);
  RunningNotes(track, 4440, 4, 120, 50);
  return track.EndOfTrack(5000);
}

TEST(TrackReader, EventsAndChunksStraddlingABlockEdgeReadAsAnywhereElse) {
  TrackBuilder melody;
  for (int i = 0; i < 4; ++i) melody.Note(480 * i, 480 * i + 480, 64 + i);
  Conversion plain = RunConverter(SmfFile(480, {Events(0), melody}));
  ASSERT_EQ(plain.result, 1) << plain.log;
  // The events start 27 bytes plus the padding into the file: these paddings
  // put the block edge at each of their bytes, then at the next chunk's header.
  for (int padding = 8050; padding <= 8165; ++padding) {
    Conversion moved = RunConverter(SmfFile(480, {Events(padding), melody}));
    EXPECT_EQ(moved.log, plain.log) << padding;
    EXPECT_EQ(moved.mml, plain.mml) << padding;
  }
}

TEST(TrackReader, ReadsEachBlockOncePerPass) {
  // Four blocks of notes with running status: the byte read again for every
  // running-status event never costs a read of the platform.
  TrackBuilder track;
  int32_t t = 0;
  for (; track.events().size() < 4 * CPVFile::kBufferSize - 100; t += 24 * 120) RunningNotes(track, t, 24, 120, 48);
  const Bytes file = SmfFile(480, {track.EndOfTrack(t)});
  Conversion c = RunConverter(file);
  EXPECT_EQ(c.result, 1) << c.log;
  // The first pass reads from the file's start, the later two from the first
  // track chunk (14 bytes in); none reads past the last track's end.
  auto blocks = [](size_t bytes) { return static_cast<int>((bytes + 8191) / 8192); };
  EXPECT_EQ(c.reads, blocks(file.size()) + 2 * blocks(file.size() - 14));
}

}  // namespace
