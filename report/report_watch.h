// ReportWatch: the watch the job hands the converter for a report, a
// round-trip check, or both. It writes every loss and each part's counts to
// the report, and every note, tempo token and part end the converter meant
// to write to the check's queue of intended items.
//
// Memory stays bounded whatever the song: the losses of the analysis pass
// (the tracks beyond the part limit, tempo and meter changes dropped) go to
// a queue and are written out in track order beside the losses the
// emission pass meets; what the converter meant to write goes to a second
// queue that the check reads beside the MML.
#pragma once

#include <cstdint>

#include "converter/bar_clock.h"
#include "converter/conversion_state.h"
#include "converter/conversion_watch.h"
#include "converter/rhythm_kit.h"
#include "mml/mml_reader.h"
#include "mml/round_trip_check.h"
#include "report/conversion_report.h"
#include "support/record_queue.h"

class ReportWatch final : public ConversionWatch {
 public:
  // report, losses (the analysis pass's queue, needed with a report) and
  // intended (the check's queue) may each be null.
  ReportWatch(ReportWriter* report, PVRecordQueue* losses, PVRecordQueue* intended)
      : report_(report), losses_(losses), intended_(intended) {}

  void StartAnalysis(int32_t division) override;
  void Lost(int track, int32_t tick, int reason, int32_t value) override;
  void TrackDropped(int track, int32_t notes) override;
  void TempoAdded(int index, int track) override { tempoTracks_[index] = track; }

  void StartEmission(const ConversionState& s) override;
  void StartPart(const ConversionState& s, int track, int part, int rhythm, int voice,
                 int32_t bytesBefore) override;
  void NoteTrack(int track) override { noteTrack_ = track + 1; }
  void SourceNote(int channel) override {
    if (part_.notesIn++ == 0) part_.channel = channel + 1;
  }
  void Dropped(int32_t tick, int key, int reason) override;
  // Inline for the common case: a note written where it sounds.
  void NoteWritten(int key, int32_t start, int32_t end, int32_t from, int32_t to, bool last) override {
    if (to > from) {
      if (intended_) Intend(kMmlNote, from, to - from, part_.rhythm ? DrumMacro(key) : key);
      if (!noteWritten_) noteFrom_ = from;
      noteWritten_ = true;
      noteTo_ = to;
    }
    if (!last) return;
    if (noteWritten_ && noteFrom_ == start && noteTo_ == end) {
      noteWritten_ = false;
      ++part_.notesOut;
      return;
    }
    NoteEnded(key, start, end);
  }
  void VoiceDropped(int track, int voice, int32_t tick, int32_t notes) override;
  void Substituted(int32_t tick, int key, int macro) override;
  void NoteUnended(int key, int32_t start) override;
  void TempoWritten(const ConversionState& s, const TempoMap& entry, int32_t writtenTick) override;
  void EndPart(const ConversionState& s, int32_t writtenEnd, int32_t bytesAfter) override;
  // Writes what is left of the analysis pass's losses (after a failure too).
  void Finish(const ConversionState& s);

  int32_t Division() const { return division_; }
  // A queue that could not be written or read: the report or check is void.
  bool Failed() const { return failed_; }

 private:
  // A note that ends somewhere else than it sounds, or not at all.
  void NoteEnded(int key, int32_t start, int32_t end);
  void Report(const Loss& loss);
  // A loss of the part being written.
  Loss PartLoss(int32_t tick, int key, int reason) const;
  // Keeps a loss of the analysis pass for the emission pass to merge in.
  void Spool(const Loss& loss);
  // Reads the spooled losses back from the first.
  void ReadSpooledLosses();
  // Writes the spooled losses that come before (track, tick) in the source.
  void FlushAnalysis(int track, int32_t tick);
  void Intend(int32_t kind, int32_t tick, int32_t length, int32_t key) {
    const IntendedItem item{kind, tick, length, key};
    if (!intended_->Append(&item, sizeof item)) failed_ = true;
  }

  ReportWriter* report_;
  PVRecordQueue* losses_;
  PVRecordQueue* intended_;
  bool failed_ = false;
  int32_t division_ = 0;
  BarClock clock_;
  bool reading_ = false;  // the analysis losses are being read back
  bool pendingValid_ = false;
  Loss pending_;

  int tempoTracks_[kMapCapacity] = {};
  uint32_t tempoWritten_ = 0;  // bit per tempo map entry
  PartSummary part_;
  int32_t noteTrack_ = 0;  // from 1: the track the part's losses name
  // The note being written: whether any of it was written, and where.
  bool noteWritten_ = false;
  int32_t noteFrom_ = 0;
  int32_t noteTo_ = 0;
};
