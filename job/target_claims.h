// The targets the jobs of one run have written to, so that a later job of
// the run whose target is the same file is refused instead of replacing the
// earlier job's MML (live.2002.mid and live.2003.mid both name live.mml).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

class TargetClaims {
 public:
  // Returns the file name of the earlier source whose target is target (by
  // its path, or as the same file once written), or null after claiming
  // target for sourceName.
  const char* Claim(const char* target, const char* sourceName);

 private:
  typedef std::pair<uint64_t, uint64_t> FileKey;
  std::map<std::string, std::string> byPath_;
  std::map<FileKey, std::string> byFile_;
  std::string lastTarget_;  // claimed, not yet known as a file
};
