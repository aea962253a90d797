#include "converter/convert_file.h"

#include <cstring>

#include "converter/convert_midi.h"
#include "converter/job_names.h"
#include "converter/job_watch.h"
#include "converter/messages.h"
#include "support/os.h"

namespace {

int Fail(MessageLog& log, const char* reason) {
  log.AddLog(reason, 1);
  log.AddLog(msg::kConversionFailed, 1);
  return 0;
}

}  // namespace

int CreateTempFile(CPVFile& file, const PVTextFacts& facts, const char* target, char* tempPath) {
  for (int attempt = 0; attempt < kTempFileAttempts; ++attempt) {
    if (!NameTempFile(facts, target, attempt, tempPath)) continue;
    if (std::strcmp(tempPath, target) == 0) continue;
    if (file.Open(tempPath, CPVFile::kWrite | CPVFile::kCreateNew)) return 1;
  }
  return 0;
}

namespace {

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

void Remember(char* lastFile, const char* sourcePath) {
  if (!lastFile) return;
  std::memset(lastFile, 0, kPVPathSize);
  std::memcpy(lastFile, sourcePath, std::strlen(sourcePath));
}

}  // namespace

int ConvertFile(ConversionState& state, MessageLog& log, const char* sourcePath, char* lastFile,
                const ConvertOptions* options) {
  if (!sourcePath) return 0;
  const PVTextFacts& facts = PVHostTextFacts();
  JobNames names;
  NameJob(facts, sourcePath, options ? options->targetPath : nullptr,
          options ? options->targetLabel : nullptr, &names);
  log.AddLog(names.requestLine, 1);
  JobWatch watch(options ? options->report : nullptr, options && options->check, sourcePath,
                 options && options->targetLabel ? options->targetLabel : names.target);

  // A path the 260-byte buffers cannot hold is refused like a missing file.
  if (std::strlen(sourcePath) > kPVPathSize - 1 ||
      !state.sourceFile.Open(sourcePath, CPVFile::kRead)) {
    return Fail(log, msg::kSourceOpenFailed);
  }
  // A target that is the source itself (x.mml converted to x.mml) would lose
  // the source; it is refused like any target that cannot be made.
  char tempPath[kPVPathSize];
  if (!names.targetFits || PVOs()->sameFile(sourcePath, names.target) ||
      !CreateTempFile(state.targetFile, facts, names.target, tempPath)) {
    state.sourceFile.Close();
    return Fail(log, msg::kTargetCreateFailed);
  }
  if (!watch.Attach(state, facts, names.target)) {
    state.sourceFile.Close();
    CloseTarget(state.targetFile);
    PVOs()->remove(tempPath);
    return Fail(log, msg::kWorkFileFailed);
  }

  state.tracks = nullptr;
  int result = ConvertMidi(state, log);
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  const char* problem = nullptr;
  const int written = CloseTarget(state.targetFile);
  const char* unverified = watch.Verify(state, log, tempPath, result && written);
  if (!written) {
    problem = msg::kTargetWriteFailed;
  } else if (result && unverified) {
    problem = unverified;
  } else if (result && !PVOs()->replace(tempPath, names.target)) {
    problem = msg::kTargetReplaceFailed;
  }
  if (!result || problem) {
    PVOs()->remove(tempPath);
    if (problem) log.AddLog(problem, 1);
    log.AddLog(msg::kConversionFailed, 1);
    return 0;
  }
  watch.Succeeded();
  log.AddLog(msg::kConversionSucceeded, 1);
  Remember(lastFile, sourcePath);
  return result;
}
