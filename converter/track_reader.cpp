#include "converter/track_reader.h"

#include "converter/messages.h"

namespace {
const uint32_t kChunkMTrk = 0x6B72544D;  // "MTrk" read as a little-endian dword
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
  int32_t n = s.trackBytesLeft;
  if (n <= 0) return;
  s.trackBytesLeft -= n;
  s.sourceFile.Seek(n, 1);
}

int TrackDataDamaged(MessageLog& log) {
  log.AddLog(msg::kBadTrackData, 1);
  return 0;
}

int VarLenTooLong(MessageLog& log) {
  log.AddLog(msg::kVarLenTooLong, 1);
  return 0;
}

int RunningStatusBroken(MessageLog& log, PassKind pass) {
  if (pass != kEmissionPass) log.AddLog(msg::kRunningStatusBroken, 1);
  return 0;
}

int UnknownMessage(MessageLog& log, PassKind pass) {
  if (pass == kAnalysisPass) log.AddLog(msg::kUnknownMessage, 1);
  return 0;
}
