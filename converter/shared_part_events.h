// What the two passes of shared parts agree on: the pools' names, where a
// part's written time goes around a note, the tempo and meter ticks the
// song's clock stops at, and the events the length pass queues for the
// emission pass.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

namespace shared_parts {

enum { kMelodicPool = 0, kRhythmPool = 1 };

// The part of the plan that a pool's part is.
inline int PlanPart(const SharedPlan& plan, int pool, int part) {
  return pool == kMelodicPool ? part : plan.melodicParts + part;
}

// The pool a part of the plan belongs to, and its part there.
inline int PoolOf(const SharedPlan& plan, int p, int* part) {
  const bool melodic = p < plan.melodicParts;
  *part = melodic ? p : p - plan.melodicParts;
  return melodic ? kMelodicPool : kRhythmPool;
}

// The tempo and meter ticks after 0 in order, without repeats: where a
// merged pass stops even when no track has an event there.
class MapTicks {
 public:
  explicit MapTicks(const ConversionState& s) {
    for (int i = 0; i < s.tempoCount; ++i) Add(s.tempos[i].tick);
    for (int i = 0; i < s.meterCount; ++i) Add(s.meters[i].tick);
  }
  int32_t Next() const { return next_ < count_ ? ticks_[next_] : INT32_MAX; }
  void Take() { ++next_; }

 private:
  void Add(int32_t tick) {
    if (tick <= 0) return;
    int at = count_;
    for (int i = 0; i < count_; ++i)
      if (ticks_[i] == tick) return;
    for (; at > 0 && ticks_[at - 1] > tick; --at) ticks_[at] = ticks_[at - 1];
    ticks_[at] = tick;
    ++count_;
  }
  int32_t ticks_[2 * kMapCapacity];
  int count_ = 0;
  int next_ = 0;
};

// Whether the rest before a note of a shared part that starts at tick is
// written: a gap of less than half the shortest piece would still be
// written as that piece and carry the part past the note's start (a part
// takes turns of several tracks, whose notes seldom meet end to start), so
// the note takes that time instead.
inline bool RestsBefore(const ConversionState& s, int32_t writtenTick, int32_t tick) {
  return static_cast<int64_t>(tick) - writtenTick >= s.lengthTicks[5] / 2;
}

// Where a note of a shared part that ends at tick is written up to: a note
// the part's written time has just passed (by less than half the shortest
// piece) still gets the shortest piece, where it would get no length; one
// passed by more gets none, so that a run of such notes cannot carry the
// part ever further ahead.
inline int32_t WrittenEnd(const ConversionState& s, int32_t writtenTick, int32_t tick) {
  if (tick > writtenTick || static_cast<int64_t>(writtenTick) - tick >= s.lengthTicks[5] / 2) return tick;
  return writtenTick == INT32_MAX ? tick : writtenTick + 1;
}

// What the length pass keeps of a shared part for the emission pass: its
// placements as the pools made them, each at the tick the song's clock
// stood at, in the queue of the part (the losses of a pool in the queue of
// the part that tells them).
// Eight bytes an event: the tick, then the track (16 bits: the file counts
// its tracks in 16), the key (8), the kind (3) and the channel (4).
enum PartEventKind : uint8_t { kEventOn, kEventOff, kEventUnended, kEventLost, kEventRange };
struct PartEvent {
  int32_t tick;
  uint32_t packed;
  PartEvent() = default;
  PartEvent(int32_t at, int32_t track, int32_t key, int kind, int channel)
      : tick(at),
        packed(static_cast<uint32_t>(track) | static_cast<uint32_t>(key & 0xFF) << 16 |
               static_cast<uint32_t>(kind) << 24 | static_cast<uint32_t>(channel & 0x0F) << 27) {}
  int32_t Track() const { return static_cast<int32_t>(packed & 0xFFFF); }
  int32_t Key() const { return static_cast<int32_t>(packed >> 16 & 0xFF); }
  int Kind() const { return static_cast<int>(packed >> 24 & 7); }
  int Channel() const { return static_cast<int>(packed >> 27 & 0x0F); }
};


}  // namespace shared_parts
