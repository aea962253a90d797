// Reading one track chunk: the byte budget, variable-length quantities,
// running status and the consumption of one event, shared by all passes.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Which pass reads: only the analysis pass names most reading faults; the
// later passes meet them silently (the analysis pass has already refused).
enum PassKind { kAnalysisPass, kLengthPass, kEmissionPass };

struct TrackEvent {
  int status;         // the status in force, running status applied
  int data[2];        // the data bytes of a channel message
  int metaType;       // for status 0xFF
  int32_t payload;    // system exclusive or meta bytes still to read or skip
};

// Program change and channel pressure carry one data byte, the other
// channel messages two.
inline bool HasSecondDataByte(int status) { return (status & 0xE0) != 0xC0; }

// Reads "MTrk" and the chunk length into trackBytesLeft, and starts the
// track at tick 0. Returns 0 for another chunk type (logged in the analysis pass).
int ReadChunkHeader(ConversionState& s, MessageLog& log, PassKind pass);
// Moves the source over a chunk's events without reading them; a chunk that
// claims no bytes is not moved over.
void SkipChunk(ConversionState& s);

// The reader's messages; each returns 0 so that a read can end with it.
int TrackDataDamaged(MessageLog& log);
int VarLenTooLong(MessageLog& log);
int RunningStatusBroken(MessageLog& log, PassKind pass);
int UnknownMessage(MessageLog& log, PassKind pass);

// Reads the events of the current chunk, from just after its header.
//
// Every byte of every pass comes through here. The reader walks the source
// file's buffer directly through a window: the buffered bytes that also lie
// inside the track's budget. A byte inside the window costs one comparison;
// at the window's end the reader hands the bytes it took back to the file
// object and the budget back to the state, and opens the next window (the
// file refills its buffer when it is empty). The budget and the source
// position in ConversionState are brought up to date when the reader ends,
// so a pass leaves both alone while its reader lives.
//
// The whole reader is inline and never hands out its own address, so that
// the compiler can keep the window in registers inside a pass's loop.
class TrackReader {
 public:
  TrackReader(ConversionState& s, MessageLog& log, PassKind pass)
      : s_(s), log_(log), pass_(pass), budget_(s.trackBytesLeft) {}
  ~TrackReader() { Sync(); }
  TrackReader(const TrackReader&) = delete;
  TrackReader& operator=(const TrackReader&) = delete;

  // Bytes of the chunk's budget not yet consumed (negative after a payload
  // that ran past the chunk's end).
  int32_t BytesLeft() const { return budget_ - static_cast<int32_t>(next_ - windowStart_); }
  // The window never reaches past the budget, so a byte left in it answers
  // without counting.
  bool HasData() const { return next_ != end_ || BytesLeft() > 0; }

  // Reads count (1 to 4) bytes into out (or drops them). Returns 1, or 0
  // after logging that the track data is damaged.
  int ReadTrackBytes(int count, int* out) {
    for (int i = 0; i < count; ++i) {
      int byte = 0;
      if (!ReadByte(&byte)) return 0;
      if (out) out[i] = byte;
    }
    return 1;
  }

