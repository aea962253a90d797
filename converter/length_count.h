// Counting the length pieces of one track's notes and rests, to choose the
// part's default length. The length pass runs the count over a track of its
// own; the analysis pass runs it beside its own reading of the events, which
// spares the length pass's reading when nothing the count relied on changed
// afterwards (see EarlyLengths in ConversionState).
#pragma once

#include <cstdint>

#include "converter/change_walk.h"
#include "converter/conversion_state.h"
#include "converter/length_grid.h"
#include "converter/track_reader.h"

class LengthCount;

// The tick rounded up to a multiple of step (the 32nd note's ticks): where
// the search for the parts' common end starts.
int32_t RoundUpToGrid(int32_t tick, int32_t step);
// The tick where the counted parts, each padded with rests to it, all end:
// the latest end, moved on while a part's rest lands past it.
int32_t CommonEnd(const LengthCount* parts, int count, int32_t songEnd);

class LengthCount {
 public:
  // Starts a track at tick 0 with the given meter entries and the pieces the
  // pass may still produce.
  LengthCount(const ConversionState& s, int32_t division, int32_t meterCount, uint32_t piecesLeft)
      : meters_(s.meters, meterCount), meterCount_(meterCount), division_(division) {
    int32_t bar = StartMeasureTicks(s, division);
    grid_ = PieceGrid{0, bar, bar, 0, piecesLeft, kRunning, s.lengthTicks, s.lengthMidpoints, s.spanCuts};
  }

  // The meter entries the count works with.
  int32_t MeterCount() const { return meterCount_; }
  // Takes the meter map as it now stands while the track is still at tick
  // 0: nothing has been counted yet and no tick has been asked about, so the
  // count goes on as if it had started with these entries (a song of one
  // track states its meter at its start).
  void TakeMetersAtStart(const ConversionState& s) {
    meters_ = ChangeWalk<MeterMap>(s.meters, s.meterCount);
    meterCount_ = s.meterCount;
    grid_.barTicks = grid_.nextBarTick = StartMeasureTicks(s, division_);
  }

  // After each delta time: a meter change at a new tick closes the time up to it.
  void AtTick(int32_t tick, int32_t delta) {
    if (delta == 0) return;
    const MeterMap* m = meters_.At(tick);
    if (!m) return;
    grid_.barTicks = MeasureTicks(division_, m->numerator, m->denominator);
    CountUpTo(tick);
    curNote_ = -1;
  }

  // A note-on (any key) closes the time before it unless it sounds with the
  // note already counted from this tick; with velocity 0 it is a note-off.
  void NoteOn(int key, int velocity, int32_t tick) {
    if (velocity == 0) {
      NoteOff(key, tick);
    } else if (curNote_ == -1 || noteStartTick_ != tick) {
      CountUpTo(tick);
      curNote_ = key;
      noteStartTick_ = tick;
    }
  }
  // The end of the counted note closes the note.
  void NoteOff(int key, int32_t tick) {
    if (key != curNote_) return;
    CountUpTo(tick);
    curNote_ = -1;
  }
  // Any event: the notes are what counts.
  void OnEvent(const TrackEvent& ev, int32_t tick) {
    int kind = ev.status >> 4;
    if (kind == 0x9) NoteOn(ev.data[0], ev.data[1], tick);
    else if (kind == 0x8) NoteOff(ev.data[0], tick);
  }

  // Closes the time up to tick, as a rest or the note counted last.
  void CloseAt(int32_t tick) { CountUpTo(tick); }
  // Where the counted time ends: where a part's writer, given the same
  // notes, would have written up to.
  int32_t WrittenTick() const { return grid_.writtenTick; }
  // kRunning, or the limit that stopped the count.
  int32_t StopReason() const { return grid_.stopReason; }
  uint32_t PiecesLeft() const { return grid_.piecesLeft; }

  // The most frequent piece; a tie goes to the longer length, and the
  // quarter note wins unless another piece came more often.
  int32_t Choose() const {
    int32_t best = 2;
    for (int i = 0; i < 6; ++i)
      if (counts_[i] > counts_[best]) best = i;
    return best;
  }

 private:
  void CountUpTo(int32_t tick) {
    // Most notes follow each other without a gap: no time is left, and no
    // piece would come (see PieceGrid::Next).
    if (tick <= grid_.writtenTick) return;
    // A count ends no lines, so it has no use for the order of the pieces
    // or the boundary flag.
    if (const SpanCut* cut = grid_.TakeSpan(tick)) {
      uint32_t pieces = cut->pieces;
      for (int n = cut->count; n > 0; --n, pieces >>= 3) ++counts_[pieces & 7];
      return;
    }
    for (int i = grid_.Next(tick); i >= 0; i = grid_.Next(tick)) ++counts_[i];
  }

  ChangeWalk<MeterMap> meters_;
  int32_t meterCount_;
  int32_t division_;
  PieceGrid grid_;
  uint32_t counts_[6] = {};
  int curNote_ = -1;
  int32_t noteStartTick_ = 0;
};
