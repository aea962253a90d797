#include "converter/record_spool.h"

#include "converter/job_names.h"
#include "support/os.h"

int RecordSpool::Create(const PVTextFacts& facts, const char* target) {
  Remove();
  for (int attempt = 0; attempt < kTempFileAttempts; ++attempt) {
    char path[kPVPathSize];
    if (!NameTempFile(facts, target, attempt, path)) continue;
    // A taken name (the MML's own temporary file among them) passes to the next.
    if (file_.Open(path, CPVFile::kWrite | CPVFile::kCreateNew)) {
      for (int i = 0; i < kPVPathSize; ++i) path_[i] = path[i];
      return 1;
    }
  }
  return 0;
}

int RecordSpool::StartReading() {
  if (!path_[0]) return 0;
  int written = !file_.WriteFailed() && file_.Close();
  if (!written) file_.Discard();
  return file_.Open(path_, CPVFile::kRead) && written;
}

void RecordSpool::Remove() {
  if (!path_[0]) return;
  if (file_.IsOpen() && !file_.Close()) file_.Discard();
  PVOs()->remove(path_);
  path_[0] = 0;
}
