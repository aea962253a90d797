// Reading the header and the track chunks: refusals, budgets, variable-length
// numbers and running status, on hand-built byte arrays.
#include <gtest/gtest.h>

#include <string>

#include "converter/messages.h"
#include "tests/support/harness.h"

namespace {

const Bytes kMThd = {'M', 'T', 'h', 'd'};
const Bytes kMTrk = {'M', 'T', 'r', 'k'};

Bytes Chunk(const Bytes& events) {
  return kMTrk + Be32(static_cast<uint32_t>(events.size())) + events;
}

// One note at the start of a track, then the end-of-track event.
const Bytes kOneNote = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};

struct ReadCase {
  const char* name;
  Bytes file;
  std::string log;
  int result;
};

TEST(TrackReader, RefusesDamagedFilesWithTheirMessage) {
  const std::string t1 = "Track:1\n";
  const ReadCase cases[] = {
      {"empty file", {}, msg::kNotSmf, 0},
      {"fewer than 8 bytes", {'M', 'T', 'h', 'd', 0, 0}, msg::kUnknownFormat, 0},
      {"not a MIDI file", Bytes{'R', 'I', 'F', 'F'} + Be32(6), msg::kNotSmf, 0},
      {"header length below 6", kMThd + Be32(5) + Be16(0) + Be16(1) + Be16(480), msg::kUnknownFormat, 0},
      {"negative header length", kMThd + Be32(0x80000000u) + Be16(0) + Be16(1) + Be16(480),
       msg::kUnknownFormat, 0},
      {"SMPTE division", HeaderChunk(0, 1, 0xE728) + Chunk(kOneNote), msg::kSmpteDivision, 0},
      {"division 0", HeaderChunk(0, 1, 0) + Chunk(kOneNote), msg::kZeroDivision, 0},
      {"header ends inside the track count: the division reads as 0",
       kMThd + Be32(6) + Be16(0) + Bytes{0}, msg::kZeroDivision, 0},
      {"no track at all", HeaderChunk(0, 0, 480), msg::kNoTrackToOutput, 0},
      {"fewer chunks than declared", HeaderChunk(1, 2, 480) + Chunk(kOneNote),
       t1 + "Track:2\n" + msg::kBadChunk, 0},
      {"wrong chunk type", HeaderChunk(0, 1, 480) + Bytes{'M', 'T', 'r', 'x'} + Be32(0),
       t1 + msg::kBadChunk, 0},
      {"last event runs past the chunk", HeaderChunk(0, 1, 480) + Chunk({0x00, 0x90, 60}),
       t1 + msg::kBadTrackData, 0},
      {"chunk claims more than the file holds", HeaderChunk(0, 1, 480) + kMTrk + Be32(100000) +
           Bytes{0x00, 0x90, 60, 100, 0x60, 61, 100},
       t1 + msg::kBadTrackData, 0},
      {"delta time of five bytes", HeaderChunk(0, 1, 480) + Chunk({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
       t1 + msg::kVarLenTooLong, 0},
      {"data byte before any status", HeaderChunk(0, 1, 480) + Chunk({0x00, 60, 100}),
       t1 + msg::kRunningStatusBroken, 0},
      {"system real-time status", HeaderChunk(0, 1, 480) + Chunk({0x00, 0xF8}),
       t1 + msg::kUnknownMessage, 0},
      {"song position status", HeaderChunk(0, 1, 480) + Chunk({0x00, 0xF2, 0, 0}),
       t1 + msg::kUnknownMessage, 0},
      {"chunk of length 0 is silent", HeaderChunk(0, 1, 480) + kMTrk + Be32(0),
       t1 + msg::kSilentTrack + msg::kNoTrackToOutput, 0},
      {"negative chunk length is silent", HeaderChunk(0, 1, 480) + kMTrk + Be32(0xFFFFFFFFu),
       t1 + msg::kSilentTrack + msg::kNoTrackToOutput, 0},
      {"ticks past 2^31 - 1", HeaderChunk(0, 1, 480) +
           Chunk(Bytes{0x00, 0x90, 60, 100} + [] {
             Bytes many;
             for (int i = 0; i < 9; ++i) many = many + VarLen(0x0FFFFFFF) + Bytes{0x80, 60, 0};
             return many;
           }()),
       t1 + msg::kTickOverflow, 0},
  };
  for (const ReadCase& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.log, c.log) << c.name;
    EXPECT_EQ(out.result, c.result) << c.name;
  }
}

// Files the reader must accept, and the MML they give.
struct AcceptCase {
  const char* name;
  Bytes file;
  const char* mml;
};

TEST(TrackReader, ReadsOddButValidFiles) {
  const char* oneNote = "A T120V120@0Ll4\r\nA o4c\r\n\r\n";
  const AcceptCase cases[] = {
      {"format 0", HeaderChunk(0, 1, 480) + Chunk(kOneNote), oneNote},
      {"format 2 tracks run in parallel",
       HeaderChunk(2, 2, 480) + Chunk(kOneNote) + Chunk(kOneNote),
       "A T120V120@0Ll4\r\nA o4c\r\n\r\nB V120@0Ll4\r\nB o4c\r\n\r\n"},
      {"header of 10 bytes skips 4", kMThd + Be32(10) + Be16(0) + Be16(1) + Be16(480) +
           Bytes{1, 2, 3, 4} + Chunk(kOneNote), oneNote},
      {"running status continues across a meta event",
       HeaderChunk(0, 1, 480) + Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xFF, 0x01, 0x01, 'x', 0x00, 62,
                                       100, 0x83, 0x60, 0x80, 62, 0}),
       "A T120V120@0Ll4\r\nA o4cd\r\n\r\n"},
      {"running status continues across system exclusive",
       HeaderChunk(0, 1, 480) + Chunk({0x00, 0x90, 60, 100, 0x83, 0x60, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 62,
                                       100, 0x83, 0x60, 0x80, 62, 0}),
       "A T120V120@0Ll4\r\nA o4cd\r\n\r\n"},
      {"meta length of two bytes skips 128",
       HeaderChunk(0, 1, 480) + Chunk(Bytes{0x00, 0xFF, 0x01, 0x81, 0x00} + Bytes(128, 0x90) +
                                      kOneNote),
       oneNote},
      {"events after end-of-track are read",
       HeaderChunk(0, 1, 480) + Chunk(Bytes{0x00, 0xFF, 0x2F, 0x00} + kOneNote), oneNote},
      {"largest delta time", HeaderChunk(0, 1, 480) +
           Chunk({0x00, 0x90, 60, 100, 0xFF, 0xFF, 0xFF, 0x7F, 0x80, 60, 0}), nullptr},
  };
  for (const AcceptCase& c : cases) {
    Conversion out = RunConverter(c.file);
    EXPECT_EQ(out.result, 1) << c.name << "\n" << out.log;
    if (c.mml) {
      EXPECT_EQ(out.mml, c.mml) << c.name;
    }
  }
}

TEST(TrackReader, PayloadPastTheChunkEndsTheTrackQuietly) {
  // The sysex claims 20 bytes but the chunk holds 2: the track ends there and
  // the next chunk header is read after the payload, in the middle of nowhere.
  Bytes file = HeaderChunk(1, 2, 480) + Chunk(Bytes{0x00, 0xF0, 0x14, 1, 2}) + Chunk(kOneNote);
  Conversion out = RunConverter(file);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.log, std::string("Track:1\n") + msg::kSilentTrack + "Track:2\n" + msg::kBadChunk);
}

TEST(TrackReader, TempoAndMeterTakeStandardLengthsInTheFirstPass) {
  // A tempo event that claims 4 bytes: the first pass reads 3 and then takes
  // the fourth (0x00) as the next delta time; it is consistent here.
  Bytes file = HeaderChunk(0, 1, 480) +
               Chunk({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 60, 100, 0x83, 0x60,
                      0x80, 60, 0});
  Conversion out = RunConverter(file);
  ASSERT_EQ(out.result, 1) << out.log;
  EXPECT_EQ(out.mml, "A T120V120@0Ll4\r\nA o4c\r\n\r\n");
}

}  // namespace
