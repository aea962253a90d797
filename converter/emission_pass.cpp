#include <cstdio>

#include "converter/change_walk.h"
#include "converter/conversion_watch.h"
#include "converter/keep_notes.h"
#include "converter/length_grid.h"
#include "converter/mml_writer.h"
#include "converter/part_writer.h"
#include "converter/passes.h"
#include "converter/rhythm_kit.h"
#include "converter/shared_parts.h"
#include "converter/track_reader.h"

namespace {

int32_t TempoAt(const ConversionState& s, int32_t tick, int32_t fallback) {
  for (int i = 0; i < s.tempoCount; ++i)
    if (s.tempos[i].tick == tick) return s.tempos[i].bpm;
  return fallback;
}

}  // namespace

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

void StartPartBody(ConversionState& s, int32_t division) {
  s.barTicks = StartMeasureTicks(s, division);
  s.nextBarTick = s.barTicks;
  s.writtenTick = 0;
  s.curOctave = -2;
  s.lastMacro = -1;
}

void WriteTempoChange(ConversionState& s, PartWriter& out, const TempoMap& tempo) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "T%d", static_cast<int>(tempo.bpm));
  out.Token(text, static_cast<uint32_t>(n));
  if (s.watch) s.watch->TempoWritten(s, tempo, out.WrittenTick());
}

int FinishPartBody(ConversionState& s, PartWriter& out) {
  if (out.WrittenTick() < s.maxEndTick) {
    s.curTick = s.maxEndTick;
    out.Rest(s.maxEndTick);
  }
  const int32_t writtenEnd = out.WrittenTick();
  out.GiveBack();
  WriteRaw(s, "\r\n\r\n");
  if (s.watch) s.watch->EndPart(s, writtenEnd, s.targetFile.Tell());
  return s.stopReason == kRunning;
}

namespace {

// Writes the body of one part: a single voice of notes and rests. The part
// works on copies of its own of the track's entry and the tempo and meter
// walks, which the writing of a note cannot touch. Split: the part plays
// one voice (voice) of the track's VoiceSplit, keeping the notes; otherwise
// the track's first note at each tick, as the track's only voice.
template <bool Split>
int WritePartBody(ConversionState& s, MessageLog& log, const TrackInfo& trackEntry, int32_t division,
                  int voice) {
  const TrackInfo track = trackEntry;
  ChangeWalk<TempoMap> tempos(s.tempos, s.tempoCount);
  ChangeWalk<MeterMap> meters(s.meters, s.meterCount);
  StartPartBody(s, division);
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
  // The voice's notes as the split places them.
  int firstChannel = -1;
  struct VoiceNotes {
    ConversionState& s;
    const TrackInfo& track;
    int voice;
    int& channel;
    int& curNote;
    int32_t& noteStartTick;
    PartWriter& out;
    decltype(writeNote)& write;
    void On(int v, int32_t key, int32_t tick) {
      if (v != voice) return;
      ConversionWatch* const watch = s.watch;
      if (watch) watch->SourceNote(channel);
      // Every drum key has a macro here; a melodic key may lie out of range.
      if (!track.isRhythm && !IsWritableKey(track, key)) {
        if (watch) watch->Dropped(tick, key, kLossRange);
        return;
      }
      if (track.isRhythm && DrumMacro(key) < 0) {
        if (watch) watch->Substituted(tick, key, FamilyMacro(key));
        key = KeptDrumKey(key);
      }
      out.Rest(tick);
      noteStartTick = tick;
      curNote = key;
    }
    void Off(int v, int32_t tick) {
      if (v != voice || curNote == -1) return;
      write(tick, true);
      curNote = -1;
    }
  };
  VoiceSplit split;
  VoiceNotes notes{s, track, voice, firstChannel, curNote, noteStartTick, out, writeNote};
  TrackReader reader(s, log, kEmissionPass);
  while (reader.HasData()) {
    int32_t delta = 0;
    if (!reader.ReadDeltaTime(&delta)) return 0;
    const int32_t tick = s.curTick;
    if (delta != 0) {
      if (Split) split.Flush(notes);
      if (writesTempo) {
        if (const TempoMap* tempo = tempos.At(tick)) WriteTempoChange(s, out, *tempo);
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
    if (Split) {
      if (kind == 0x9 && firstChannel == -1 && ev.data[1] != 0) firstChannel = ev.status & 0x0F;
      if (kind == 0x8 || (kind == 0x9 && ev.data[1] == 0)) split.Off(key, tick, notes);
      else if (kind == 0x9) split.On(key, tick);
      else if (ev.status >= 0xF0) reader.SkipTrackBytes(ev.payload);
      if (out.StopReason() != kRunning) return 0;
      continue;
    }
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
  if (Split) split.Flush(notes);
  if (watch && curNote != -1) watch->NoteUnended(curNote, noteStartTick);
  return FinishPartBody(s, out);
}

// Tells the watch of the track's voices that no part plays.
void ReportDroppedVoices(ConversionState& s, int track) {
  const VoiceTally& tally = s.voices[track];
  for (int v = 0; v <= kMaxVoices; ++v) {
    if (tally.notes[v] == 0 || (v < kMaxVoices && tally.part[v] >= 0)) continue;
    s.watch->VoiceDropped(track, v, tally.firstTick[v], tally.notes[v]);
  }
}

// Keeping the notes: one part for each voice that got one, the track read
// again from its first event for each further voice.
int WriteVoiceParts(ConversionState& s, MessageLog& log, int track, int32_t division, int32_t* part) {
  const VoiceTally& tally = s.voices[track];
  const int64_t start = s.sourceFile.Tell();
  const int32_t bytes = s.trackBytesLeft;
  bool first = true;
  for (int v = 0; v < kMaxVoices; ++v) {
    if (tally.part[v] < 0) continue;
    if (!first) {
      s.sourceFile.Seek(start, 0);
      s.trackBytesLeft = bytes;
      s.curTick = 0;
    }
    first = false;
    s.curPart = *part;
    // The part's default length is its voice's.
    TrackInfo info = s.tracks[track];
    info.lengthIndex = tally.lengthIndex[v];
    if (s.watch) s.watch->StartPart(s, track, *part, info.isRhythm, v, s.targetFile.Tell());
    WritePartHeader(s, info, static_cast<char>('A' + *part));
    if (!WritePartBody<true>(s, log, info, division, v)) return 0;
    ++*part;
  }
  return 1;
}

}  // namespace

int RunEmissionPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  if (s.watch) s.watch->StartEmission(s);
  if (s.shared.on) return WriteSharedParts(s, division);
  int32_t part = 0;
  for (int i = 0; i < trackCount; ++i) {
    if (!ReadChunkHeader(s, log, kEmissionPass)) return 0;
    const TrackInfo& track = s.tracks[i];
    if (s.keepNotes && s.watch) ReportDroppedVoices(s, i);
    if (!track.active) {
      SkipChunk(s);
      continue;
    }
    s.curTrack = i;
    if (s.keepNotes) {
      if (!WriteVoiceParts(s, log, i, division, &part)) return 0;
      continue;
    }
    s.curPart = part;
    if (s.watch) s.watch->StartPart(s, i, part, track.isRhythm, -1, s.targetFile.Tell());
    WritePartHeader(s, track, static_cast<char>('A' + part));
    if (!WritePartBody<false>(s, log, track, division, -1)) return 0;
    ++part;
  }
  return 1;
}

