#include <cstdio>

#include "converter/change_walk.h"
#include "converter/conversion_watch.h"
#include "converter/length_grid.h"
#include "converter/mml_writer.h"
#include "converter/part_writer.h"
#include "converter/passes.h"
#include "converter/rhythm_kit.h"
#include "converter/track_reader.h"

namespace {

int32_t TempoAt(const ConversionState& s, int32_t tick, int32_t fallback) {
  for (int i = 0; i < s.tempoCount; ++i)
    if (s.tempos[i].tick == tick) return s.tempos[i].bpm;
  return fallback;
}

void WritePartHeader(ConversionState& s, const TrackInfo& track, char letter) {
  char text[32];
  std::snprintf(text, sizeof text, "%c ", letter);
  WriteRaw(s, text);
  s.lineLen = 2;
  s.barBreak = 0;
  if (track.isRhythm) {
    std::snprintf(text, sizeof text, "=1\r\n%c ", letter);
    WriteToken(s, text);
  }
  if (s.curPart == 0) {
    std::snprintf(text, sizeof text, "T%d", static_cast<int>(TempoAt(s, 0, 120)));
    WriteToken(s, text);
  }
  if (!track.isRhythm) {
    std::snprintf(text, sizeof text, "V%d", static_cast<int>(track.maxVolume * 120 / s.maxVolume));
    WriteToken(s, text);
    WriteToken(s, "@0");
  }
  WriteToken(s, "L");
  std::snprintf(text, sizeof text, "l%d", static_cast<int>(lengthValues[track.lengthIndex]));
  WriteToken(s, text);
  std::snprintf(text, sizeof text, "\r\n%c ", letter);
  WriteRaw(s, text);
  s.lineLen = 2;
}

// Writes the body of one part: a single voice of notes and rests. The part
// works on copies of its own of the track's entry and the tempo and meter
// walks, which the writing of a note cannot touch.
int WritePartBody(ConversionState& s, MessageLog& log, const TrackInfo& trackEntry, int32_t division) {
  const TrackInfo track = trackEntry;
  ChangeWalk<TempoMap> tempos(s.tempos, s.tempoCount);
  ChangeWalk<MeterMap> meters(s.meters, s.meterCount);
  s.barTicks = StartMeasureTicks(s, division);
  s.nextBarTick = s.barTicks;
  s.writtenTick = 0;
  s.curOctave = -2;
  s.lastMacro = -1;
  const bool writesTempo = s.curPart == 0;
  int curNote = -1;
  int32_t noteStartTick = 0;
  SpareToken spare;
  PartWriter out(s, track, spare);
  ConversionWatch* const watch = s.watch;
  // Writes the sounding note up to end; last: the note ends there. Inline,
  // as the writer's note was before the watch came.
  auto writeNote = [&](int32_t end, bool last) __attribute__((always_inline)) {
    const int32_t from = out.WrittenTick();
    out.Note(curNote, end);
    if (watch) watch->NoteWritten(curNote, noteStartTick, end, from, out.WrittenTick(), last);
  };
  TrackReader reader(s, log, kEmissionPass);
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    const int32_t tick = s.curTick;
    if (delta != 0) {
      if (writesTempo) {
        if (const TempoMap* tempo = tempos.At(tick)) {
          char text[16];
          int n = std::snprintf(text, sizeof text, "T%d", static_cast<int>(tempo->bpm));
          out.Token(text, static_cast<uint32_t>(n));
          if (watch) watch->TempoWritten(s, *tempo, out.WrittenTick());
        }
      }
      if (const MeterMap* m = meters.At(tick)) {
        out.SetMeasure(MeasureTicks(division, m->numerator, m->denominator));
        if (curNote != -1) writeNote(tick, false);
        else out.Rest(tick);
      }
    }
    TrackEvent ev = {};
    if (!reader.ReadEventBody(&ev)) return 0;
    int kind = ev.status >> 4;
    int key = ev.data[0];
    bool noteOff = kind == 0x8;
    if (kind == 0x9 && watch && ev.data[1] != 0) watch->SourceNote(ev.status & 0x0F);
    if (kind == 0x9 && IsWritableKey(track, key)) {
      if (ev.data[1] == 0) {
        noteOff = true;
      } else if (curNote == -1) {
        out.Rest(tick);
        noteStartTick = tick;
        curNote = key;
      } else if (noteStartTick != tick) {
        writeNote(tick, true);
        noteStartTick = tick;
        curNote = key;
      } else if (watch) {
        watch->Dropped(tick, key, kLossChord);
      }
    } else if (kind == 0x9) {
      if (watch && ev.data[1] != 0) watch->Dropped(tick, key, track.isRhythm ? kLossDrumKey : kLossRange);
    } else if (ev.status >= 0xF0) {
      reader.SkipTrackBytes(ev.payload);
    }
    if (noteOff && key == curNote) {
      writeNote(tick, true);
      curNote = -1;
    }
    if (out.StopReason() != kRunning) return 0;
  }
  if (watch && curNote != -1) watch->NoteUnended(curNote, noteStartTick);
  if (out.WrittenTick() < s.maxEndTick) {
    s.curTick = s.maxEndTick;
    out.Rest(s.maxEndTick);
  }
  const int32_t writtenEnd = out.WrittenTick();
  out.GiveBack();
  WriteRaw(s, "\r\n\r\n");
  if (watch) watch->EndPart(s, writtenEnd, s.targetFile.Tell());
  return s.stopReason == kRunning;
}

}  // namespace

int RunEmissionPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  if (s.watch) s.watch->StartEmission(s);
  int32_t part = 0;
  for (int i = 0; i < trackCount; ++i) {
    if (!ReadChunkHeader(s, log, kEmissionPass)) return 0;
    const TrackInfo& track = s.tracks[i];
    if (!track.active) {
      SkipChunk(s);
      continue;
    }
    s.curTrack = i;
    s.curPart = part;
    if (s.watch) s.watch->StartPart(s, i, part, track.isRhythm, s.targetFile.Tell());
    WritePartHeader(s, track, static_cast<char>('A' + part));
    if (!WritePartBody(s, log, track, division)) return 0;
    ++part;
  }
  return 1;
}
