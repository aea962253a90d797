#include "converter/job_names.h"

#include <cstdio>
#include <cstring>

namespace {

// Joins the parts into dst when they fit in a path buffer. Returns 0 (and
// leaves dst empty) when they would pass 259 bytes.
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
             const char* targetLabel, JobNames* names) {
  PVGetDirName(facts, names->directory, sourcePath);
  PVGetBaseName(facts, names->baseName, sourcePath);
  PVGetFileName(facts, names->fileName, sourcePath);
  if (!targetPath) {
    names->targetFits = JoinPath(names->target, names->directory, names->baseName, ".mml");
    std::snprintf(names->requestLine, sizeof names->requestLine, "%s->%s.mml\n",
                  names->fileName, names->baseName);
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

int NameTempFile(const PVTextFacts& facts, const char* target, int attempt, char* dst) {
  static const char* const kSuffixes[kTempFileAttempts] = {
      ".tmp", ".tm1", ".tm2", ".tm3", ".tm4", ".tm5", ".tm6", ".tm7", ".tm8", ".tm9",
  };
  if (attempt < 0 || attempt >= kTempFileAttempts) return 0;
  char directory[kPVPathSize];
  char base[kPVPathSize];
  PVGetDirName(facts, directory, target);
  PVGetBaseName(facts, base, target);
  return JoinPath(dst, directory, base, kSuffixes[attempt]);
}
