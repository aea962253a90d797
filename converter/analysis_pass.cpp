#include <cstdio>
#include <cstring>

#include "converter/conversion_watch.h"
#include "converter/keep_notes.h"
#include "converter/length_count.h"
#include "converter/messages.h"
#include "converter/mml_writer.h"
#include "converter/passes.h"
#include "converter/rhythm_kit.h"
#include "converter/track_reader.h"

namespace {

// What the pass knows about the track it is reading; started afresh per track.
struct TrackScan {
  int track = 0;          // index from 0
  int32_t sourceNotes = 0;  // note-ons with a velocity, for the report
  int curNote = -1;
  int32_t noteStartTick = 0;
  int hasNotes = 0;
  int noteWarned = 0;
  int chordWarned = 0;
  int tempoWarned = 0;
  int meterWarned = 0;
  // Keeping the notes: the track's voices and their count.
  VoiceSplit split;
  VoiceTally* tally = nullptr;
  void FlushVoices() {
    VoiceCount count{*tally};
    split.Flush(count);
  }
  void VoiceOff(int key, int32_t tick) {
    VoiceCount count{*tally};
    split.Off(key, tick, count);
  }
};

void WarnOnce(MessageLog& log, int* flag, const char* text) {
  if (*flag) return;
  log.AddLog(text, 1);
  *flag = 1;
}

// Keeping the notes, every key goes to a voice (the emission pass drops a
// melodic key it cannot write); a drum key is written by its family's macro.
void KeptNoteOn(MessageLog& log, TrackInfo& track, TrackScan& scan, int key, int velocity, int32_t tick) {
  if (velocity == 0) scan.VoiceOff(key, tick);
  else if (!scan.split.On(key, tick)) VoiceCount{*scan.tally}.On(kOverflowVoice, key, tick);
  if (!track.isRhythm && !IsWritableKey(track, key)) {
    WarnOnce(log, &scan.noteWarned, msg::kOutOfOctave);
    return;
  }
  scan.hasNotes = 1;
}

void NoteOn(MessageLog& log, ConversionState& s, TrackInfo& track, TrackScan& scan,
            int status, int key, int velocity) {
  scan.sourceNotes += velocity != 0;
  if ((status & 0x0F) == 9) {
    track.isRhythm = 1;
    s.hasRhythm = 1;
  }
  if (scan.tally) {
    KeptNoteOn(log, track, scan, key, velocity, s.curTick);
    return;
  }
  if (!IsWritableKey(track, key)) {
    WarnOnce(log, &scan.noteWarned, track.isRhythm ? msg::kUnsetRhythm : msg::kOutOfOctave);
    return;
  }
  scan.hasNotes = 1;
  if (velocity == 0) {
    if (key == scan.curNote) scan.curNote = -1;
  } else if (scan.curNote == -1 || scan.noteStartTick != s.curTick) {
    scan.curNote = key;
    scan.noteStartTick = s.curTick;
  } else {
    WarnOnce(log, &scan.chordWarned, msg::kChord);
  }
}

void SetTempo(MessageLog& log, ConversionState& s, TrackScan& scan, const int* b) {
  int32_t microseconds = (b[0] << 16) | (b[1] << 8) | b[2];
  if (microseconds == 0) {
    if (s.watch) s.watch->Lost(scan.track, s.curTick, kLossTempoZero, 0);
    return;
  }
  int32_t bpm = 60000000 / microseconds;
  for (int i = 0; i < s.tempoCount; ++i) {
    if (s.tempos[i].tick != s.curTick) continue;
    if (s.tempos[i].bpm == bpm) return;
    WarnOnce(log, &scan.tempoWarned, msg::kTempoConflict);
    if (s.watch) s.watch->Lost(scan.track, s.curTick, kLossTempoConflict, bpm);
    return;
  }
  if (s.tempoCount < kMapCapacity) {
    if (s.watch) s.watch->TempoAdded(s.tempoCount, scan.track);
    s.tempos[s.tempoCount++] = TempoMap{s.curTick, bpm};
    return;
  }
  WarnOnce(log, &scan.tempoWarned, msg::kTooManyTempos);
  if (s.watch) s.watch->Lost(scan.track, s.curTick, kLossTempoLimit, bpm);
}

void SetMeter(MessageLog& log, ConversionState& s, TrackScan& scan, const int* b) {
  int32_t numerator = b[0];
  int32_t denominator = static_cast<int32_t>(1u << (b[1] % 32));
  for (int i = 0; i < s.meterCount; ++i) {
    const MeterMap& m = s.meters[i];
    if (m.tick != s.curTick) continue;
    if (m.numerator == numerator && m.denominator == denominator) return;
    WarnOnce(log, &scan.meterWarned, msg::kMeterConflict);
    if (s.watch) s.watch->Lost(scan.track, s.curTick, kLossMeterConflict, 0);
    return;
  }
  if (s.meterCount < kMapCapacity) {
    s.meters[s.meterCount++] = MeterMap{s.curTick, numerator, denominator};
    return;
  }
  WarnOnce(log, &scan.meterWarned, msg::kTooManyMeters);
  if (s.watch) s.watch->Lost(scan.track, s.curTick, kLossMeterLimit, 0);
}

// The payload bytes the pass takes from a meta event: the standard 3 of a
// tempo and 4 of a time signature whatever the length says, none of the
// others (their payload is skipped).
int MetaBytesTaken(int metaType) { return metaType == 0x51 ? 3 : metaType == 0x58 ? 4 : 0; }

// Takes a tempo or time signature into its map.
void TakeMetaEvent(MessageLog& log, ConversionState& s, TrackScan& scan, const TrackEvent& ev,
                   const int* bytes) {
  if (ev.payload != MetaBytesTaken(ev.metaType)) s.early.readsDiffer = 1;
  if (ev.metaType == 0x51) SetTempo(log, s, scan, bytes);
  else SetMeter(log, s, scan, bytes);
}

// Reads the track's events and counts their length pieces into *result. The
// count works on a copy of its own that the compiler can keep in registers
// (a count reached through a pointer would be stored and loaded again around
// every store the pass makes).
int ScanEvents(MessageLog& log, ConversionState& s, TrackInfo& track, TrackScan& scan,
               LengthCount* result) {
  LengthCount count = *result;
  TrackReader reader(s, log, kAnalysisPass);
  int read = 1;
  while (read && reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) {
      read = 0;
      break;
    }
    count.AtTick(s.curTick, delta);
    if (scan.tally && delta != 0) scan.FlushVoices();
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) {
      read = 0;
      break;
    }
    switch (ev.status >> 4) {
      case 0x8:
        count.NoteOff(ev.data[0], s.curTick);
        if (ev.data[0] == scan.curNote) scan.curNote = -1;
        if (scan.tally) scan.VoiceOff(ev.data[0], s.curTick);
        break;
      case 0x9:
        count.NoteOn(ev.data[0], ev.data[1], s.curTick);
        NoteOn(log, s, track, scan, ev.status, ev.data[0], ev.data[1]);
        break;
      case 0xB:
        if (ev.data[0] == 7 && ev.data[1] > track.maxVolume) track.maxVolume = ev.data[1];
        break;
      case 0xF: {
        int taken = ev.status == 0xFF ? MetaBytesTaken(ev.metaType) : 0;
        if (taken == 0) {
          reader.SkipTrackBytes(ev.payload);
          break;
        }
        int bytes[4] = {};
        read = reader.ReadTrackBytes(taken, bytes);
        if (read) TakeMetaEvent(log, s, scan, ev, bytes);
        if (s.meterCount != count.MeterCount() && s.curTick == 0) count.TakeMetersAtStart(s);
        break;
      }
      default:
        break;
    }
  }
  *result = count;
  if (scan.tally) scan.FlushVoices();
  return read;
}

