// ConversionWatch: what the passes tell about a conversion beside the MML,
// for the report (every loss, each part's counts) and the round-trip check
// (every note, tempo token and part end the converter meant to write).
//
// The passes hold a pointer to it in ConversionState and call it only when
// it is set, at the events where something is lost or written, so that a
// conversion without report or check costs one null test there.
//
// Memory stays bounded whatever the song: the losses of the analysis pass
// (the tracks beyond the part limit, tempo and meter changes dropped) go to
// a spool file and are written out in track order beside the losses the
// emission pass meets; what the converter meant to write goes to a second
// spool that the check reads beside the MML.
#pragma once

#include <cstdint>

#include "converter/bar_clock.h"
#include "converter/conversion_report.h"
#include "converter/conversion_state.h"
#include "converter/mml_reader.h"
#include "converter/record_spool.h"
#include "converter/rhythm_kit.h"

// One thing the converter meant to write, in the MML reader's terms (kind
// is an MmlItemKind): a part's start (key = its letter, length = 1 for a
// rhythm part), a tempo token (key = bpm), a note (key, or the macro of a
// drum hit, which may be written as several hits back to back), a part's end.
struct IntendedItem {
  int32_t kind;
  int32_t tick;
  int32_t length;
  int32_t key;
};

class ConversionWatch {
 public:
  // report, losses (the analysis pass's spool, needed with a report) and
  // intended (the check's spool) may each be null.
  ConversionWatch(ReportWriter* report, RecordSpool* losses, RecordSpool* intended)
      : report_(report), losses_(losses), intended_(intended) {}

  // Analysis pass. Tracks are indexes from 0.
  void StartAnalysis(int32_t division);
  void Lost(int track, int32_t tick, int reason, int32_t value);
  void TrackDropped(int track, int32_t notes);
  void TempoAdded(int index, int track) { tempoTracks_[index] = track; }

  // Emission pass: one part at a time, its notes as they end.
  void StartEmission(const ConversionState& s);
  void StartPart(const ConversionState& s, int track, int part, int rhythm, int32_t bytesBefore);
  // A note-on with a velocity, on the channel (0 to 15).
  void SourceNote(int channel) {
    if (part_.notesIn++ == 0) part_.channel = channel + 1;
  }
  // A note of the source left out (a chord note, a key the part cannot write).
  void Dropped(int32_t tick, int key, int reason);
  // The writer wrote the note of key that sounds from start to end, or the
  // part of it up to end, over the written ticks from to to; last: the
  // note ends there.
  // Inline for the common case: a note written where it sounds.
  void NoteWritten(int key, int32_t start, int32_t end, int32_t from, int32_t to, bool last) {
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
  // The track ended with the note of key, started at start, still sounding.
  void NoteUnended(int key, int32_t start);
  void TempoWritten(const ConversionState& s, const TempoMap& entry, int32_t writtenTick);
  void EndPart(const ConversionState& s, int32_t writtenEnd, int32_t bytesAfter);
  // Writes what is left of the analysis pass's losses (after a failure too).
  void Finish(const ConversionState& s);

  int32_t Division() const { return division_; }
  // A spool that could not be written or read: the report or check is void.
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
  RecordSpool* losses_;
  RecordSpool* intended_;
  bool failed_ = false;
  int32_t division_ = 0;
  BarClock clock_;
  bool reading_ = false;  // the analysis losses are being read back
  bool pendingValid_ = false;
  Loss pending_;

  int tempoTracks_[kMapCapacity] = {};
  uint32_t tempoWritten_ = 0;  // bit per tempo map entry
  PartSummary part_;
  // The note being written: whether any of it was written, and where.
  bool noteWritten_ = false;
  int32_t noteFrom_ = 0;
  int32_t noteTo_ = 0;
};
