#include "job/job_names.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

// Joins the parts into dst when they fit in a path buffer. Returns 0 (and
// leaves dst empty) when they would not.
int JoinPath(char* dst, const char* directory, const char* base, const char* extension) {
  size_t lengths[3] = {std::strlen(directory), std::strlen(base), std::strlen(extension)};
  dst[0] = '\0';
  if (lengths[0] + lengths[1] + lengths[2] > kPVPathSize - 1) return 0;
  std::memcpy(dst, directory, lengths[0]);
  std::memcpy(dst + lengths[0], base, lengths[1]);
  std::memcpy(dst + lengths[0] + lengths[1], extension, lengths[2] + 1);
  return 1;
}

}  // namespace

void NameJob(const PVTextFacts& facts, const char* sourcePath, const char* targetPath,
             const char* targetLabel, JobNames* names, const char* suffix) {
  PVGetDirName(facts, names->directory, sourcePath);
  PVGetBaseName(facts, names->baseName, sourcePath);
  PVGetFileName(facts, names->fileName, sourcePath);
  if (!targetPath) {
    names->targetFits = JoinPath(names->target, names->directory, names->baseName, suffix);
    std::snprintf(names->requestLine, sizeof names->requestLine, "%s->%s%s\n",
                  names->fileName, names->baseName, suffix);
    return;
  }
  names->targetFits = JoinPath(names->target, "", targetPath, "");
  char targetName[kPVPathSize];
  if (!targetLabel) {
    PVGetFileName(facts, targetName, targetPath);
    targetLabel = targetName;
  }
  std::snprintf(names->requestLine, sizeof names->requestLine, "%s->%s\n", names->fileName,
                targetLabel);
}

int NameTempFile(const PVTextFacts& facts, const char* target, uint32_t tag, char* dst) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  const char suffix[] = {'.', '~', kDigits[tag % 36], kDigits[tag / 36 % 36], '\0'};
  return NameBeside(facts, target, suffix, dst);
}

int NameBeside(const PVTextFacts& facts, const char* path, const char* suffix, char* dst) {
  char directory[kPVPathSize];
  char base[kPVPathSize];
  PVGetDirName(facts, directory, path);
  PVGetBaseName(facts, base, path);
  return JoinPath(dst, directory, base, suffix);
}

uint32_t NextTempTag() {
  static std::minstd_rand tags(std::random_device{}() ^
                               static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return static_cast<uint32_t>(tags());
}
