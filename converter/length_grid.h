// The six note lengths, the measure grid and the choice of length pieces.
#pragma once

#include <climits>
#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// The numbers written for length indexes 0 to 5: whole note to 32nd note.
extern const int32_t lengthValues[6];

// Fills lengthTicks from the ticks per quarter note.
void SetLengthTicks(ConversionState& s, int32_t division);

// Ticks of one measure of numerator/denominator; 0 switches measures off.
int32_t MeasureTicks(int32_t division, int32_t numerator, int32_t denominator);
// Measure ticks at the start of a track: the meter at tick 0, else 4/4.
int32_t StartMeasureTicks(const ConversionState& s, int32_t division);

// Where the cutting of a part's time into pieces stands: the written
// position, the measure grid, the boundary flag and the pass's piece budget,
// with the length table the pieces come from. ConversionState holds these
// values between spans; a pass that cuts many spans in one loop takes them
// into a PieceGrid of its own (TakePieceGrid) and gives them back when it
// stops (GivePieceGrid). In a local value the compiler keeps them in
// registers, where fields of the record, reached through a reference, are
// read again after every byte stored into a buffer.
struct PieceGrid {
  int32_t writtenTick;
  int32_t nextBarTick;
  int32_t barTicks;
  int32_t barBreak;
  uint32_t piecesLeft;
  int32_t stopReason;
  const int32_t* lengthTicks;
  const uint32_t* midpoints;

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
    // The difference of two 32-bit ticks fits in 32 bits unsigned; above
    // every midpoint it picks the whole note, as any long time does.
    uint32_t remaining = static_cast<uint32_t>(limit) - static_cast<uint32_t>(writtenTick);
    // The piece is the length nearest to the remaining time, the shorter one
    // on a tie. The lengths fall from whole to 32nd note, so its index is the
    // number of midpoints between neighbouring lengths that the remaining
    // time does not pass: five comparisons and no branch on the data.
    int i = (remaining <= midpoints[0]) + (remaining <= midpoints[1]) +
            (remaining <= midpoints[2]) + (remaining <= midpoints[3]) +
            (remaining <= midpoints[4]);
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
};

inline PieceGrid TakePieceGrid(const ConversionState& s) {
  return PieceGrid{s.writtenTick, s.nextBarTick, s.barTicks,  s.barBreak,
                   s.piecesLeft,  s.stopReason,  s.lengthTicks, s.lengthMidpoints};
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

// The next piece up to curTick for the state's own grid (see PieceGrid::Next).
inline int NextLength(ConversionState& s) {
  PieceGrid grid = TakePieceGrid(s);
  int piece = grid.Next(s.curTick);
  GivePieceGrid(s, grid);
  return piece;
}

// The length pass: chooses each active track's default length. Returns 1, or
// 0 when the track data cannot be read.
int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
