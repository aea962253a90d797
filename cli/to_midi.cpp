#include "cli/to_midi.h"

#include <cstdio>
#include <cstring>

#include "cli/stdout_target.h"
#include "converter/convert_file.h"
#include "converter/midi_of_mml.h"
#include "support/path.h"

namespace {

const char kMidiSuffix[] = "-mml.mid";

// Writes the MIDI file of source into a new temporary file beside target,
// which then takes target's place: a failure keeps an existing target as it
// was and leaves no file behind. The lines go to log, the request line
// (naming the target as label) only with a failure when quiet. Returns 1
// when the file was written.
int WriteOne(const char* source, const char* target, const char* label, std::FILE* log, bool quiet) {
  char fileName[kPVPathSize];
  PVGetFileName(fileName, source);
  if (!quiet) std::fprintf(log, "%s->%s\n", fileName, label);
  char problem[2 * kPVPathSize + 64] = {0};
  char tempPath[kPVPathSize];
  CPVFile mml;
  CPVFile midi;
  MmlError error;
  if (PVOs()->sameFile(source, target)) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s would replace its own MML", target);
  } else if (!mml.Open(source, CPVFile::kRead)) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be opened", source);
  } else if (!CreateTempFile(midi, PVHostTextFacts(), target, tempPath)) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be created", target);
  } else {
    if (!WriteMidiOfMml(&mml, &midi, &error)) {
      std::snprintf(problem, sizeof problem, "%s:%d:%d: %s", fileName, error.line, error.column, error.text);
    } else if (midi.WriteFailed() || !midi.Close() || !PVOs()->replace(tempPath, target)) {
      std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be written", target);
    }
    if (midi.IsOpen()) midi.Discard();
    if (problem[0]) PVOs()->remove(tempPath);
  }
  if (mml.IsOpen()) mml.Close();
  if (!problem[0]) return 1;
  if (quiet) std::fprintf(log, "%s->%s\n", fileName, label);
  std::fprintf(log, "%s\n", problem);
  return 0;
}

int ToStdout(const char* source, bool quiet) {
  StdoutTarget target;
  if (!target.Reserve()) {
    std::fputs("trelvio-cli: no temporary file for the MIDI file can be created\n", stderr);
    return 1;
  }
  if (!WriteOne(source, target.path(), "<stdout>", stderr, quiet)) return 1;
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
  if (targetPath && std::strcmp(targetPath, "-") == 0) return ToStdout(options.files[0], options.quiet);
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
    if (!WriteOne(file, target, label, stdout, options.quiet)) ++failures;
  }
  return failures ? 1 : 0;
}
