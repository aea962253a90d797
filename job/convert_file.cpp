#include "job/convert_file.h"

#include <cstdio>
#include <cstring>

#include "converter/convert_midi.h"
#include "job/job_names.h"
#include "job/job_watch.h"
#include "job/part_spools.h"
#include "job/job_messages.h"
#include "job/temp_file.h"
#include "mml/midi_of_mml.h"
#include "support/os.h"

namespace {

const char kStdoutLabel[] = "<stdout>";

int Fail(MessageLog& log, const char* reason) {
  log.AddLog(reason, 1);
  log.AddLog(msg::kConversionFailed, 1);
  return 0;
}

// Opens the source for reading. A source that cannot seek (a pipe) is read
// whole into memory, as the passes read it more than once. Returns null, or
// the message of why the source cannot be read.
const char* OpenSource(CPVFile& file, const char* path, int standard) {
  if (!standard && std::strlen(path) > kPVPathSize - 1) return msg::kPathTooLong;
  int opened = standard ? file.OpenStandard(kPVOsStdin, CPVFile::kRead) : file.Open(path, CPVFile::kRead);
  if (!opened) return msg::kSourceOpenFailed;
  if (file.CanSeek()) return nullptr;
  int loaded = file.LoadWhole(kMaxStreamedSource);
  if (loaded == 1) return nullptr;
  file.Close();
  return loaded == 0 ? msg::kSourceTooLarge : msg::kSourceReadFailed;
}

// Closes the target, writing its last bytes. Returns 1 when every write since
// it was opened reached the file; after a failed final write the waiting
// bytes are dropped so that the file can be removed.
int CloseTarget(CPVFile& file) {
  int writesFailed = file.WriteFailed();
  if (!file.Close()) {
    file.Discard();
    return 0;
  }
  return !writesFailed;
}

// Ends the temporary file. One bound for a regular target takes the
// target's permission bits and reaches the disk before it is closed, so that
// a crash after the move leaves either the old target or the new one whole.
// Returns null, or the message of what failed.
const char* FinishTemp(CPVFile& file, const char* target, int staged) {
  int durable = staged || (file.KeepAttributesOf(target) && file.Sync());
  return CloseTarget(file) && durable ? nullptr : msg::kTargetWriteFailed;
}

// Moves the finished temporary file over the target, then syncs the folder's
// entry. Returns null, or the message of what failed.
const char* MoveIntoPlace(TempFile& temp, const PVTextFacts& facts, const char* target) {
  if (!PVOs()->replace(temp.path, target)) return msg::kTargetReplaceFailed;
  temp.Forget();
  // The MML is in place either way; a folder that cannot be synced only
  // leaves the rename to the file system's own schedule.
  char directory[kPVPathSize];
  PVGetDirName(facts, directory, target);
  PVOs()->syncDirectory(directory);
  return nullptr;
}

// Why the target cannot be written, or null. A target that is the source
// itself (x.mml converted to x.mml) would lose the source; it is refused like
// any target that cannot be made. sourcePath is null for standard input.
const char* RefuseTarget(const JobNames& names, int kind, const char* sourcePath) {
  if (!names.targetFits) return msg::kPathTooLong;
  if (kind == kPVOsDirectory || (sourcePath && PVOsSameFile(sourcePath, names.target)))
    return msg::kTargetCreateFailed;
  return nullptr;
}

// Writes the MIDI file of the MML text in the state's source into its
// target. Returns 1, or 0 after logging where the text stops being MML.
int WriteMidi(ConversionState& state, MessageLog& log, const char* fileName) {
  MmlError error;
  if (WriteMidiOfMml(&state.sourceFile, &state.targetFile, &error)) return 1;
  char line[kPVPathSize + sizeof error.text + 32];
  std::snprintf(line, sizeof line, msg::kMmlUnreadable, fileName, error.line, error.column, error.text);
  log.AddLog(line, 1);
  return 0;
}

void Remember(char* lastFile, const char* sourcePath) {
  if (!lastFile) return;
  std::memset(lastFile, 0, kPVPathSize);
  std::memcpy(lastFile, sourcePath, std::strlen(sourcePath));
}

}  // namespace

int ConvertFile(ConversionState& state, MessageLog& log, const char* sourcePath, char* lastFile,
                const ConvertOptions* options) {
  if (!sourcePath) return 0;
  const ConvertOptions none;
  const ConvertOptions& o = options ? *options : none;
  const PVTextFacts& facts = PVHostTextFacts();
  JobNames names;
  NameJob(facts, sourcePath, o.standardTarget ? kStdoutLabel : o.targetPath,
          o.standardTarget ? kStdoutLabel : nullptr, &names, o.toMidi ? kMidiOfMmlSuffix : kMmlSuffix);
  log.AddLog(names.requestLine, 1);
  JobWatch watch(o.toMidi ? nullptr : o.report, o.check && !o.toMidi, sourcePath, names.target);

  if (o.claims && !o.standardTarget) {
    const char* earlier = o.claims->Claim(names.target, names.fileName);
    if (earlier) {
      char clash[sizeof msg::kTargetClash + kPVPathSize];
      std::snprintf(clash, sizeof clash, msg::kTargetClash, earlier);
      return Fail(log, clash);
    }
  }
  const char* problem = OpenSource(state.sourceFile, sourcePath, o.standardSource);
  if (problem) return Fail(log, problem);
  const int kind = o.standardTarget ? kPVOsStream : PVOs()->kind(names.target);
  problem = RefuseTarget(names, kind, o.standardSource ? nullptr : sourcePath);
  TempFile temp;
  // A target that is a stream gets the MML staged in the temporary folder.
  const int staged = kind == kPVOsStream;
  if (!problem && !(staged ? temp.CreateStaged(state.targetFile, facts)
                           : temp.Create(state.targetFile, facts, names.target)))
    problem = msg::kTargetCreateFailed;
  if (!problem && !watch.Attach(state, facts, temp.path)) problem = msg::kWorkFileFailed;
  if (problem) {
    state.sourceFile.Close();
    if (state.targetFile.IsOpen()) CloseTarget(state.targetFile);
    temp.Remove();
    return Fail(log, problem);
  }

  state.tracks = nullptr;
  state.keepNotes = o.keepNotes;
  PartSpools partSpools(facts, temp.path);
  state.partQueues = &partSpools;
  int result = o.toMidi ? WriteMidi(state, log, names.fileName) : ConvertMidi(state, log);
  state.partQueues = nullptr;
  if (partSpools.Failed()) problem = msg::kWorkFileFailed;
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  if (result) {
    problem = FinishTemp(state.targetFile, names.target, staged);
  } else {
    CloseTarget(state.targetFile);
  }
  // The report's last losses and the check of the MML read back, before the
  // MML takes the target's place.
  const char* unverified = watch.Verify(state, log, temp.path, result && !problem);
  if (result && !problem) problem = unverified;
  if (result && !problem) {
    problem = staged ? DeliverStaged(temp.path, names.target, o.standardTarget)
                     : MoveIntoPlace(temp, facts, names.target);
  }
  temp.Remove();
  if (!result || problem) {
    if (problem) log.AddLog(problem, 1);
    log.AddLog(msg::kConversionFailed, 1);
    return 0;
  }
  watch.Succeeded();
  log.AddLog(msg::kConversionSucceeded, 1);
  Remember(lastFile, sourcePath);
  return result;
}
