#include "converter/length_count.h"
#include "converter/passes.h"
#include "converter/track_reader.h"

namespace {

// Runs the count over the track's events. Returns 1, or 0 when its data
// cannot be read or a limit stopped the count.
int CountEvents(ConversionState& s, TrackReader& reader, LengthCount& count) {
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    count.AtTick(s.curTick, delta);
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) return 0;
    count.OnEvent(ev, s.curTick);
    if (ev.status >= 0xF0) reader.SkipTrackBytes(ev.payload);
    if (count.StopReason() != kRunning) return 0;
  }
  return 1;
}

// Counts one active track's pieces and chooses its default length. Returns
// 1, or 0 when its data cannot be read or a limit stopped the pass.
int CountTrack(ConversionState& s, MessageLog& log, TrackInfo& track, int32_t division) {
  LengthCount count(s, division, s.meterCount, s.piecesLeft);
  TrackReader reader(s, log, kLengthPass);
  int read = CountEvents(s, reader, count);
  s.piecesLeft = count.PiecesLeft();
  if (count.StopReason() != kRunning) s.stopReason = count.StopReason();
  if (!read) return 0;
  track.lengthIndex = count.Choose();
  return 1;
}

}  // namespace

int EarlyLengthsHold(const ConversionState& s) {
  const EarlyLengths& e = s.early;
  // With counting on, the first part's track is always counted.
  return !s.keepNotes && e.enabled && s.partCount > 0 && !e.readsDiffer && e.meterCount == s.meterCount;
}

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
