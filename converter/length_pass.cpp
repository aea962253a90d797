#include <climits>

#include "converter/keep_notes.h"
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
  return e.enabled && s.partCount > 0 && !e.readsDiffer && e.meterCount == s.meterCount;
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

namespace {

// The counts of the parts a track's voices play, fed as the split places
// the notes.
struct VoiceLengths {
  const VoiceTally& tally;
  LengthCount* const* counts;  // by voice, null for a voice without a part
  void On(int voice, int32_t key, int32_t tick) {
    if (voice < kMaxVoices && counts[voice]) counts[voice]->NoteOn(key, 1, tick);
  }
  void Off(int voice, int32_t tick) {
    // The split ends the voice's note, whatever its key: the count's own note.
    if (counts[voice]) counts[voice]->CloseAt(tick);
  }
};

// Counts the parts of one track. The counts go on from where a part's
// writer would have stopped, so they are kept for the song's end.
int CountVoices(ConversionState& s, MessageLog& log, int track, int32_t division, LengthCount* parts) {
  VoiceTally& tally = s.voices[track];
  LengthCount* byVoice[kMaxVoices] = {};
  // The track's counts share what is left of the pass's budget.
  const uint32_t budget = s.piecesLeft;
  for (int v = 0; v < kMaxVoices; ++v) {
    if (tally.part[v] < 0) continue;
    parts[tally.part[v]] = LengthCount(s, division, s.meterCount, budget);
    byVoice[v] = &parts[tally.part[v]];
  }
  VoiceSplit split;
  VoiceLengths lengths{tally, byVoice};
  TrackReader reader(s, log, kLengthPass);
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    if (delta != 0) {
      split.Flush(lengths);
      for (LengthCount* count : byVoice)
        if (count) count->AtTick(s.curTick, delta);
    }
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) return 0;
    const int kind = ev.status >> 4;
    if (kind == 0x8 || (kind == 0x9 && ev.data[1] == 0)) split.Off(ev.data[0], s.curTick, lengths);
    else if (kind == 0x9) split.On(ev.data[0], s.curTick);
    else if (ev.status >= 0xF0) reader.SkipTrackBytes(ev.payload);
  }
  split.Flush(lengths);
  uint64_t used = 0;
  for (int v = 0; v < kMaxVoices; ++v) {
    if (!byVoice[v]) continue;
    if (byVoice[v]->StopReason() != kRunning) {
      s.stopReason = byVoice[v]->StopReason();
      return 0;
    }
    used += budget - byVoice[v]->PiecesLeft();
    tally.lengthIndex[v] = static_cast<int8_t>(byVoice[v]->Choose());
  }
  if (used > budget) {
    s.stopReason = kTooManyPieces;
    return 0;
  }
  s.piecesLeft = budget - static_cast<uint32_t>(used);
  return 1;
}

}  // namespace

// The tick rounded up to a multiple of step (the 32nd note's ticks): where
// the search for the parts' common end starts.
int32_t RoundUpToGrid(int32_t tick, int32_t step) {
  if (step <= 0) return tick;
  const int64_t rounded = (static_cast<int64_t>(tick) + step - 1) / step * step;
  return rounded > INT32_MAX ? tick : static_cast<int32_t>(rounded);
}

// The tick where the parts, each padded with rests to it, all end: the
// latest end, moved on while a part's rest lands past it.
namespace {
// Rounds of padding before the parts' ends are left as the grid puts them.
const int kEndRounds = 4;
}  // namespace

int32_t CommonEnd(const LengthCount* parts, int count, int32_t songEnd) {
  int32_t end = songEnd;
  for (int round = 0; round < kEndRounds; ++round) {
    int32_t latest = end;
    bool together = true;
    for (int p = 0; p < count; ++p) {
      LengthCount padded = parts[p];
      if (padded.WrittenTick() < end) padded.CloseAt(end);
      together = together && padded.WrittenTick() == end;
      if (padded.WrittenTick() > latest) latest = padded.WrittenTick();
    }
    if (together) return end;
    end = latest;
  }
  return end;
}

int RunVoiceLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  LengthCount parts[kMaxParts] = {
      LengthCount(s, division, s.meterCount, 0), LengthCount(s, division, s.meterCount, 0),
      LengthCount(s, division, s.meterCount, 0), LengthCount(s, division, s.meterCount, 0),
      LengthCount(s, division, s.meterCount, 0), LengthCount(s, division, s.meterCount, 0),
  };
  int count = 0;
  for (int i = 0; i < trackCount; ++i) {
    if (!ReadChunkHeader(s, log, kLengthPass)) return 0;
    if (!s.tracks[i].active) {
      SkipChunk(s);
      continue;
    }
    if (!CountVoices(s, log, i, division, parts)) return 0;
    for (int v = 0; v < kMaxVoices; ++v) count += s.voices[i].part[v] >= 0;
  }
  s.maxEndTick = CommonEnd(parts, count, RoundUpToGrid(s.maxEndTick, s.lengthTicks[5]));
  return 1;
}
