#include "tests/kit/midi_builder.h"

#include <stdexcept>
#include <utility>

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

TrackBuilder& TrackBuilder::Delta(int32_t tick) {
  if (tick < lastTick_) throw std::logic_error("events must be appended in time order");
  RawBytes(VarLen(static_cast<uint32_t>(tick - lastTick_)));
  lastTick_ = tick;
  return *this;
}

Bytes SmfFile(int division, const std::vector<TrackBuilder>& tracks) {
  Bytes out = HeaderChunk(tracks.size() > 1 ? 1 : 0, static_cast<int>(tracks.size()), division);
  for (const TrackBuilder& t : tracks) out = std::move(out) + TrackChunk(t);
  return out;
}
