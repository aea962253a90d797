// Reading the header and the track chunks: the cases around the seed corpus's
// one file per message (see hostile_input_test), and the reader's walk across
// the source file's 8192-byte blocks.
#include <gtest/gtest.h>

#include <string>

#include "converter/messages.h"
#include "tests/support/harness.h"

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
      {"running status continues across system exclusive",
       one + Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 62, 100, 0x83, 0x60, 0x80, 62, 0}),
       t1, "A T120V120@0Ll4\r\nA o4cd\r\n\r\n"},
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

// Two seeds' tracks (every kind of read the passes make, running status
// across other events) behind a silent track of `padding` bytes, 27 + padding
// bytes into the file: the paddings put the block edge at each of their bytes
// in turn. The byte read again for a running-status event never costs a read
// of the platform: the analysis pass reads each block from the file's start
// once, the emission pass from the first track chunk (14 bytes in).
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

}  // namespace
