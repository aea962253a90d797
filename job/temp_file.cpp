#include "job/temp_file.h"

#include <cstring>

#include "job/job_names.h"
#include "job/job_messages.h"
#include "support/os.h"
#include "support/pending_files.h"

int TempFile::Create(CPVFile& file, const PVTextFacts& facts, const char* besidePath) {
  for (int attempt = 0; attempt < kTempFileAttempts; ++attempt) {
    if (!NameTempFile(facts, besidePath, NextTempTag(), path)) break;
    if (std::strcmp(path, besidePath) == 0) continue;
    if (!file.Open(path, CPVFile::kWrite | CPVFile::kCreateNew)) continue;
    pendingSlot = PVAddPendingFile(path);
    return 1;
  }
  path[0] = '\0';
  return 0;
}

int TempFile::CreateStaged(CPVFile& file, const PVTextFacts& facts) {
  char stage[kPVPathSize];
  if (!PVOs()->tempDirectory(stage, sizeof stage - 12)) return 0;
  std::strcat(stage, "trelvio.mml");
  return Create(file, facts, stage);
}

void TempFile::Remove() {
  if (path[0]) PVOs()->remove(path);
  Forget();
}

void TempFile::Forget() {
  PVDropPendingFile(pendingSlot);
  pendingSlot = -1;
  path[0] = '\0';
}

const char* DeliverStaged(const char* stagedPath, const char* target, int standard) {
  CPVFile out;
  int opened = standard ? out.OpenStandard(kPVOsStdout, CPVFile::kWrite) : out.Open(target, CPVFile::kWrite);
  if (!opened) return msg::kTargetCreateFailed;
  CPVFile staged;
  int copied = staged.Open(stagedPath, CPVFile::kRead);
  const uint8_t* bytes;
  uint32_t count;
  while (copied && (count = staged.Peek(&bytes)) > 0) {
    copied = out.Write(bytes, count);
    staged.Deliver(count);
  }
  if (staged.IsOpen()) staged.Close();
  copied = out.Sync() && copied && !out.WriteFailed();
  if (!out.Close()) {
    out.Discard();
    copied = 0;
  }
  return copied ? nullptr : msg::kTargetWriteFailed;
}
