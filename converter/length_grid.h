// The six note lengths, the measure grid and the choice of length pieces.
#pragma once

#include <climits>
#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// The numbers written for length indexes 0 to 5: whole note to 32nd note.
extern const int32_t lengthValues[6];

// Fills lengthTicks, their midpoints and the cuts of short spans from the
// ticks per quarter note.
void SetLengthTicks(ConversionState& s, int32_t division);

// Ticks of one measure of numerator/denominator; 0 switches measures off.
int32_t MeasureTicks(int32_t division, int32_t numerator, int32_t denominator);
// Measure ticks at the start of a track: the meter at tick 0, else 4/4.
int32_t StartMeasureTicks(const ConversionState& s, int32_t division);

// The index of the length nearest to the remaining time, the shorter one on
// a tie. The lengths fall from whole to 32nd note, so it is the number of
// midpoints between neighbouring lengths that the time does not pass: five
// comparisons and no branch on the data. Above every midpoint it is the
// whole note, as for any long time.
inline int NearestPiece(uint32_t remaining, const uint32_t* midpoints) {
  return (remaining <= midpoints[0]) + (remaining <= midpoints[1]) + (remaining <= midpoints[2]) +
         (remaining <= midpoints[3]) + (remaining <= midpoints[4]);
}

// Where the cutting of a part's time into pieces stands: the written
// position, the measure grid, the boundary flag and the pass's piece budget,
// with the tables the pieces come from. ConversionState holds these values
// between parts; a pass takes them into a PieceGrid of its own
// (TakePieceGrid) and gives them back when it stops (GivePieceGrid). In a
// local value the compiler keeps them in registers, where fields of the
// record, reached through a reference, are read again after every byte
// stored into a buffer.
struct PieceGrid {
  int32_t writtenTick;
  int32_t nextBarTick;
  int32_t barTicks;
  int32_t barBreak;
  uint32_t piecesLeft;
  int32_t stopReason;
  const int32_t* lengthTicks;
  const uint32_t* midpoints;
  const SpanCut* spanCuts;

  // Chooses the next piece between writtenTick and curTick (bounded by the
  // next measure boundary) and advances writtenTick by it. Returns its length
  // index, or -1 when no time is left (or a limit stopped the conversion).
  int Next(int32_t curTick) {
    int32_t limit = curTick;
    if (barTicks != 0 && nextBarTick < limit) limit = nextBarTick;
    if (limit <= writtenTick || stopReason != kRunning) return -1;
    if (piecesLeft == 0) {
      stopReason = kTooManyPieces;
      return -1;
    }
    // The difference of two 32-bit ticks fits in 32 bits unsigned.
    uint32_t remaining = static_cast<uint32_t>(limit) - static_cast<uint32_t>(writtenTick);
    int i = NearestPiece(remaining, midpoints);
    if (writtenTick > INT32_MAX - lengthTicks[i]) {
      stopReason = kTickOverflow;
      return -1;
    }
    --piecesLeft;
    writtenTick += lengthTicks[i];
    if (writtenTick >= nextBarTick) {
      barBreak = 1;
      if (nextBarTick > INT32_MAX - barTicks) {
        stopReason = kTickOverflow;
        return -1;
      }
      nextBarTick += barTicks;
    }
    return i;
  }

  // Takes all the pieces up to curTick in one step when the time is short
  // and no measure boundary falls before its end, so that only the last
  // piece may reach one: the pieces, the position, the boundary and the
  // budget end up as the calls of Next up to -1 would leave them. Returns
  // the cut, or null with nothing changed when Next must cut the time (also
  // when no time is left or a limit would stop the cutting).
  const SpanCut* TakeSpan(int32_t curTick) {
    // Ticks are never negative: a curTick at or before writtenTick leaves a
    // remaining time of 0 or, wrapped, of 2^31 and more; neither has a cut.
    // Without measures (barTicks 0) the boundary stays where it is, and only
    // a piece that reaches it raises the flag, as in one step.
    uint32_t remaining = static_cast<uint32_t>(curTick) - static_cast<uint32_t>(writtenTick);
    if (remaining - 1 >= static_cast<uint32_t>(kSpanCutCount - 1) || curTick > nextBarTick ||
        stopReason != kRunning)
      return nullptr;
    const SpanCut* cut = &spanCuts[remaining];
    if (cut->count == 0 || cut->count > piecesLeft) return nullptr;
    if (writtenTick > INT32_MAX - cut->covered) return nullptr;
    int32_t end = writtenTick + cut->covered;
    if (end >= nextBarTick) {
      if (nextBarTick > INT32_MAX - barTicks) return nullptr;
      barBreak = 1;
      nextBarTick += barTicks;
    }
    writtenTick = end;
    piecesLeft -= cut->count;
    return cut;
  }
};

// The pieces up to a tick, one at a time, as PieceGrid::Next gives them:
// taken from the grid in one step when it has a cut for the time (see
// TakeSpan), else cut one by one. The boundary flag is raised when the piece
// that reaches the boundary comes out, as Next raises it, so a writer that
// ends lines on it sees no difference; a flag already raised when the run
// starts makes the run cut piece by piece.
class PieceRun {
 public:
  PieceRun(PieceGrid& grid, int32_t end) : grid_(grid), end_(end) {
    if (grid.barBreak) return;
    cut_ = grid.TakeSpan(end);
    if (!cut_) return;
    pieces_ = cut_->pieces;
    left_ = cut_->count;
    lastBreak_ = grid.barBreak;
    grid.barBreak = 0;
  }

  // The next piece's length index, or -1 when no time is left (or a limit
  // stopped the cutting).
  int Next() {
    if (!cut_) return grid_.Next(end_);
    if (left_ == 0) return -1;
    int piece = static_cast<int>(pieces_ & 7);
    pieces_ >>= 3;
    if (--left_ == 0) grid_.barBreak = lastBreak_;
    return piece;
  }

 private:
  PieceGrid& grid_;
  int32_t end_;
  const SpanCut* cut_ = nullptr;
  uint32_t pieces_ = 0;
  int left_ = 0;
  int32_t lastBreak_ = 0;
};

inline PieceGrid TakePieceGrid(const ConversionState& s) {
  return PieceGrid{s.writtenTick, s.nextBarTick, s.barTicks,    s.barBreak,      s.piecesLeft,
                   s.stopReason,  s.lengthTicks, s.lengthMidpoints, s.spanCuts};
}

// A stop of the grid is the conversion's; a grid still running leaves alone
// a stop the reader has set meanwhile.
inline void GivePieceGrid(ConversionState& s, const PieceGrid& g) {
  s.writtenTick = g.writtenTick;
  s.nextBarTick = g.nextBarTick;
  s.barTicks = g.barTicks;
  s.barBreak = g.barBreak;
  s.piecesLeft = g.piecesLeft;
  if (g.stopReason != kRunning) s.stopReason = g.stopReason;
}
