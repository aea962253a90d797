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

// Each file's log, and its MML when it converts (none when it is refused).
TEST(TrackReader, ReadsOddFilesAndRefusesDamagedOnes) {
  const Bytes sysexPastTheEnd = Bytes{0x00, 0xF0} + VarLen(0x7FFFFFF) + Bytes{0xF7};
  const std::string silentThenBadChunk = kT1 + msg::kSilentTrack + kT2 + msg::kBadChunk;
  struct Case {
    const char* name;
    Bytes file;
    std::string log, mml;
  } cases[] = {
      {"running status continues across system exclusive",
       HeaderChunk(0, 1, 480) +
           Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 62, 100, 0x83, 0x60, 0x80, 62, 0}),
       kT1, "A T120V120@0Ll4\r\nA o4cd\r\n\r\n"},
      {"events after end-of-track are read", HeaderChunk(0, 1, 480) + Chunk(Bytes{0x00, 0xFF, 0x2F, 0x00} + kOneNote),
       kT1, "A T120V120@0Ll4\r\nA o4c\r\n\r\n"},
      {"fewer than 8 bytes", {'M', 'T', 'h', 'd', 0, 0}, msg::kUnknownFormat, ""},
      {"negative header length", kMThd + Be32(0x80000000u) + Be16(0) + Be16(1) + Be16(480), msg::kUnknownFormat, ""},
      {"header length near 2^31", kMThd + Be32(0x7FFFFFF0u) + Be16(0) + Be16(1) + Be16(480) + Chunk(kOneNote),
       kT1 + msg::kBadChunk, ""},
      // The next chunk header is read after the payload, in the middle of nowhere.
      {"payload past the chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0xF0, 0x14, 1, 2}) + Chunk(kOneNote),
       silentThenBadChunk, ""},
      {"payload past the file", HeaderChunk(1, 2, 480) + Chunk(sysexPastTheEnd) + Chunk(kOneNote), silentThenBadChunk,
       ""},
      // The event cut by its chunk's end must not borrow the next chunk's bytes.
      {"note cut by its chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0x90, 60}) + Chunk(kOneNote),
       kT1 + msg::kBadTrackData, ""},
      {"meta event cut by its chunk", HeaderChunk(1, 2, 480) + Chunk({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01}) +
           Chunk(kOneNote), kT1 + msg::kBadTrackData, ""},
  };
  for (const Case& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.mml, c.mml) << c.name;
    EXPECT_EQ(out.result, c.mml.empty() ? 0 : 1) << c.name;
  }
}

// Two seeds' tracks (every kind of read the passes make) behind a silent track
// of `padding` bytes, 27 + padding bytes into the file: the paddings put the
// block edge at each of their bytes in turn.
TEST(TrackReader, EventsAndChunksStraddlingABlockEdgeReadAsAnywhereElse) {
  for (const char* seed : {"song-reference", "song-every-event-kind"}) {
    const Bytes song = SeedFile(seed), tracks(song.begin() + 14, song.end());
    auto padded = [&](int padding) {
      TrackBuilder pad;
      pad.Meta(0, 0x01, Bytes(static_cast<size_t>(padding), 'x'));
      return HeaderChunk(1, song[11] + 1, song[12] << 8 | song[13]) + TrackChunk(pad) + tracks;
    };
    Conversion plain = RunConverter(padded(200));
    ASSERT_EQ(plain.result, 1) << plain.log;
    for (int padding = 8165 - static_cast<int>(tracks.size()); padding <= 8165; ++padding) {
      Conversion moved = RunConverter(padded(padding));
      EXPECT_EQ(moved.log, plain.log) << seed << " " << padding;
      EXPECT_EQ(moved.mml, plain.mml) << seed << " " << padding;
    }
  }
}

TEST(TrackReader, ReadsEachBlockOncePerPass) {
  // Four blocks of notes with running status: the byte read again for every
  // running-status event never costs a read of the platform.
  TrackBuilder track;
  track.Raw(0, {0x90, 60, 100});
  for (int32_t t = 0; track.events().size() < 4 * CPVFile::kBufferSize - 100; t += 240)
    track.Raw(t + 120, {60, 0}).Raw(t + 240, {60, 100});
  const Bytes file = SmfFile(480, {track});
  Conversion c = RunConverter(file);
  EXPECT_EQ(c.result, 1) << c.log;
  // The analysis pass reads from the file's start and counts the lengths as
  // it goes; the emission pass reads from the first track chunk (14 bytes
  // in); none reads past the last track's end.
  auto blocks = [](size_t bytes) { return static_cast<int>((bytes + 8191) / 8192); };
  EXPECT_EQ(c.reads, blocks(file.size()) + blocks(file.size() - 14));
}

}  // namespace
