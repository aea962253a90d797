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
// Returns the meter entry at exactly this tick, or null.
const MeterMap* MeterAt(const ConversionState& s, int32_t tick);
// Measure ticks at the start of a track: the meter at tick 0, else 4/4.
int32_t StartMeasureTicks(const ConversionState& s, int32_t division);

// Chooses the next piece between writtenTick and curTick (bounded by the next
// measure boundary) and advances writtenTick by it. Returns its length index,
// or -1 when no time is left (or a limit stopped the conversion). Inline: the
// length and emission passes call it for every piece and once more at the
// end of every note and rest.
inline int NextLength(ConversionState& s) {
  int32_t limit = s.curTick;
  if (s.barTicks != 0 && s.nextBarTick < limit) limit = s.nextBarTick;
  // Both ends are ticks within 32 bits, the difference may not be.
  int64_t remaining64 = static_cast<int64_t>(limit) - s.writtenTick;
  if (remaining64 <= 0 || s.stopReason != kRunning) return -1;
  if (s.piecesLeft == 0) {
    s.stopReason = kTooManyPieces;
    return -1;
  }
  int32_t remaining = remaining64 > INT32_MAX ? INT32_MAX : static_cast<int32_t>(remaining64);
  // The piece is the length nearest to the remaining time, the shorter one on
  // a tie. The lengths fall from whole to 32nd note, so its index is the
  // number of midpoints between neighbouring lengths that the remaining time
  // does not pass: five comparisons and no branch on the data.
  const int32_t* mid = s.lengthMidpoints;
  int i = (remaining <= mid[0]) + (remaining <= mid[1]) + (remaining <= mid[2]) +
          (remaining <= mid[3]) + (remaining <= mid[4]);
  if (s.writtenTick > INT32_MAX - s.lengthTicks[i]) {
    s.stopReason = kTickOverflow;
    return -1;
  }
  --s.piecesLeft;
  s.writtenTick += s.lengthTicks[i];
  if (s.writtenTick >= s.nextBarTick) {
    s.barBreak = 1;
    if (s.nextBarTick > INT32_MAX - s.barTicks) {
      s.stopReason = kTickOverflow;
      return -1;
    }
    s.nextBarTick += s.barTicks;
  }
  return i;
}

// The length pass: chooses each active track's default length. Returns 1, or
// 0 when the track data cannot be read.
int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
