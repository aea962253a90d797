#include <cstdio>

#include "converter/messages.h"
#include "converter/mml_writer.h"
#include "converter/passes.h"
#include "converter/rhythm_kit.h"
#include "converter/track_reader.h"

namespace {

// What the pass knows about the track it is reading; started afresh per track.
struct TrackScan {
  int curNote = -1;
  int32_t noteStartTick = 0;
  int hasNotes = 0;
  int noteWarned = 0;
  int chordWarned = 0;
  int tempoWarned = 0;
  int meterWarned = 0;
};

void WarnOnce(MessageLog& log, int* flag, const char* text) {
  if (*flag) return;
  log.AddLog(text, 1);
  *flag = 1;
}

void NoteOn(MessageLog& log, ConversionState& s, TrackInfo& track, TrackScan& scan,
            int status, int key, int velocity) {
  if ((status & 0x0F) == 9) {
    track.isRhythm = 1;
    s.hasRhythm = 1;
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
  if (microseconds == 0) return;
  int32_t bpm = 60000000 / microseconds;
  for (int i = 0; i < s.tempoCount; ++i) {
    if (s.tempos[i].tick != s.curTick) continue;
    if (s.tempos[i].bpm != bpm) WarnOnce(log, &scan.tempoWarned, msg::kTempoConflict);
    return;
  }
  if (s.tempoCount < kMapCapacity) {
    s.tempos[s.tempoCount++] = TempoMap{s.curTick, bpm};
    return;
  }
  WarnOnce(log, &scan.tempoWarned, msg::kTooManyTempos);
}

void SetMeter(MessageLog& log, ConversionState& s, TrackScan& scan, const int* b) {
  int32_t numerator = b[0];
  int32_t denominator = static_cast<int32_t>(1u << (b[1] % 32));
  for (int i = 0; i < s.meterCount; ++i) {
    const MeterMap& m = s.meters[i];
    if (m.tick != s.curTick) continue;
    if (m.numerator != numerator || m.denominator != denominator)
      WarnOnce(log, &scan.meterWarned, msg::kMeterConflict);
    return;
  }
  if (s.meterCount < kMapCapacity) {
    s.meters[s.meterCount++] = MeterMap{s.curTick, numerator, denominator};
    return;
  }
  WarnOnce(log, &scan.meterWarned, msg::kTooManyMeters);
}

// Reads a meta event's payload: tempo and time signature are taken as their
// standard 3 and 4 bytes whatever the length says; others are skipped.
int MetaEvent(MessageLog& log, ConversionState& s, TrackReader& reader, TrackScan& scan,
              const TrackEvent& ev) {
  int bytes[4] = {};
  if (ev.metaType == 0x51) {
    if (!reader.ReadTrackBytes(3, bytes)) return 0;
    SetTempo(log, s, scan, bytes);
  } else if (ev.metaType == 0x58) {
    if (!reader.ReadTrackBytes(4, bytes)) return 0;
    SetMeter(log, s, scan, bytes);
  } else {
    reader.SkipTrackBytes(ev.payload);
  }
  return 1;
}

int ScanEvents(MessageLog& log, ConversionState& s, TrackInfo& track, TrackScan& scan) {
  TrackReader reader(s, log, kAnalysisPass);
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) return 0;
    switch (ev.status >> 4) {
      case 0x8:
        if (ev.data[0] == scan.curNote) scan.curNote = -1;
        break;
      case 0x9:
        NoteOn(log, s, track, scan, ev.status, ev.data[0], ev.data[1]);
        break;
      case 0xB:
        if (ev.data[0] == 7 && ev.data[1] > track.maxVolume) track.maxVolume = ev.data[1];
        break;
      case 0xF:
        if (ev.status == 0xFF) {
          if (!MetaEvent(log, s, reader, scan, ev)) return 0;
        } else {
          reader.SkipTrackBytes(ev.payload);
        }
        break;
      default:
        break;
    }
  }
  return 1;
}

void AcceptOrDrop(MessageLog& log, ConversionState& s, TrackInfo& track) {
  if (s.partCount < kMaxParts) {
    track.active = 1;
    track.endTick = s.curTick;
    if (s.curTick > s.maxEndTick) s.maxEndTick = s.curTick;
    if (track.maxVolume > s.maxVolume) s.maxVolume = track.maxVolume;
    if (track.isRhythm && track.maxVolume > s.rhythmVolume) s.rhythmVolume = track.maxVolume;
  } else if (s.partCount == kMaxParts) {
    log.AddLog(msg::kPartLimit, 1);
  }
  ++s.partCount;
}

}  // namespace

int RunAnalysisPass(ConversionState& s, MessageLog& log, uint16_t trackCount) {
  for (int i = 0; i < trackCount; ++i) {
    TrackInfo& track = s.tracks[i];
    track = TrackInfo{0, 2, 1, 0, 0};
    char line[32];
    std::snprintf(line, sizeof line, msg::kTrackFormat, i + 1);
    log.AddLog(line, 1);
    if (!ReadChunkHeader(s, log, kAnalysisPass)) return 0;
    TrackScan scan;
    if (s.trackBytesLeft <= 0) {
      log.AddLog(msg::kSilentTrack, 1);
      continue;
    }
    if (!ScanEvents(log, s, track, scan)) return 0;
    if (!scan.hasNotes) {
      log.AddLog(msg::kSilentTrack, 1);
      continue;
    }
    AcceptOrDrop(log, s, track);
  }
  return 1;
}
