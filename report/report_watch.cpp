#include "report/report_watch.h"

#include <climits>


void ReportWatch::StartAnalysis(int32_t division) {
  division_ = division;
  tempoWritten_ = 0;
  reading_ = pendingValid_ = false;
}

void ReportWatch::Lost(int track, int32_t tick, int reason, int32_t value) {
  if (!report_) return;
  Loss loss;
  loss.track = track + 1;
  loss.tick = tick;
  loss.reason = reason;
  loss.value = value;
  Spool(loss);
}

void ReportWatch::TrackDropped(int track, int32_t notes) {
  if (!report_) return;
  Loss loss;
  loss.track = track + 1;
  loss.reason = kLossPartLimit;
  loss.count = notes;
  Spool(loss);
}

void ReportWatch::Spool(const Loss& loss) {
  if (!losses_ || !losses_->Append(&loss, sizeof loss)) failed_ = true;
}

void ReportWatch::StartEmission(const ConversionState& s) {
  clock_ = BarClock(s, division_);
  if (report_ && losses_) ReadSpooledLosses();
}

void ReportWatch::ReadSpooledLosses() {
  if (!losses_->StartReading()) failed_ = true;
  reading_ = true;
  pendingValid_ = losses_->Next(&pending_, sizeof pending_) != 0;
}

void ReportWatch::FlushAnalysis(int track, int32_t tick) {
  while (pendingValid_ && (pending_.track < track || (pending_.track == track && pending_.tick <= tick))) {
    report_->AddLoss(pending_, clock_.At(pending_.tick));
    pendingValid_ = losses_->Next(&pending_, sizeof pending_) != 0;
  }
}

void ReportWatch::Report(const Loss& loss) {
  if (!report_) return;
  FlushAnalysis(loss.track, loss.tick);
  report_->AddLoss(loss, clock_.At(loss.tick));
}

void ReportWatch::StartPart(const ConversionState& s, int track, int part, int rhythm, int voice,
                            int32_t bytesBefore) {
  if (report_) FlushAnalysis(track + 1, -1);
  part_ = PartSummary();
  part_.part = part;
  part_.track = track + 1;
  part_.voice = voice;
  part_.rhythm = rhythm;
  if (s.shared.on) part_.lastTrack = s.shared.parts[part].lastTrack + 1;
  noteTrack_ = part_.track;
  part_.bytes = bytesBefore;
  noteWritten_ = false;
  if (intended_) Intend(kMmlPartStart, 0, rhythm, 'A' + part);
  if (part != 0) return;
  // The first part's header states the tempo at tick 0 (120 without one).
  int32_t bpm = 120;
  for (int i = 0; i < s.tempoCount; ++i)
    if (s.tempos[i].tick == 0) bpm = s.tempos[i].bpm;
  if (intended_) Intend(kMmlTempo, 0, 0, bpm);
}

Loss ReportWatch::PartLoss(int32_t tick, int key, int reason) const {
  Loss loss;
  loss.track = noteTrack_;
  loss.part = part_.part;
  loss.tick = tick;
  loss.key = key;
  loss.reason = reason;
  return loss;
}

void ReportWatch::Dropped(int32_t tick, int key, int reason) { Report(PartLoss(tick, key, reason)); }

void ReportWatch::NoteEnded(int key, int32_t start, int32_t end) {
  if (!noteWritten_) {
    Dropped(start, key, kLossNoLength);
    return;
  }
  noteWritten_ = false;
  ++part_.notesOut;
  Loss loss = PartLoss(start, key, kLossMoved);
  loss.shift = noteFrom_ - start;
  loss.stretch = (noteTo_ - noteFrom_) - (end - start);
  Report(loss);
}

void ReportWatch::VoiceDropped(int track, int voice, int32_t tick, int32_t notes) {
  Loss loss;
  loss.track = track + 1;
  loss.tick = tick;
  loss.reason = kLossVoiceLimit;
  loss.count = notes;
  loss.value = voice;
  Report(loss);
}

void ReportWatch::Substituted(int32_t tick, int key, int macro) {
  Loss loss = PartLoss(tick, key, kLossSubstituted);
  loss.value = macro;
  Report(loss);
}

void ReportWatch::NoteUnended(int key, int32_t start) {
  noteWritten_ = false;
  Dropped(start, key, kLossUnended);
}

void ReportWatch::TempoWritten(const ConversionState& s, const TempoMap& entry, int32_t writtenTick) {
  tempoWritten_ |= 1u << (&entry - s.tempos);
  // The token stands where the note or rest pending at the change begins,
  // which is where the MML changes the tempo.
  if (intended_) Intend(kMmlTempo, writtenTick, 0, entry.bpm);
}

void ReportWatch::EndPart(const ConversionState& s, int32_t writtenEnd, int32_t bytesAfter) {
  if (report_) FlushAnalysis(part_.track, INT32_MAX);
  if (intended_) Intend(kMmlPartEnd, writtenEnd, 0, 0);
  part_.endTick = writtenEnd;
  part_.bytes = bytesAfter - part_.bytes;
  if (!report_) return;
  Loss loss;
  loss.track = part_.track;
  loss.part = part_.part;
  if (writtenEnd != s.maxEndTick) {
    loss.tick = s.maxEndTick;
    loss.reason = kLossEndMoved;
    loss.shift = writtenEnd - s.maxEndTick;
    report_->AddLoss(loss, clock_.At(loss.tick));
  }
  // The first part carries the tempo changes: those at ticks where its
  // track has no event were not written (the one at tick 0 heads the part).
  for (int i = 0; part_.part == 0 && i < s.tempoCount; ++i) {
    if (s.tempos[i].tick == 0 || (tempoWritten_ >> i & 1)) continue;
    loss = Loss();
    loss.part = 0;
    loss.track = tempoTracks_[i] + 1;
    loss.tick = s.tempos[i].tick;
    loss.reason = kLossTempoUnplaced;
    loss.value = s.tempos[i].bpm;
    report_->AddLoss(loss, clock_.At(loss.tick));
  }
  report_->AddPart(part_);
}

void ReportWatch::Finish(const ConversionState& s) {
  if (!report_ || !losses_) return;
  if (!reading_) {
    // The emission pass never began: the losses are read back with the
    // meter map as it stands.
    clock_ = BarClock(s, division_);
    ReadSpooledLosses();
  }
  FlushAnalysis(INT32_MAX, INT32_MAX);
}
