#include "converter/track_reader.h"

#include <climits>

#include "converter/messages.h"

namespace {
const uint32_t kChunkMTrk = 0x6B72544D;  // "MTrk" read as a little-endian dword
}

int ReadTrackBytes(ConversionState& s, MessageLog& log, int count, int* out) {
  for (int i = 0; i < count; ++i) {
    uint8_t byte;
    // The budget is the chunk's claim; the end of the file ends the data too,
    // so a damaged length cannot make the reader walk bytes that are not there.
    if (s.trackBytesLeft <= 0 || (--s.trackBytesLeft, !s.sourceFile.NextByte(&byte))) {
      log.AddLog(msg::kBadTrackData, 1);
      return 0;
    }
    if (out) out[i] = byte;
  }
  return 1;
}

int ReadVarLen(ConversionState& s, MessageLog& log, int32_t* out) {
  int32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    int byte;
    if (!ReadTrackBytes(s, log, 1, &byte)) return 0;
    value = (value << 7) | (byte & 0x7F);
    if (!(byte & 0x80)) {
      if (out) *out = value;
      return 1;
    }
  }
  log.AddLog(msg::kVarLenTooLong, 1);
  return 0;
}

int ReadChunkHeader(ConversionState& s, MessageLog& log, PassKind pass) {
  if (s.sourceFile.ReadDword(0) != kChunkMTrk) {
    if (pass == kAnalysisPass) log.AddLog(msg::kBadChunk, 1);
    return 0;
  }
  s.trackBytesLeft = static_cast<int32_t>(s.sourceFile.ReadDword(1));
  s.curTick = 0;
  return 1;
}

// A chunk that claims no bytes (or a negative count) holds no events: the
// analysis pass reads the next chunk right after its header, and so must the
// passes that skip it, or they would read other chunks than it did.
void SkipChunk(ConversionState& s) {
  if (s.trackBytesLeft > 0) SkipTrackBytes(s, s.trackBytesLeft);
}

int ReadDeltaTime(ConversionState& s, MessageLog& log, int32_t* delta) {
  if (!ReadVarLen(s, log, delta)) return 0;
  if (*delta > INT32_MAX - s.curTick) {
    s.stopReason = kTickOverflow;
    return 0;
  }
  s.curTick += *delta;
  return 1;
}

int ReadEventBody(ConversionState& s, MessageLog& log, PassKind pass, int* runningStatus,
                  TrackEvent* ev) {
  int first;
  if (!ReadTrackBytes(s, log, 1, &first)) return 0;
  int status = first;
  if (first < 0x80) {
    if (*runningStatus == 0) {
      if (pass != kEmissionPass) log.AddLog(msg::kRunningStatusBroken, 1);
      return 0;
    }
    // The data byte is read again as the event's first data byte.
    status = *runningStatus;
    s.sourceFile.Seek(-1, 1);
    ++s.trackBytesLeft;
  }
  // Every field is defined for every event, also those the event does not use.
  *ev = TrackEvent{status, {0, 0}, 0, 0};
  switch (status >> 4) {
    case 0x8: case 0x9: case 0xA: case 0xB: case 0xE:
      if (!ReadTrackBytes(s, log, 2, ev->data)) return 0;
      break;
    case 0xC: case 0xD:
      if (!ReadTrackBytes(s, log, 1, ev->data)) return 0;
      break;
    default:
      if (status == 0xF0 || status == 0xF7) {
        if (!ReadVarLen(s, log, &ev->payload)) return 0;
      } else if (status == 0xFF) {
        if (!ReadTrackBytes(s, log, 1, &ev->metaType)) return 0;
        if (!ReadVarLen(s, log, &ev->payload)) return 0;
      } else {
        if (pass == kAnalysisPass) log.AddLog(msg::kUnknownMessage, 1);
        return 0;
      }
      break;
  }
  if (status < 0xF0) *runningStatus = status;
  return 1;
}

void SkipTrackBytes(ConversionState& s, int32_t n) {
  if (n == 0) return;
  s.trackBytesLeft -= n;
  s.sourceFile.Seek(n, 1);
}
