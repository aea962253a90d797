#include "tests/support/midi_builder.h"

#include <stdexcept>

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes VarLen(uint32_t value) {
  Bytes out;
  out.push_back(value & 0x7F);
  while (value >>= 7) out.insert(out.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
  return out;
}

Bytes Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

Bytes Be16(uint32_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

void TrackBuilder::Delta(int32_t tick) {
  if (tick < lastTick_) throw std::logic_error("events must be appended in time order");
  RawBytes(VarLen(static_cast<uint32_t>(tick - lastTick_)));
  lastTick_ = tick;
}

TrackBuilder& TrackBuilder::NoteOn(int32_t tick, int key, int velocity, int channel) {
  noteOns_ += velocity != 0;
  return Raw(tick, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)});
}

TrackBuilder& TrackBuilder::NoteOff(int32_t tick, int key, int channel) {
  return Raw(tick, {uint8_t(0x80 | channel), uint8_t(key), 64});
}

TrackBuilder& TrackBuilder::Note(int32_t start, int32_t end, int key, int channel) {
  return NoteOn(start, key, 100, channel).NoteOff(end, key, channel);
}

TrackBuilder& TrackBuilder::Control(int32_t tick, int controller, int value, int channel) {
  return Raw(tick, {uint8_t(0xB0 | channel), uint8_t(controller), uint8_t(value)});
}

TrackBuilder& TrackBuilder::Tempo(int32_t tick, uint32_t us) {
  return Meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

TrackBuilder& TrackBuilder::Meter(int32_t tick, int numerator, int exponent) {
  return Meta(tick, 0x58, {uint8_t(numerator), uint8_t(exponent), 24, 8});
}

TrackBuilder& TrackBuilder::Meta(int32_t tick, int type, const Bytes& payload) {
  return Raw(tick, Bytes{0xFF, uint8_t(type)} + VarLen(static_cast<uint32_t>(payload.size())) + payload);
}

TrackBuilder& TrackBuilder::EndOfTrack(int32_t tick) { return Meta(tick, 0x2F, {}); }

TrackBuilder& TrackBuilder::Raw(int32_t tick, const Bytes& bytes) {
  Delta(tick);
  return RawBytes(bytes);
}

TrackBuilder& TrackBuilder::RawBytes(const Bytes& bytes) {
  events_.insert(events_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes HeaderChunk(int format, int trackCount, int division) {
  return Bytes{'M', 'T', 'h', 'd'} + Be32(6) + Be16(format) + Be16(trackCount) + Be16(division);
}

Bytes TrackChunk(const TrackBuilder& track) {
  return Bytes{'M', 'T', 'r', 'k'} + Be32(static_cast<uint32_t>(track.events().size())) + track.events();
}

Bytes SmfFile(int division, const std::vector<TrackBuilder>& tracks) {
  Bytes out = HeaderChunk(tracks.size() > 1 ? 1 : 0, static_cast<int>(tracks.size()), division);
  for (const TrackBuilder& t : tracks) {
    Bytes chunk = TrackChunk(t);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}
