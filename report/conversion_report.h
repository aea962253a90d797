// The conversion report: for every conversion, each part with its counts and
// every loss, one entry each, as text or as one JSON object per line. The
// report is streamed: losses are written as the passes meet them, so that a
// song of any size is reported in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "converter/bar_clock.h"
#include "converter/conversion_watch.h"

// The reason's name in the report.
const char* LossReasonName(int reason);
// Whether the reason takes a note out of its part.
bool LossDropsNote(int reason);

struct Loss {
  int32_t track = 0;    // from 1
  int32_t part = -1;    // 0 for "A", -1 for none
  int32_t tick = 0;
  int32_t key = -1;     // -1 for none
  int32_t reason = 0;
  int32_t shift = 0;    // ticks, for the moves
  int32_t stretch = 0;  // written length - source length, for moved notes
  int32_t count = 0;    // notes of a track or voice beyond the part limit
  int32_t value = 0;    // beats per minute of a tempo change; the voice of a
                        // voice beyond the limit; the macro of a substitution
};

struct PartSummary {
  int32_t part = 0;  // 0 for "A"
  int32_t track = 0;  // from 1
  int32_t voice = -1;  // from 0, keeping the notes; -1 for the whole track
  int32_t lastTrack = 0;  // from 1: the last track of a shared part; 0 for one track
  int32_t channel = 0;  // from 1, of the track's first note; 0 when none
  int32_t rhythm = 0;
  int32_t notesIn = 0;
  int32_t notesOut = 0;
  int32_t bytes = 0;
  int32_t endTick = 0;
};

// Where the report's text goes.
class ReportSink {
 public:
  virtual void Write(const char* text, size_t size) = 0;
  // Hands on what was written so far. Returns 1 when all of it, since the
  // sink was opened, reached its place.
  virtual int Flush() = 0;

 protected:
  ~ReportSink() = default;
};

class ReportWriter {
 public:
  ReportWriter(ReportSink& sink, bool json) : sink_(sink), json_(json) {}
  ReportSink& sink() { return sink_; }

  // Opens the report of one conversion.
  void Begin(const char* source, const char* target);
  void AddLoss(const Loss& loss, const BarPosition& at);
  void AddPart(const PartSummary& part);
  // The round trip's verdict: what disagreed, or null when all agreed.
  void AddCheck(const char* fault);
  // Closes the report of the conversion; division 0 when the header was not read.
  void End(bool converted, int32_t division);

 private:
  void Put(const char* text);
  void PutQuoted(const char* text);
  void Format(const char* format, ...);

  ReportSink& sink_;
  bool json_;
  int losses_ = 0;
  int partCount_ = 0;
  PartSummary parts_[6];
  bool checked_ = false;
  char fault_[256] = {0};  // empty when the check passed
};
