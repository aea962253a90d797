// VoiceSplit: spreads the notes of one track over voices that each sound one
// note at a time, so that a chord can be written as several parts. It reads
// the track's note events as they come and needs no memory of the past
// beyond the note each voice sounds, so every pass that reads the track
// again splits it the same way.
//
// The rule, at every tick: notes that end there end first; the notes that
// start there are then taken from the highest key down, each into
//   1. the lowest voice that is silent, else
//   2. the voice whose note started earliest, cut short here, else (every
//      voice started a note at this very tick)
//   3. a new voice, while fewer than kMaxVoices are open; past that the
//      note goes to kOverflowVoice, which is never written.
// A melody that overlaps its own next note thus stays in one voice, and a
// voice is opened only for notes that start together.
#pragma once

#include <cstdint>

// Voices of one track; a chord of more notes than this loses the rest.
const int kMaxVoices = 8;
const int kOverflowVoice = kMaxVoices;
// Keys are the note events' first data byte, which a damaged file may set
// past 127: the split takes any byte.
const int kKeyWords = 256 / 32;

class VoiceSplit {
 public:
  VoiceSplit() { Reset(); }

  void Reset() {
    open_ = 0;
    pendingTick_ = 0;
    anyPending_ = false;
    for (int i = 0; i < kKeyWords; ++i) pending_[i] = endsAtOnce_[i] = 0;
    for (int v = 0; v < kMaxVoices; ++v) key_[v] = -1;
  }

  // A note starts at tick (ticks never go back; a later tick comes after
  // Flush). Returns false when the same key already starts at this tick: a
  // doubled note, which has no voice.
  bool On(int32_t key, int32_t tick) {
    pendingTick_ = tick;
    anyPending_ = true;
    if (Bit(pending_, key)) return false;
    SetBit(pending_, key, true);
    SetBit(endsAtOnce_, key, false);
    return true;
  }

  // A note of key ends at tick: the voice sounding it since an earlier tick,
  // else a note of key that starts at this tick (it then covers no time).
  // sink.Off(voice, tick) is told of a voice's note that ends.
  template <class Sink>
  void Off(int32_t key, int32_t tick, Sink& sink) {
    for (int v = 0; v < open_; ++v) {
      if (key_[v] != key) continue;
      key_[v] = -1;
      sink.Off(v, tick);
      return;
    }
    if (anyPending_ && tick == pendingTick_ && Bit(pending_, key)) SetBit(endsAtOnce_, key, true);
  }

  // Places the notes that start at the pending tick: call before the first
  // event of a later tick and at the track's end. sink.On(voice, key, tick)
  // is told of each (voice kOverflowVoice for a note that has none), after
  // sink.Off of a note it cuts short.
  template <class Sink>
  void Flush(Sink& sink) {
    if (!anyPending_) return;
    anyPending_ = false;
    const int32_t tick = pendingTick_;
    for (int word = kKeyWords - 1; word >= 0; --word) {
      while (pending_[word]) {
        const int bit = 31 - __builtin_clz(pending_[word]);
        pending_[word] &= ~(1u << bit);
        const int32_t key = word * 32 + bit;
        const int v = Place(tick);
        if (v != kOverflowVoice) {
          if (key_[v] != -1) sink.Off(v, tick);
          key_[v] = key;
          start_[v] = tick;
        }
        sink.On(v, key, tick);
        if (!Bit(endsAtOnce_, key)) continue;
        SetBit(endsAtOnce_, key, false);
        if (v == kOverflowVoice) continue;
        key_[v] = -1;
        sink.Off(v, tick);
      }
    }
  }

  // The voices opened so far.
  int OpenVoices() const { return open_; }

 private:
  int Place(int32_t tick) {
    int earliest = -1;
    for (int v = 0; v < open_; ++v) {
      if (key_[v] == -1) return v;
      if (start_[v] < tick && (earliest == -1 || start_[v] < start_[earliest])) earliest = v;
    }
    if (earliest != -1) return earliest;
    if (open_ < kMaxVoices) return open_++;
    return kOverflowVoice;
  }
  static bool Bit(const uint32_t* bits, int32_t key) { return bits[key >> 5] >> (key & 31) & 1; }
  static void SetBit(uint32_t* bits, int32_t key, bool on) {
    if (on) bits[key >> 5] |= 1u << (key & 31);
    else bits[key >> 5] &= ~(1u << (key & 31));
  }

  int open_;
  int32_t key_[kMaxVoices];    // the key each voice sounds, -1 when silent
  int32_t start_[kMaxVoices];  // where that note started
  int32_t pendingTick_;
  bool anyPending_;
  uint32_t pending_[kKeyWords];     // keys that start at pendingTick_
  uint32_t endsAtOnce_[kKeyWords];  // of those, keys that also end there
};
