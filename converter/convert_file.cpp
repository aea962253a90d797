#include "converter/convert_file.h"

#include <cstdio>
#include <cstring>

#include "converter/convert_midi.h"
#include "converter/job_names.h"
#include "converter/messages.h"
#include "converter/temp_file.h"
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

// Moves the finished temporary file over the target: its data and the
// target's permission bits reach the disk first, and the folder's entry
// after, so that a crash leaves either the old target or the new one whole.
const char* ReplaceTarget(CPVFile& file, TempFile& temp, const PVTextFacts& facts, const char* target) {
  int durable = file.KeepAttributesOf(target) && file.Sync();
  if (!CloseTarget(file) || !durable) return msg::kTargetWriteFailed;
  if (!PVOs()->replace(temp.path, target)) return msg::kTargetReplaceFailed;
  temp.Forget();
  // The MML is in place either way; a folder that cannot be synced only
  // leaves the rename to the file system's own schedule.
  char directory[kPVPathSize];
  PVGetDirName(facts, directory, target);
  PVOs()->syncDirectory(directory);
  return nullptr;
}

// Writes the staged MML into a target that is not replaced (a device, a
// FIFO, a link, standard output). Returns the message of a failure, or null.
const char* DeliverStaged(CPVFile& staged, const TempFile& temp, const char* target, int standard) {
  if (!CloseTarget(staged)) return msg::kTargetWriteFailed;
  CPVFile out;
  int opened = standard ? out.OpenStandard(kPVOsStdout, CPVFile::kWrite) : out.Open(target, CPVFile::kWrite);
  if (!opened) return msg::kTargetCreateFailed;
  int copied = staged.Open(temp.path, CPVFile::kRead);
  const uint8_t* bytes;
  uint32_t count;
  while (copied && (count = staged.Peek(&bytes)) > 0) {
    copied = out.Write(bytes, count);
    staged.Deliver(count);
  }
  staged.Close();
  copied = out.Sync() && copied;
  return CloseTarget(out) && copied ? nullptr : msg::kTargetWriteFailed;
}

// Where the MML is written while the job runs: beside a target that is a
// regular file (or none yet), in the temporary folder for a stream.
int CreateTemp(CPVFile& file, TempFile& temp, const PVTextFacts& facts, const char* target, int staged) {
  if (!staged) return temp.Create(file, facts, target);
  char stage[kPVPathSize];
  if (!PVOs()->tempDirectory(stage, sizeof stage - 12)) return 0;
  std::strcat(stage, "trelvio.mml");
  return temp.Create(file, facts, stage);
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
          o.standardTarget ? kStdoutLabel : nullptr, &names);
  log.AddLog(names.requestLine, 1);

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
  const int staged = kind == kPVOsStream;
  if (!problem && !CreateTemp(state.targetFile, temp, facts, names.target, staged))
    problem = msg::kTargetCreateFailed;
  if (problem) {
    state.sourceFile.Close();
    return Fail(log, problem);
  }

  state.tracks = nullptr;
  int result = ConvertMidi(state, log);
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  if (result) {
    problem = staged ? DeliverStaged(state.targetFile, temp, names.target, o.standardTarget)
                     : ReplaceTarget(state.targetFile, temp, facts, names.target);
  } else {
    CloseTarget(state.targetFile);
  }
  temp.Remove();
  if (!result || problem) {
    if (problem) log.AddLog(problem, 1);
    log.AddLog(msg::kConversionFailed, 1);
    return 0;
  }
  log.AddLog(msg::kConversionSucceeded, 1);
  Remember(lastFile, sourcePath);
  return result;
}
