#include "job/target_claims.h"

#include "support/os.h"

const char* TargetClaims::Claim(const char* target, const char* sourceName) {
  // The previous job has ended: its target, if it was written, is a file now.
  PVOsFileId id;
  if (!lastTarget_.empty() && PVOs()->identify(lastTarget_.c_str(), &id))
    byFile_.emplace(FileKey(id.volume, id.index), byPath_[lastTarget_]);
  lastTarget_.clear();

  auto byPath = byPath_.find(target);
  if (byPath != byPath_.end()) return byPath->second.c_str();
  if (PVOs()->identify(target, &id)) {
    auto byFile = byFile_.find(FileKey(id.volume, id.index));
    if (byFile != byFile_.end()) return byFile->second.c_str();
  }
  byPath_[target] = sourceName;
  lastTarget_ = target;
  return nullptr;
}
