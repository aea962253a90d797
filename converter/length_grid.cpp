#include "converter/length_grid.h"

#include <climits>

#include "converter/change_walk.h"
#include "converter/track_reader.h"

const int32_t lengthValues[6] = {1, 2, 4, 8, 16, 32};

void SetLengthTicks(ConversionState& s, int32_t division) {
  for (int k = 0; k < 6; ++k) s.lengthTicks[k] = (4 * division) / lengthValues[k];
  for (int k = 0; k < 5; ++k)
    s.lengthMidpoints[k] = static_cast<uint32_t>(s.lengthTicks[k] + s.lengthTicks[k + 1]) / 2;
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

namespace {

struct LengthCounter {
  uint32_t counts[6] = {};
  void CountUpTo(PieceGrid& grid, int32_t tick) {
    for (int i = grid.Next(tick); i >= 0; i = grid.Next(tick)) ++counts[i];
  }
  int32_t Choose() const {
    int32_t best = 2;
    for (int i = 0; i < 6; ++i)
      if (counts[i] > counts[best]) best = i;
    return best;
  }
};

// Counts the pieces of one active track's notes and rests. Returns 1, or 0
// when its data cannot be read or a limit stopped the pass.
int CountEvents(ConversionState& s, MessageLog& log, int32_t division,
                ChangeWalk<MeterMap>& meters, PieceGrid& grid, LengthCounter& counter) {
  int curNote = -1;
  int32_t noteStartTick = 0;
  TrackReader reader(s, log, kLengthPass);
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    int32_t tick = s.curTick;
    if (delta != 0) {
      if (const MeterMap* m = meters.At(tick)) {
        grid.barTicks = MeasureTicks(division, m->numerator, m->denominator);
        counter.CountUpTo(grid, tick);
        curNote = -1;
      }
    }
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) return 0;
    int kind = ev.status >> 4;
    int key = ev.data[0];
    if (kind == 0x9 && ev.data[1] > 0) {
      if (curNote == -1 || noteStartTick != tick) {
        counter.CountUpTo(grid, tick);
        curNote = key;
        noteStartTick = tick;
      }
    } else if (kind == 0x8 || kind == 0x9) {
      if (key == curNote) {
        counter.CountUpTo(grid, tick);
        curNote = -1;
      }
    } else if (ev.status >= 0xF0) {
      reader.SkipTrackBytes(ev.payload);
    }
    if (grid.stopReason != kRunning) return 0;
  }
  return 1;
}

// Counts one active track and chooses its default length. Returns 1, or 0
// when its data cannot be read.
int CountTrack(ConversionState& s, MessageLog& log, TrackInfo& track, int32_t division,
               ChangeWalk<MeterMap>& meters) {
  meters.Restart();
  s.barTicks = StartMeasureTicks(s, division);
  s.nextBarTick = s.barTicks;
  s.writtenTick = 0;
  PieceGrid grid = TakePieceGrid(s);
  LengthCounter counter;
  int read = CountEvents(s, log, division, meters, grid, counter);
  GivePieceGrid(s, grid);
  if (!read) return 0;
  track.lengthIndex = counter.Choose();
  return 1;
}

}  // namespace

int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  ChangeWalk<MeterMap> meters(s.meters, s.meterCount);
  for (int i = 0; i < trackCount; ++i) {
    if (!ReadChunkHeader(s, log, kLengthPass)) return 0;
    TrackInfo& track = s.tracks[i];
    if (!track.active) {
      SkipChunk(s);
      continue;
    }
    if (!CountTrack(s, log, track, division, meters)) return 0;
  }
  return 1;
}
