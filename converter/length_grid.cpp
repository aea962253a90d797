#include "converter/length_grid.h"

#include <climits>

#include "converter/track_reader.h"

const int32_t lengthValues[6] = {1, 2, 4, 8, 16, 32};

void SetLengthTicks(ConversionState& s, int32_t division) {
  for (int k = 0; k < 6; ++k) s.lengthTicks[k] = (4 * division) / lengthValues[k];
}

int32_t MeasureTicks(int32_t division, int32_t numerator, int32_t denominator) {
  return (numerator * (4 * division)) / denominator;
}

const MeterMap* MeterAt(const ConversionState& s, int32_t tick) {
  for (int i = 0; i < s.meterCount; ++i)
    if (s.meters[i].tick == tick) return &s.meters[i];
  return nullptr;
}

int32_t StartMeasureTicks(const ConversionState& s, int32_t division) {
  const MeterMap* m = MeterAt(s, 0);
  return m ? MeasureTicks(division, m->numerator, m->denominator) : 4 * division;
}

namespace {
int32_t Distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }
}  // namespace

int NextLength(ConversionState& s) {
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
  int i = 0;
  while (i < 5 && s.lengthTicks[i] > remaining) ++i;
  if (i > 0 && Distance(remaining, s.lengthTicks[i - 1]) < Distance(remaining, s.lengthTicks[i]))
    --i;
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

namespace {

struct LengthCounter {
  uint32_t counts[6] = {};
  void CountUpTo(ConversionState& s, int32_t tick) {
    s.curTick = tick;
    for (int i = NextLength(s); i >= 0; i = NextLength(s)) ++counts[i];
  }
  int32_t Choose() const {
    int32_t best = 2;
    for (int i = 0; i < 6; ++i)
      if (counts[i] > counts[best]) best = i;
    return best;
  }
};

// Counts one active track. Returns 1, or 0 when its data cannot be read.
int CountTrack(ConversionState& s, MessageLog& log, TrackInfo& track, int32_t division) {
  LengthCounter counter;
  s.barTicks = StartMeasureTicks(s, division);
  s.nextBarTick = s.barTicks;
  s.writtenTick = 0;
  int curNote = -1;
  int32_t noteStartTick = 0;
  int runningStatus = 0;
  while (s.trackBytesLeft > 0) {
    int32_t delta;
    if (!ReadDeltaTime(s, log, &delta)) return 0;
    if (delta != 0) {
      if (const MeterMap* m = MeterAt(s, s.curTick)) {
        s.barTicks = MeasureTicks(division, m->numerator, m->denominator);
        counter.CountUpTo(s, s.curTick);
        curNote = -1;
      }
    }
    TrackEvent ev;
    if (!ReadEventBody(s, log, kLengthPass, &runningStatus, &ev)) return 0;
    int kind = ev.status >> 4;
    int key = ev.data[0];
    if (kind == 0x9 && ev.data[1] > 0) {
      if (curNote == -1 || noteStartTick != s.curTick) {
        counter.CountUpTo(s, s.curTick);
        curNote = key;
        noteStartTick = s.curTick;
      }
    } else if (kind == 0x8 || kind == 0x9) {
      if (key == curNote) {
        counter.CountUpTo(s, s.curTick);
        curNote = -1;
      }
    } else if (ev.status >= 0xF0) {
      SkipTrackBytes(s, ev.payload);
    }
    if (s.stopReason != kRunning) return 0;
  }
  track.lengthIndex = counter.Choose();
  return 1;
}

}  // namespace

int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  for (int i = 0; i < trackCount; ++i) {
    if (!ReadChunkHeader(s, log, kLengthPass)) return 0;
    TrackInfo& track = s.tracks[i];
    if (!track.active) {
      SkipChunk(s);
      continue;
    }
    if (!CountTrack(s, log, track, division)) return 0;
  }
  return 1;
}
