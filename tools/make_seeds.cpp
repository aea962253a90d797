// Writes the fuzzer's seed corpus: small files made here that between them
// hold every kind of event and call up every message of the header step, the
// track reader, the converter's limits and the analysis pass.
//
// The unit tests read some of them too: the reference song, whose MML they
// check byte for byte, and the files that each call up one message.
//
// Usage: make_seeds DIR   (writes DIR/NAME.mid for every seed)
#include <cstdio>
#include <string>
#include <vector>

#include "tests/kit/midi_builder.h"

namespace {

struct Seed {
  const char* name;
  Bytes bytes;
};

const uint32_t kMaxDelta = (1u << 28) - 1;

// A header chunk that claims length bytes.
Bytes Header(uint32_t length, int format, int trackCount, int division) {
  return Bytes{'M', 'T', 'h', 'd'} + Be32(length) + Be16(format) + Be16(trackCount) + Be16(division);
}

// A track chunk that claims length bytes, whatever follows it.
Bytes ChunkWithLength(uint32_t length, const Bytes& events) {
  return Bytes{'M', 'T', 'r', 'k'} + Be32(length) + events;
}

TrackBuilder Melody(int key = 60) {
  TrackBuilder t;
  t.Volume(0, 100).Note(0, 480, key).Note(480, 960, key + 4).EndOfTrack(960);
  return t;
}

TrackBuilder Conductor() {
  TrackBuilder t;
  t.Tempo(0, 500000).Meter(0, 4, 2).Tempo(1920, 400000).Meter(1920, 3, 2).EndOfTrack(1920);
  return t;
}

// The reference song: a conductor, a melody with a chord and a tempo change
// under a held note, and a drum track that ends early.
Bytes ReferenceSong() {
  TrackBuilder conductor;
  conductor.Tempo(0, 500000).Meter(0, 4, 2).Tempo(2400, 400000).EndOfTrack(2400);
  TrackBuilder melody;
  melody.Volume(0, 100)
      .Note(0, 480, 60)
      .Note(480, 960, 64)
      .NoteOn(960, 67)
      .NoteOn(960, 71)
      .NoteOff(1440, 67)
      .NoteOff(1440, 71)
      .Note(1680, 2400, 69)
      .Note(2400, 2880, 72)
      .EndOfTrack(2880);
  TrackBuilder drums;
  drums.Volume(0, 80, 9)
      .Note(0, 240, 36, 9)
      .Note(480, 720, 38, 9)
      .Note(960, 1200, 36, 9)
      .Note(1440, 1680, 36, 9)
      .EndOfTrack(1920);
  return SmfFile(480, {conductor, melody, drums});
}

// Every channel message, system exclusive in both forms, several meta types,
// running status across a meta event and note-ons of velocity 0.
Bytes EveryEventKind() {
  TrackBuilder t;
  t.Raw(0, {0xC0, 5})                       // program change
      .Raw(0, {0xB0, 7, 90})                // volume
      .Raw(0, {0xB0, 10, 64})               // another controller
      .Raw(0, {0xF0, 3, 0x7E, 0x7F, 0xF7})  // system exclusive
      .Raw(0, {0xF7, 1, 0xF7})              // escaped system exclusive
      .Meta(0, 0x03, {'s', 'e', 'e', 'd'})
      .Meta(0, 0x01, Bytes(130, 'x'))       // a length of two bytes
      .Raw(0, {0x90, 60, 100})
      .Raw(120, {0xA0, 60, 30})             // polyphonic key pressure
      .Raw(120, {0xD0, 40})                 // channel pressure
      .Raw(240, {0xE0, 0, 0x40})            // pitch bend
      .Raw(480, {0x80, 60, 0})
      .Raw(480, {0x90, 62, 100})
      .Meta(600, 0x06, {'m'})
      .Raw(720, {62, 0})                    // running status across the meta event
      .Raw(720, {64, 100})
      .Raw(960, {64, 0})
      .Raw(960, {0x91, 72, 100})
      .Raw(1200, {0x81, 72, 0})
      .EndOfTrack(1440);
  return SmfFile(96, {t});
}

Bytes RunawayFile() {
  // Division 1: a whole note is 4 ticks, so each track asks for 2^29 pieces.
  std::vector<TrackBuilder> tracks;
  for (int part = 0; part < 6; ++part) {
    TrackBuilder t;
    Bytes events = VarLen(0) + Bytes{0x90, uint8_t(60 + part), 100};
    for (int i = 0; i < 7; ++i) events = events + VarLen(kMaxDelta) + Bytes{0xFF, 0x01, 0x00};
    events = events + VarLen(0) + Bytes{0x80, uint8_t(60 + part), 0};
    t.RawBytes(events);
    tracks.push_back(t);
  }
  return SmfFile(1, tracks);
}

Bytes TickOverflow() {
  Bytes events = VarLen(0) + Bytes{0x90, 60, 100};
  for (int i = 0; i < 9; ++i) events = events + VarLen(kMaxDelta) + Bytes{0x80, 60, 0};
  return HeaderChunk(0, 1, 480) + ChunkWithLength(static_cast<uint32_t>(events.size()), events);
}

Bytes ManyChanges(bool tempo, bool conflict) {
  TrackBuilder t;
  int count = conflict ? 2 : 17;
  for (int i = 0; i < count; ++i) {
    int32_t tick = conflict ? 0 : i * 480;
    if (tempo) t.Tempo(tick, 500000 + 50000 * static_cast<uint32_t>(i));
    else t.Meter(tick, 2 + i % 5, 2 + i % 2);
  }
  return SmfFile(480, {t, Melody()});
}

std::vector<Seed> Seeds() {
  std::vector<Seed> seeds;
  auto add = [&seeds](const char* name, const Bytes& bytes) { seeds.push_back({name, bytes}); };

  // Files that convert.
  add("song-reference", ReferenceSong());
  add("song-every-event-kind", EveryEventKind());
  add("song-format2-long-header",
      Header(10, 2, 2, 96) + Bytes{1, 2, 3, 4} + TrackChunk(Conductor()) + TrackChunk(Melody()));
  {
    TrackBuilder t;
    t.Meter(0, 6, 3).Note(0, 700, 50).Meter(720, 0, 2).Note(720, 2000, 90).Meter(2000, 5, 4)
        .Note(2000, 2100, 40).EndOfTrack(2400);
    add("song-meters-odd-division", SmfFile(7, {t}));
  }
  {
    TrackBuilder t;
    t.Note(0, 3, 60).Note(3, 5, 61).Note(5, 30, 62).EndOfTrack(31);
    add("song-division-1", SmfFile(1, {t}));
  }
  {
    TrackBuilder drums;
    drums.Note(0, 60, 35, 9).Note(60, 120, 42, 9).Note(120, 900, 49, 9).Note(900, 960, 39, 9);
    add("song-drums-only", SmfFile(480, {drums}));
  }
  {
    TrackBuilder t;
    t.Note(0, 480, 60).EndOfTrack(480).Raw(960, {0x90, 64, 100}).Raw(1440, {0x80, 64, 0});
    add("song-events-after-end-of-track", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.Meta(0, 0x51, {}).Meta(0, 0x58, {4, 2}).Note(0, 480, 60);
    add("song-short-tempo-and-meter", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.Note(0, 480, 60).Raw(480, {0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F, 'x'});
    add("song-meta-past-end-of-file", SmfFile(480, {t}));
  }
  add("song-negative-chunk-length",
      HeaderChunk(1, 2, 480) + ChunkWithLength(0x80000000u, {}) + TrackChunk(Melody()));

  // The header step.
  add("header-not-smf", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'M', 'I', 'D', 'I'});
  add("header-short-length", Header(5, 0, 1, 480) + TrackChunk(Melody()));
  add("header-smpte-division", HeaderChunk(0, 1, 0xE728) + TrackChunk(Melody()));
  add("header-zero-division", HeaderChunk(0, 1, 0) + TrackChunk(Melody()));
  add("header-no-tracks", HeaderChunk(1, 0, 480));
  add("header-cut-short", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});

  // The track reader.
  add("reader-missing-chunk", HeaderChunk(1, 2, 480) + TrackChunk(Melody()));
  add("reader-wrong-chunk-type", HeaderChunk(0, 1, 480) + Bytes{'M', 'T', 'r', 'x', 0, 0, 0, 0});
  {
    Bytes events = VarLen(0) + Bytes{0x90, 60};
    add("reader-event-cut-short", HeaderChunk(0, 1, 480) + ChunkWithLength(3, events));
  }
  add("reader-chunk-past-end-of-file",
      HeaderChunk(0, 1, 480) + ChunkWithLength(0x7FFFFFF0u, VarLen(0) + Bytes{0x90, 60, 100}));
  {
    TrackBuilder t;
    t.RawBytes({0xFF, 0xFF, 0xFF, 0xFF, 0x90, 60, 100});
    add("reader-varlen-too-long", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.Raw(0, {60, 100});
    add("reader-running-status-broken", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.Note(0, 480, 60).Raw(480, {0xF4});
    add("reader-unknown-message", SmfFile(480, {t}));
  }

  // The converter's own limits.
  add("limit-tick-overflow", TickOverflow());
  add("limit-runaway-output", RunawayFile());

  // The analysis pass.
  add("analysis-silent-conductor", SmfFile(480, {Conductor(), Melody()}));
  {
    TrackBuilder t;
    t.Note(0, 480, 36, 9).Note(480, 960, 37, 9).Note(960, 1200, 60, 9);
    add("analysis-unset-rhythm", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.Note(0, 480, 11).Note(480, 960, 108).Note(960, 1440, 60);
    add("analysis-out-of-octave", SmfFile(480, {t}));
  }
  {
    TrackBuilder t;
    t.NoteOn(0, 60).NoteOn(0, 64).NoteOn(240, 67).NoteOff(480, 60).NoteOff(480, 64)
        .NoteOff(480, 67);
    add("analysis-chord", SmfFile(480, {t}));
  }
  add("analysis-tempo-conflict", ManyChanges(true, true));
  add("analysis-too-many-tempos", ManyChanges(true, false));
  add("analysis-meter-conflict", ManyChanges(false, true));
  add("analysis-too-many-meters", ManyChanges(false, false));
  {
    std::vector<TrackBuilder> tracks;
    for (int i = 0; i < 8; ++i) tracks.push_back(Melody(40 + 4 * i));
    add("analysis-part-limit", SmfFile(480, tracks));
  }
  {
    TrackBuilder t;
    t.Control(0, 7, 100).Raw(0, {0xC0, 1}).EndOfTrack(480);
    add("analysis-no-track-to-output", SmfFile(480, {Conductor(), t}));
  }
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (const Seed& seed : Seeds()) {
    std::string path = std::string(argv[1]) + "/" + seed.name + ".mid";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool written = out && std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), out) == seed.bytes.size();
    if (!out || std::fclose(out) != 0 || !written) {
      std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
