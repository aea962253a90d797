#include "converter/length_grid.h"

#include <climits>
#include <cstdint>


const int32_t lengthValues[6] = {1, 2, 4, 8, 16, 32};

namespace {

// Cuts a span of the given ticks from a point with no measure boundary ahead
// of it, as PieceGrid::Next does; more than kMaxSpanPieces pieces give no cut.
SpanCut CutSpan(const ConversionState& s, uint32_t ticks) {
  SpanCut cut = {0, 0, 0};
  uint32_t covered = 0;
  for (int n = 0; covered < ticks; ++n) {
    if (n == kMaxSpanPieces) return SpanCut{0, 0, 0};
    int i = NearestPiece(ticks - covered, s.lengthMidpoints);
    cut.pieces |= static_cast<uint32_t>(i) << (3 * n);
    cut.count = static_cast<uint16_t>(n + 1);
    covered += static_cast<uint32_t>(s.lengthTicks[i]);
  }
  if (covered > UINT16_MAX) return SpanCut{0, 0, 0};
  cut.covered = static_cast<uint16_t>(covered);
  return cut;
}

}  // namespace

void SetLengthTicks(ConversionState& s, int32_t division) {
  for (int k = 0; k < 6; ++k) s.lengthTicks[k] = (4 * division) / lengthValues[k];
  for (int k = 0; k < 5; ++k)
    s.lengthMidpoints[k] = static_cast<uint32_t>(s.lengthTicks[k] + s.lengthTicks[k + 1]) / 2;
  s.spanCuts[0] = SpanCut{0, 0, 0};
  for (uint32_t ticks = 1; ticks < static_cast<uint32_t>(kSpanCutCount); ++ticks)
    s.spanCuts[ticks] = CutSpan(s, ticks);
}

int32_t MeasureTicks(int32_t division, int32_t numerator, int32_t denominator) {
  return (numerator * (4 * division)) / denominator;
}

namespace {

// The meter entry at exactly this tick, or null.
const MeterMap* MeterAt(const ConversionState& s, int32_t tick) {
  for (int i = 0; i < s.meterCount; ++i)
    if (s.meters[i].tick == tick) return &s.meters[i];
  return nullptr;
}

}  // namespace

int32_t StartMeasureTicks(const ConversionState& s, int32_t division) {
  const MeterMap* m = MeterAt(s, 0);
  return m ? MeasureTicks(division, m->numerator, m->denominator) : 4 * division;
}
