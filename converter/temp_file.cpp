#include "converter/temp_file.h"

#include <cstring>

#include "converter/job_names.h"
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

void TempFile::Remove() {
  if (path[0]) PVOs()->remove(path);
  Forget();
}

void TempFile::Forget() {
  PVDropPendingFile(pendingSlot);
  pendingSlot = -1;
  path[0] = '\0';
}