  // Reads one variable-length quantity of at most four bytes. Returns 1 or 0.
  int ReadVarLen(int32_t* out) {
    int32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      int byte = 0;
      if (!ReadByte(&byte)) return 0;
      value = (value << 7) | (byte & 0x7F);
      if (!(byte & 0x80)) {
        if (out) *out = value;
        return 1;
      }
    }
    return VarLenTooLong(log_);
  }

  // Reads the next event's delta time and adds it to curTick. Returns 0 when
  // the track data fails or the tick would overflow (stopReason says which).
  int ReadDeltaTime(int32_t* delta) {
    if (!ReadVarLen(delta)) return 0;
    if (*delta > INT32_MAX - s_.curTick) {
      s_.stopReason = kTickOverflow;
      return 0;
    }
    s_.curTick += *delta;
    return 1;
  }

  // Reads the event after its delta time: status (or running status) and data
  // bytes; for system exclusive and meta events their length, leaving the
  // payload to the pass. Returns 0 when the event cannot be read.
  //
  // Every field is defined for every event, also those the event does not
  // use: the passes look at the key of any event. The data bytes go through
  // named values rather than an index into the event, and each pass declares
  // its event inside its loop, so that the compiler can keep the event in
  // registers instead of storing and loading it for every byte.
  int ReadEventBody(TrackEvent* ev) {
    int first = 0;
    if (!ReadByte(&first)) return 0;
    if (first >= 0xF0) return ReadSystemEvent(first, ev);
    int status = first;
    int data0 = first;
    if (first < 0x80) {
      // A data byte: the running status applies and this byte is the
      // event's first data byte.
      if (runningStatus_ == 0) return RunningStatusBroken(log_, pass_);
      status = runningStatus_;
    } else if (!ReadByte(&data0)) {
      return 0;
    }
    int data1 = 0;
    if (HasSecondDataByte(status) && !ReadByte(&data1)) return 0;
    *ev = TrackEvent{status, {data0, data1}, 0, 0};
    runningStatus_ = status;
    return 1;
  }

  // Skips n payload bytes without testing the budget: a payload that runs
  // past the chunk ends the track.
  void SkipTrackBytes(int32_t n) {
    if (n == 0) return;
    Sync();
    budget_ -= n;
    s_.trackBytesLeft = budget_;
    s_.sourceFile.Seek(n, 1);
    // The file's buffer may have moved: the next byte opens a new window.
    windowStart_ = next_ = end_ = nullptr;
  }

 private:
  // Reads one byte of the track into *byte. Returns 1, or 0 after logging
  // that the track data is damaged.
  int ReadByte(int* byte) {
    if (next_ == end_ && !OpenWindow()) return TrackDataDamaged(log_);
    *byte = *next_++;
    return 1;
  }

  // System exclusive (F0, F7) and meta (FF) events: their length, and for a
  // meta event its type before it. They leave the running status alone.
  int ReadSystemEvent(int status, TrackEvent* ev) {
    int metaType = 0;
    int32_t payload = 0;
    if (status == 0xFF) {
      if (!ReadByte(&metaType)) return 0;
    } else if (status != 0xF0 && status != 0xF7) {
      return UnknownMessage(log_, pass_);
    }
    if (!ReadVarLen(&payload)) return 0;
    *ev = TrackEvent{status, {0, 0}, metaType, payload};
    return 1;
  }

  // Hands the bytes taken from the window to the file and the budget to the
  // state; the window then starts at the next byte.
  void Sync() {
    uint32_t taken = static_cast<uint32_t>(next_ - windowStart_);
    if (taken != 0) s_.sourceFile.Deliver(taken);
    budget_ -= static_cast<int32_t>(taken);
    windowStart_ = next_;
    s_.trackBytesLeft = budget_;
  }

  // Opens the next window at the file's next byte. Returns 0 when the budget
  // is used up or the file has ended.
  int OpenWindow() {
    Sync();
    // The budget is the chunk's claim; the end of the file ends the data
    // too, so a damaged length cannot make the reader walk bytes that are
    // not there.
    if (budget_ <= 0) return 0;
    const uint8_t* start = nullptr;
    uint32_t buffered = s_.sourceFile.Peek(&start);
    if (buffered == 0) return 0;
    uint32_t budget = static_cast<uint32_t>(budget_);
    windowStart_ = next_ = start;
    end_ = start + (buffered < budget ? buffered : budget);
    return 1;
  }

  ConversionState& s_;
  MessageLog& log_;
  PassKind pass_;
  int runningStatus_ = 0;  // the last channel status of this track, 0 for none
  const uint8_t* windowStart_ = nullptr;
  const uint8_t* next_ = nullptr;
  const uint8_t* end_ = nullptr;
  int32_t budget_;  // the track's budget at windowStart_
};