// Takes the default length a part's track was counted to, with the pieces
// the count used from the pass's budget.
void TakeEarlyCount(ConversionState& s, TrackInfo& track, const LengthCount& count) {
  if (s.partCount == 1) s.early.meterCount = count.MeterCount();
  track.lengthIndex = count.Choose();
  s.piecesLeft = count.PiecesLeft();
  s.early.stopReason = count.StopReason();
}

// Returns whether the track became a part. Keeping the notes, every track
// with notes is kept for ChooseVoiceParts, which decides.
bool AcceptOrDrop(MessageLog& log, ConversionState& s, TrackInfo& track, const TrackScan& scan) {
  if (scan.tally) {
    track.endTick = s.curTick;
    scan.tally->hasNotes = 1;
    ++s.partCount;
    return false;
  }
  bool accepted = s.partCount < kMaxParts;
  if (accepted) {
    track.active = 1;
    track.endTick = s.curTick;
    if (s.curTick > s.maxEndTick) s.maxEndTick = s.curTick;
    if (track.maxVolume > s.maxVolume) s.maxVolume = track.maxVolume;
    if (track.isRhythm && track.maxVolume > s.rhythmVolume) s.rhythmVolume = track.maxVolume;
  } else {
    if (s.partCount == kMaxParts) log.AddLog(msg::kPartLimit, 1);
    if (s.watch) s.watch->TrackDropped(scan.track, scan.sourceNotes);
  }
  ++s.partCount;
  return accepted;
}

// Whether the count of a track that becomes a part is taken: counting is
// on, no part's count has stopped, and the track can still become a part.
// Keeping the notes, the parts are voices, counted by their own pass.
bool CountsEarly(const ConversionState& s) {
  return !s.keepNotes && s.early.enabled && s.early.stopReason == kRunning && s.partCount < kMaxParts;
}

}  // namespace

int RunAnalysisPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  if (s.watch) s.watch->StartAnalysis(division);
  for (int i = 0; i < trackCount; ++i) {
    TrackInfo& track = s.tracks[i];
    track = TrackInfo{0, 2, 1, 0, 0};
    char line[32];
    std::snprintf(line, sizeof line, msg::kTrackFormat, i + 1);
    log.AddLog(line, 1);
    if (!ReadChunkHeader(s, log, kAnalysisPass)) return 0;
    TrackScan scan;
    scan.track = i;
    if (s.keepNotes) scan.tally = &s.voices[i];
    if (s.trackBytesLeft <= 0) {
      log.AddLog(msg::kSilentTrack, 1);
      continue;
    }
    LengthCount count(s, division, s.meterCount, s.piecesLeft);
    bool counting = CountsEarly(s);
    if (!ScanEvents(log, s, track, scan, &count)) return 0;
    if (s.trackBytesLeft < 0) s.early.readsDiffer = 1;
    if (!scan.hasNotes) {
      if (scan.tally) std::memset(scan.tally, 0, sizeof *scan.tally);
      log.AddLog(msg::kSilentTrack, 1);
      continue;
    }
    if (AcceptOrDrop(log, s, track, scan) && counting) TakeEarlyCount(s, track, count);
  }
  if (s.keepNotes) ChooseVoiceParts(s, log, trackCount);
  return 1;
}
