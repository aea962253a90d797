// PartPool: the notes of several tracks spread over a fixed number of parts
// that each sound one note at a time, for the conversion that keeps the
// notes when the tracks' own voices would need more than six parts. The
// pool sees the notes of all its tracks in time order (SongMerge) and needs
// no memory of the past beyond the note each part sounds, so every pass that
// reads the song again places the notes the same way.
//
// The rule, at every tick: notes that end there end first; the notes that
// start there are then taken from the highest key down (of equal keys, the
// lower track first), each into
//   1. the silent part that last played a note of the track, else the
//      lowest silent part, else
//   2. the part whose note started earliest, cut short here.
// A note finds no part only when every part starts a note at that tick: it
// is lost (at most as many notes as there are parts start together).
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

class PartPool {
 public:
  explicit PartPool(int parts) : parts_(parts > kMaxParts ? kMaxParts : parts) {
    for (int p = 0; p < kMaxParts; ++p) sounding_[p] = Note{-1, -1, 0, 0};
  }

  // A note of the track starts at tick (ticks never go back; a later tick
  // comes after Flush). Returns false when the same key of the same track
  // already starts at this tick: a doubled note, which gets no part. A note
  // that can no longer get a part is told to sink.Lost(track, key, channel,
  // tick) at once.
  template <class Sink>
  bool On(int32_t track, int32_t key, int channel, int32_t tick, Sink& sink) {
    pendingTick_ = tick;
    for (int i = 0; i < pending_; ++i)
      if (waiting_[i].track == track && waiting_[i].key == key) return false;
    int at = pending_;
    while (at > 0 && Higher(key, track, waiting_[at - 1])) --at;
    if (at >= parts_) {
      sink.Lost(track, key, channel, tick);
      return true;
    }
    // A full pool lets its lowest waiting note go for the new one.
    if (pending_ == parts_) {
      const Note& out = waiting_[--pending_];
      sink.Lost(out.track, out.key, out.channel, tick);
    }
    for (int i = pending_; i > at; --i) waiting_[i] = waiting_[i - 1];
    waiting_[at] = Note{track, key, channel, 0};
    ++pending_;
    return true;
  }

  // A note of the track ends at tick: the part sounding it, else a note of
  // that key starting at this tick (it then covers no time).
  template <class Sink>
  void Off(int32_t track, int32_t key, int32_t tick, Sink& sink) {
    for (int p = 0; p < parts_; ++p) {
      if (sounding_[p].track != track || sounding_[p].key != key) continue;
      sounding_[p].key = -1;
      sink.Off(p, tick);
      return;
    }
    for (int i = 0; i < pending_; ++i)
      if (waiting_[i].track == track && waiting_[i].key == key && tick == pendingTick_) waiting_[i].flags |= kEndsAtOnce;
  }

  // The track's data has ended: its notes still sounding are never ended,
  // and so are those that start at its last tick.
  template <class Sink>
  void EndTrack(int32_t track, Sink& sink) {
    for (int p = 0; p < parts_; ++p) {
      if (sounding_[p].track != track || sounding_[p].key == -1) continue;
      sounding_[p].key = -1;
      sink.Unended(p);
    }
    for (int i = 0; i < pending_; ++i)
      if (waiting_[i].track == track) waiting_[i].flags |= kUnended;
  }

  // Places the notes that start at the pending tick: call before the first
  // event of a later tick and at the song's end. sink.On(part, track, key,
  // channel, tick) is told of each, after sink.Off of a note it cuts short.
  template <class Sink>
  void Flush(Sink& sink) {
    const int32_t tick = pendingTick_;
    for (int i = 0; i < pending_; ++i) {
      const Note note = waiting_[i];
      const int p = Place(note.track, tick);
      if (sounding_[p].key != -1) sink.Off(p, tick);
      sounding_[p] = Note{note.track, note.key, note.channel, 0};
      start_[p] = tick;
      sink.On(p, note.track, note.key, note.channel, tick);
      if (note.flags & kUnended) {
        sounding_[p].key = -1;
        sink.Unended(p);
      } else if (note.flags & kEndsAtOnce) {
        sounding_[p].key = -1;
        sink.Off(p, tick);
      }
    }
    pending_ = 0;
  }

  int Parts() const { return parts_; }

 private:
  struct Note {
    int32_t track;
    int32_t key;  // -1 for a silent part
    int32_t channel;
    int32_t flags;
  };
  enum { kEndsAtOnce = 1, kUnended = 2 };

  // Whether the note of key and track ranks before the waiting one.
  static bool Higher(int32_t key, int32_t track, const Note& than) {
    return key != than.key ? key > than.key : track < than.track;
  }

  // A part for a note of the track at tick. There always is one: at most
  // parts_ notes wait, and each takes one part, which a later note of the
  // tick can take again only when that note was over at once.
  int Place(int32_t track, int32_t tick) const {
    int silent = -1;
    int earliest = -1;
    for (int p = 0; p < parts_; ++p) {
      if (sounding_[p].key == -1) {
        if (silent == -1 || (sounding_[p].track == track && sounding_[silent].track != track)) silent = p;
      } else if (start_[p] < tick && (earliest == -1 || start_[p] < start_[earliest])) {
        earliest = p;
      }
    }
    return silent != -1 ? silent : earliest;
  }

  int parts_;
  Note sounding_[kMaxParts];
  int32_t start_[kMaxParts] = {};
  Note waiting_[kMaxParts];
  int pending_ = 0;
  int32_t pendingTick_ = 0;
};
