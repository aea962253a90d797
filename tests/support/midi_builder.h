// Builds Standard MIDI Files byte by byte for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// One track's events; times are absolute ticks, converted to delta times as
// events are appended (events must be appended in time order).
class TrackBuilder {
 public:
  TrackBuilder& NoteOn(int32_t tick, int key, int velocity = 100, int channel = 0);
  TrackBuilder& NoteOff(int32_t tick, int key, int channel = 0);
  // A note from start to end: note-on at start, note-off at end. Only for
  // tracks whose notes do not overlap; overlapping voices use NoteOn/NoteOff.
  TrackBuilder& Note(int32_t start, int32_t end, int key, int channel = 0);
  TrackBuilder& Control(int32_t tick, int controller, int value, int channel = 0);
  TrackBuilder& Volume(int32_t tick, int value, int channel = 0) { return Control(tick, 7, value, channel); }
  TrackBuilder& Tempo(int32_t tick, uint32_t microsecondsPerQuarter);
  TrackBuilder& Meter(int32_t tick, int numerator, int denominatorExponent);
  TrackBuilder& Meta(int32_t tick, int type, const Bytes& payload);
  TrackBuilder& EndOfTrack(int32_t tick);
  // Any bytes after a delta time: raw events, running status, broken data.
  TrackBuilder& Raw(int32_t tick, const Bytes& bytes);
  // Bytes with no delta time in front of them.
  TrackBuilder& RawBytes(const Bytes& bytes);

  const Bytes& events() const { return events_; }
  // Note-ons with a velocity appended through NoteOn or Note.
  int noteOns() const { return noteOns_; }

 private:
  void Delta(int32_t tick);
  Bytes events_;
  int32_t lastTick_ = 0;
  int noteOns_ = 0;
};

Bytes VarLen(uint32_t value);
Bytes Be32(uint32_t value);
Bytes Be16(uint32_t value);

// A header chunk: format, track count and division as given.
Bytes HeaderChunk(int format, int trackCount, int division);
// A track chunk holding the events, with their true length.
Bytes TrackChunk(const TrackBuilder& track);
// A whole file: header (format 1 when several tracks) and the tracks.
Bytes SmfFile(int division, const std::vector<TrackBuilder>& tracks);

Bytes operator+(Bytes a, const Bytes& b);
