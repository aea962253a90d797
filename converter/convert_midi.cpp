#include "converter/convert_midi.h"

#include "converter/keep_notes.h"
#include "converter/length_grid.h"
#include "converter/messages.h"
#include "converter/passes.h"
#include "converter/rhythm_kit.h"
#include "converter/shared_parts.h"
#include "support/os.h"

namespace {

const uint32_t kChunkMThd = 0x6468544D;  // "MThd" read as a little-endian dword

struct FileHeader {
  uint16_t trackCount;
  int32_t division;
  int64_t firstTrackPos;
};

void ResetTotals(ConversionState& s) {
  s.maxEndTick = 0;
  s.maxVolume = 1;
  s.rhythmVolume = 1;
  s.partCount = 0;
  s.tempoCount = 0;
  s.meterCount = 0;
  s.hasRhythm = 0;
  s.stopReason = kRunning;
  s.early = EarlyLengths{s.early.enabled};
  s.shared = SharedPlan();
}

// Checks the header chunk, allocates the track table and fills the length
// table. Returns 1, or 0 after logging why the file is refused.
int ReadFileHeader(ConversionState& s, MessageLog& log, FileHeader* header) {
  CPVFile& in = s.sourceFile;
  if (in.ReadDword(0) != kChunkMThd) {
    log.AddLog(msg::kNotSmf, 1);
    return 0;
  }
  int32_t length = static_cast<int32_t>(in.ReadDword(1));
  if (length < 6) {
    log.AddLog(msg::kUnknownFormat, 1);
    return 0;
  }
  in.ReadWord(1);  // the format: 0, 1 and 2 are all read as parallel tracks
  header->trackCount = static_cast<uint16_t>(in.ReadWord(1));
  uint32_t division = in.ReadWord(1);
  if (division & 0x8000) {
    log.AddLog(msg::kSmpteDivision, 1);
    return 0;
  }
  // With no ticks per quarter note every length would be 0 ticks long.
  if (division == 0) {
    log.AddLog(msg::kZeroDivision, 1);
    return 0;
  }
  header->division = static_cast<int32_t>(division);
  if (length > 6) in.Seek(length - 6, 1);
  if (header->trackCount != 0) {
    s.tracks = static_cast<TrackInfo*>(
        PVOs()->allocBlock(static_cast<uint32_t>(header->trackCount * sizeof(TrackInfo))));
    if (!s.tracks || (s.keepNotes && !AllocateVoiceTallies(s, header->trackCount))) {
      log.AddLog(msg::kNoMemory, 1);
      return 0;
    }
  }
  SetLengthTicks(s, header->division);
  header->firstTrackPos = in.Tell();
  ResetTotals(s);
  return 1;
}

// Names the converter's own limit that stopped a pass, if one did.
void ReportStop(const ConversionState& s, MessageLog& log) {
  if (s.stopReason == kTickOverflow) log.AddLog(msg::kTickOverflow, 1);
  if (s.stopReason == kTooManyPieces) log.AddLog(msg::kTooMuchOutput, 1);
}

int RunPasses(ConversionState& s, MessageLog& log, const FileHeader& h) {
  if (!RunAnalysisPass(s, log, h.trackCount, h.division)) return 0;
  s.sourceFile.Seek(h.firstTrackPos, 0);
  if (s.partCount == 0) {
    log.AddLog(msg::kNoTrackToOutput, 1);
    return 0;
  }
  if (s.keepNotes) {
    const int counted = s.shared.on ? RunSharedLengthPass(s, log, h.trackCount, h.division)
                                    : RunVoiceLengthPass(s, log, h.trackCount, h.division);
    if (!counted) return 0;
    s.sourceFile.Seek(h.firstTrackPos, 0);
  } else if (EarlyLengthsHold(s)) {
    // The counts stand: a limit that stopped one stops the conversion here,
    // where the length pass would have stopped.
    if (s.early.stopReason != kRunning) {
      s.stopReason = s.early.stopReason;
      return 0;
    }
  } else {
    if (!RunLengthPass(s, log, h.trackCount, h.division)) return 0;
    s.sourceFile.Seek(h.firstTrackPos, 0);
  }
  WriteRhythmHeader(s);
  return RunEmissionPass(s, log, h.trackCount, h.division);
}

}  // namespace

int ConvertMidi(ConversionState& s, MessageLog& log) {
  s.stopReason = kRunning;
  FileHeader header;
  if (!ReadFileHeader(s, log, &header)) return 0;
  if (RunPasses(s, log, header)) return 1;
  ReportStop(s, log);
  return 0;
}

void ReleaseTrackTable(ConversionState& s) {
  ReleaseVoiceTallies(s);
  if (!s.tracks) return;
  PVOs()->freeBlock(s.tracks);
  s.tracks = nullptr;
}
