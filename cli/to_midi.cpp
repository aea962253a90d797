#include "cli/to_midi.h"

#include <cstdio>
#include <cstring>

#include "cli/stdout_target.h"
#include "converter/midi_of_mml.h"
#include "support/path.h"

namespace {

const char kMidiSuffix[] = "-mml.mid";

// Writes the MIDI file of source into target, named label in the lines on
// log. A target that fails is removed. Returns 1 when it was written.
int WriteOne(const char* source, const char* target, const char* label, std::FILE* log) {
  char fileName[kPVPathSize];
  PVGetFileName(fileName, source);
  std::fprintf(log, "%s->%s\n", fileName, label);
  if (PVOs()->sameFile(source, target)) {
    std::fprintf(log, "trelvio-cli: %s would replace its own MML\n", target);
    return 0;
  }
  CPVFile mml;
  if (!mml.Open(source, CPVFile::kRead)) {
    std::fprintf(log, "trelvio-cli: %s cannot be opened\n", source);
    return 0;
  }
  CPVFile midi;
  if (!midi.Open(target, CPVFile::kWrite)) {
    std::fprintf(log, "trelvio-cli: %s cannot be created\n", target);
    return 0;
  }
  MmlError error;
  const int read = WriteMidiOfMml(&mml, &midi, &error);
  mml.Close();
  if (read && !midi.WriteFailed() && midi.Close()) return 1;
  if (midi.IsOpen()) midi.Discard();
  PVOs()->remove(target);
  if (read) {
    std::fprintf(log, "trelvio-cli: %s cannot be written\n", target);
  } else {
    std::fprintf(log, "%s:%d:%d: %s\n", fileName, error.line, error.column, error.text);
  }
  return 0;
}

int ToStdout(const char* source) {
  StdoutTarget target;
  if (!target.Reserve()) {
    std::fputs("trelvio-cli: no temporary file for the MIDI file can be created\n", stderr);
    return 1;
  }
  if (!WriteOne(source, target.path(), "<stdout>", stderr)) return 1;
  if (target.CopyToStdout()) return 0;
  std::fputs("trelvio-cli: the MIDI file cannot be written to standard output\n", stderr);
  return 1;
}

}  // namespace

int NameMidiOfMml(const char* mmlPath, char* dst) {
  char directory[kPVPathSize];
  char base[kPVPathSize];
  PVGetDirName(directory, mmlPath);
  PVGetBaseName(base, mmlPath);
  const size_t directoryLength = std::strlen(directory);
  const size_t baseLength = std::strlen(base);
  dst[0] = '\0';
  if (directoryLength + baseLength + sizeof kMidiSuffix > kPVPathSize) return 0;
  std::memcpy(dst, directory, directoryLength);
  std::memcpy(dst + directoryLength, base, baseLength);
  std::memcpy(dst + directoryLength + baseLength, kMidiSuffix, sizeof kMidiSuffix);
  return 1;
}

int ConvertToMidi(const CliOptions& options) {
  const char* targetPath = options.targetPath;
  if (targetPath && std::strcmp(targetPath, "-") == 0) return ToStdout(options.files[0]);
  int failures = 0;
  for (const char* file : options.files) {
    char target[kPVPathSize];
    if (targetPath && std::strlen(targetPath) < sizeof target) {
      std::snprintf(target, sizeof target, "%s", targetPath);
    } else if (targetPath) {
      std::fprintf(stdout, "trelvio-cli: %s is too long a path\n", targetPath);
      ++failures;
      continue;
    } else if (!NameMidiOfMml(file, target)) {
      std::fprintf(stdout, "trelvio-cli: the MIDI file name of %s is too long\n", file);
      ++failures;
      continue;
    }
    char label[kPVPathSize];
    PVGetFileName(label, target);
    if (!WriteOne(file, target, label, stdout)) ++failures;
  }
  return failures ? 1 : 0;
}
