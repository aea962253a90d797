#include "converter/shared_parts.h"

#include "converter/change_walk.h"
#include "converter/conversion_watch.h"
#include "converter/keep_notes.h"
#include "converter/length_grid.h"
#include "converter/part_writer.h"
#include "converter/rhythm_kit.h"
#include "converter/shared_part_events.h"
#include "support/record_queue.h"

namespace {

using namespace shared_parts;

// The emission of one shared part from the events its queue holds.
struct SharedNotes {
  ConversionState& s;
  PartWriter& out;
  ConversionWatch* watch;
  bool rhythm;
  bool writesTempo;
  int32_t division;
  ChangeWalk<TempoMap> tempos;
  ChangeWalk<MeterMap> meters;
  int curNote = -1;
  int32_t curTrack = 0;
  int32_t noteStart = 0;

  // Writes the sounding note up to writeTo; it sounds up to end.
  void WriteNote(int32_t writeTo, int32_t end, bool last) {
    const int32_t from = out.WrittenTick();
    out.Note(curNote, writeTo);
    if (!watch) return;
    watch->NoteTrack(curTrack);
    watch->NoteWritten(curNote, noteStart, end, from, out.WrittenTick(), last);
  }
  void On(const PartEvent& e) {
    int32_t key = e.Key();
    if (watch) {
      watch->NoteTrack(e.Track());
      watch->SourceNote(e.Channel());
    }
    if (rhythm && DrumMacro(key) < 0) {
      if (watch) watch->Substituted(e.tick, key, FamilyMacro(key));
      key = KeptDrumKey(key);
    }
    if (RestsBefore(s, out.WrittenTick(), e.tick)) out.Rest(e.tick);
    curNote = key;
    curTrack = e.Track();
    noteStart = e.tick;
  }
  void Off(int32_t tick) {
    if (curNote == -1) return;
    WriteNote(WrittenEnd(s, out.WrittenTick(), tick), tick, true);
    curNote = -1;
  }
  void Unended() {
    if (curNote == -1) return;
    if (watch) {
      watch->NoteTrack(curTrack);
      watch->NoteUnended(curNote, noteStart);
    }
    curNote = -1;
  }
  void Loss(const PartEvent& e) {
    if (!watch) return;
    if (e.Kind() == kEventLost) {
      watch->VoiceDropped(e.Track(), -1, e.tick, 1);
      return;
    }
    watch->NoteTrack(e.Track());
    watch->SourceNote(e.Channel());
    watch->Dropped(e.tick, e.Key(), kLossRange);
  }
  void Step(int32_t tick) {
    if (writesTempo) {
      if (const TempoMap* tempo = tempos.At(tick)) WriteTempoChange(s, out, *tempo);
    }
    if (const MeterMap* m = meters.At(tick)) {
      out.SetMeasure(MeasureTicks(division, m->numerator, m->denominator));
      if (curNote != -1) WriteNote(tick, tick, false);
      else out.Rest(tick);
    }
  }
  void Take(const PartEvent& e) {
    switch (e.Kind()) {
      case kEventOn: return On(e);
      case kEventOff: return Off(e.tick);
      case kEventUnended: return Unended();
      default: return Loss(e);
    }
  }
};

// Writes part p from its queue. Returns 1, or 0 when the queue cannot be
// read back or a limit stopped the conversion.
int WriteSharedPart(ConversionState& s, int32_t division, int p) {
  const SharedPart& plan = s.shared.parts[p];
  PVRecordQueue* queue = s.partQueues->Queue(plan.queue);
  if (!queue || !queue->StartReading()) return 0;
  TrackInfo info = TrackInfo();
  info.active = 1;
  info.isRhythm = plan.rhythm;
  info.maxVolume = plan.volume;
  info.lengthIndex = plan.lengthIndex;
  s.curPart = p;
  s.curTrack = plan.firstTrack;
  if (s.watch) s.watch->StartPart(s, plan.firstTrack, p, info.isRhythm, -1, s.targetFile.Tell());
  WritePartHeader(s, info, static_cast<char>('A' + p));
  StartPartBody(s, division);
  SpareToken spare;
  PartWriter out(s, info, spare);
  SharedNotes notes{s,        out,  s.watch, info.isRhythm != 0, p == 0, division,
                    ChangeWalk<TempoMap>(s.tempos, s.tempoCount), ChangeWalk<MeterMap>(s.meters, s.meterCount)};
  MapTicks maps(s);
  PartEvent e;
  while (queue->Next(&e, sizeof e)) {
    for (; maps.Next() <= e.tick; maps.Take()) notes.Step(maps.Next());
    notes.Take(e);
    if (out.StopReason() != kRunning) return 0;
  }
  for (; maps.Next() < s.shared.stepEnd; maps.Take()) notes.Step(maps.Next());
  if (s.watch && notes.curNote != -1) {
    s.watch->NoteTrack(notes.curTrack);
    s.watch->NoteUnended(notes.curNote, notes.noteStart);
  }
  return FinishPartBody(s, out);
}

}  // namespace

int WriteSharedParts(ConversionState& s, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  const int parts = s.shared.melodicParts + s.shared.rhythmParts;
  for (int p = 0; p < parts; ++p)
    if (!WriteSharedPart(s, division, p)) return 0;
  return 1;
}
