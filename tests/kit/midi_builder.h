// Builds Standard MIDI Files byte by byte for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

Bytes operator+(Bytes a, const Bytes& b);
Bytes VarLen(uint32_t value);
inline Bytes Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
inline Bytes Be16(uint32_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

// One track's events; times are absolute ticks, converted to delta times as
// events are appended (events must be appended in time order).
class TrackBuilder {
 public:
  TrackBuilder& NoteOn(int32_t tick, int key, int velocity = 100, int channel = 0) {
    noteOns_ += velocity != 0;
    return Raw(tick, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)});
  }
  TrackBuilder& NoteOff(int32_t tick, int key, int channel = 0) {
    return Raw(tick, {uint8_t(0x80 | channel), uint8_t(key), 64});
  }
  // A note from start to end: note-on at start, note-off at end. Only for
  // tracks whose notes do not overlap; overlapping voices use NoteOn/NoteOff.
  TrackBuilder& Note(int32_t start, int32_t end, int key, int channel = 0) {
    return NoteOn(start, key, 100, channel).NoteOff(end, key, channel);
  }
  TrackBuilder& Control(int32_t tick, int controller, int value, int channel = 0) {
    return Raw(tick, {uint8_t(0xB0 | channel), uint8_t(controller), uint8_t(value)});
  }
  TrackBuilder& Volume(int32_t tick, int value, int channel = 0) { return Control(tick, 7, value, channel); }
  TrackBuilder& Tempo(int32_t tick, uint32_t microsecondsPerQuarter) {
    const uint32_t us = microsecondsPerQuarter;
    return Meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
  }
  TrackBuilder& Meter(int32_t tick, int numerator, int denominatorExponent) {
    return Meta(tick, 0x58, {uint8_t(numerator), uint8_t(denominatorExponent), 24, 8});
  }
  TrackBuilder& Meta(int32_t tick, int type, const Bytes& payload) {
    return Raw(tick, Bytes{0xFF, uint8_t(type)} + VarLen(static_cast<uint32_t>(payload.size())) + payload);
  }
  TrackBuilder& EndOfTrack(int32_t tick) { return Meta(tick, 0x2F, {}); }
  // Any bytes after a delta time: raw events, running status, broken data.
  TrackBuilder& Raw(int32_t tick, const Bytes& bytes) { return Delta(tick).RawBytes(bytes); }
  // Bytes with no delta time in front of them.
  TrackBuilder& RawBytes(const Bytes& bytes) {
    events_.insert(events_.end(), bytes.begin(), bytes.end());
    return *this;
  }

  const Bytes& events() const { return events_; }
  // Note-ons with a velocity appended through NoteOn or Note.
  int noteOns() const { return noteOns_; }

 private:
  TrackBuilder& Delta(int32_t tick);
  Bytes events_;
  int32_t lastTick_ = 0;
  int noteOns_ = 0;
};

// A header chunk: format, track count and division as given.
inline Bytes HeaderChunk(int format, int trackCount, int division) {
  return Bytes{'M', 'T', 'h', 'd'} + Be32(6) + Be16(format) + Be16(trackCount) + Be16(division);
}
// A track chunk holding the events, with their true length.
inline Bytes TrackChunk(const TrackBuilder& track) {
  return Bytes{'M', 'T', 'r', 'k'} + Be32(static_cast<uint32_t>(track.events().size())) + track.events();
}
// A whole file: header (format 1 when several tracks) and the tracks.
Bytes SmfFile(int division, const std::vector<TrackBuilder>& tracks);
