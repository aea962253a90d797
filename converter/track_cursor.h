// TrackCursor: one track's events read through a buffer of its own, so that
// several tracks can be read side by side in time order (SongMerge). It
// reads the event grammar TrackReader reads, within the chunk's claimed
// length and the file's end, and skips system exclusive and meta payloads
// itself: the passes that merge tracks need only the channel events, the
// tempo and meter maps being built by then.
#pragma once

#include <cstdint>

#include "converter/track_reader.h"
#include "support/file.h"

class TrackCursor {
 public:
  // The track's events start at pos in the source and take bytes bytes
  // (the chunk's claim); buffer holds size bytes, at least 16.
  void Start(int64_t pos, int32_t bytes, uint8_t* buffer, uint32_t size) {
    pos_ = pos;
    left_ = bytes > 0 ? bytes : 0;
    buffer_ = buffer;
    size_ = size;
    at_ = filled_ = 0;
    tick_ = 0;
    runningStatus_ = 0;
  }

  // Reads the next event, whose tick Tick() then gives. Returns 1; 0 when
  // the track's data is used up; -1 when it is damaged or the tick would no
  // longer fit in 32 bits.
  int Next(CPVFile& source, TrackEvent* ev) {
    if (at_ == filled_ && left_ == 0) return 0;
    int32_t delta = 0;
    if (!VarLen(source, &delta)) return -1;
    if (delta > INT32_MAX - tick_) return -1;
    tick_ += delta;
    int first = 0;
    if (!Byte(source, &first)) return -1;
    if (first >= 0xF0) return SystemEvent(source, first, ev);
    int status = first;
    int data0 = first;
    if (first < 0x80) {
      if (runningStatus_ == 0) return -1;
      status = runningStatus_;
    } else if (!Byte(source, &data0)) {
      return -1;
    }
    int data1 = 0;
    if (HasSecondDataByte(status) && !Byte(source, &data1)) return -1;
    *ev = TrackEvent{status, {data0, data1}, 0, 0};
    runningStatus_ = status;
    return 1;
  }

  int32_t Tick() const { return tick_; }

 private:
  int SystemEvent(CPVFile& source, int status, TrackEvent* ev) {
    int metaType = 0;
    if (status == 0xFF && !Byte(source, &metaType)) return -1;
    if (status != 0xFF && status != 0xF0 && status != 0xF7) return -1;
    int32_t payload = 0;
    if (!VarLen(source, &payload)) return -1;
    *ev = TrackEvent{status, {0, 0}, metaType, payload};
    Skip(payload);
    return 1;
  }

  // Skips n payload bytes; a payload that runs past the chunk ends the track.
  void Skip(int32_t n) {
    const uint32_t buffered = filled_ - at_;
    if (static_cast<uint32_t>(n) <= buffered) {
      at_ += static_cast<uint32_t>(n);
      return;
    }
    n -= static_cast<int32_t>(buffered);
    at_ = filled_;
    if (n >= left_) {
      left_ = 0;
      return;
    }
    pos_ += n;
    left_ -= n;
  }

  int VarLen(CPVFile& source, int32_t* out) {
    int32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      int byte = 0;
      if (!Byte(source, &byte)) return 0;
      value = (value << 7) | (byte & 0x7F);
      if (!(byte & 0x80)) {
        *out = value;
        return 1;
      }
    }
    return 0;
  }

  int Byte(CPVFile& source, int* byte) {
    if (at_ == filled_ && !Refill(source)) return 0;
    *byte = buffer_[at_++];
    return 1;
  }

  // Reads the next block of the track into the buffer. Returns 0 when the
  // track or the file has no more bytes.
  int Refill(CPVFile& source) {
    if (left_ == 0) return 0;
    const int64_t inFile = static_cast<int64_t>(source.Size()) - pos_;
    uint32_t n = size_;
    if (static_cast<int64_t>(n) > left_) n = static_cast<uint32_t>(left_);
    if (static_cast<int64_t>(n) > inFile) n = inFile > 0 ? static_cast<uint32_t>(inFile) : 0;
    if (n == 0 || !source.Seek(pos_, 0) || !source.Read(buffer_, n)) {
      left_ = 0;
      return 0;
    }
    pos_ += n;
    left_ -= static_cast<int32_t>(n);
    at_ = 0;
    filled_ = n;
    return 1;
  }

  int64_t pos_ = 0;     // the first byte of the track not yet in the buffer
  int32_t left_ = 0;    // bytes of the track not yet in the buffer
  uint8_t* buffer_ = nullptr;
  uint32_t size_ = 0;
  uint32_t at_ = 0;
  uint32_t filled_ = 0;
  int32_t tick_ = 0;
  int runningStatus_ = 0;
};
