#include "cli/to_midi.h"

#include <cstdio>
#include <cstring>

#include "job/job_names.h"
#include "converter/messages.h"
#include "job/temp_file.h"
#include "mml/midi_of_mml.h"
#include "support/os.h"
#include "support/path.h"

namespace {

const char kMidiSuffix[] = "-mml.mid";

// Writes the MIDI file of source into a new temporary file, which then takes
// target's place (beside target), or is copied into standard output when
// standard is set: a failure keeps an existing target as it was and leaves no
// file behind. The lines go to log, the request line (naming the target as
// label) only with a failure when quiet. Returns 1 when the file was written.
int WriteOne(const char* source, const char* target, const char* label, std::FILE* log, bool quiet,
             int standard) {
  char fileName[kPVPathSize];
  PVGetFileName(fileName, source);
  if (!quiet) std::fprintf(log, "%s->%s\n", fileName, label);
  char problem[2 * kPVPathSize + 64] = {0};
  TempFile temp;
  CPVFile mml;
  CPVFile midi;
  MmlError error;
  const PVTextFacts& facts = PVHostTextFacts();
  if (!standard && PVOsSameFile(source, target)) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s would replace its own MML", target);
  } else if (!mml.Open(source, CPVFile::kRead)) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be opened", source);
  } else if (!(standard ? temp.CreateStaged(midi, facts) : temp.Create(midi, facts, target))) {
    std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be created", target);
  } else {
    if (!WriteMidiOfMml(&mml, &midi, &error)) {
      std::snprintf(problem, sizeof problem, "%s:%d:%d: %s", fileName, error.line, error.column, error.text);
    } else if (midi.WriteFailed() || !midi.Close() ||
               (standard ? DeliverStaged(temp.path, target, 1) != nullptr
                         : !PVOs()->replace(temp.path, target))) {
      std::snprintf(problem, sizeof problem, "trelvio-cli: %s cannot be written", target);
    } else if (!standard) {
      temp.Forget();
    }
    if (midi.IsOpen()) midi.Discard();
    temp.Remove();
  }
  if (mml.IsOpen()) mml.Close();
  if (!problem[0]) return 1;
  if (quiet) std::fprintf(log, "%s->%s\n", fileName, label);
  std::fprintf(log, "%s\n", problem);
  return 0;
}

}  // namespace

int NameMidiOfMml(const char* mmlPath, char* dst) {
  return NameBeside(PVHostTextFacts(), mmlPath, kMidiSuffix, dst);
}

int ConvertToMidi(const CliOptions& options) {
  const char* targetPath = options.targetPath;
  if (NamesStandardStream(targetPath)) return WriteOne(options.files[0], "<stdout>", "<stdout>", stderr, options.quiet, 1) ? 0 : 1;
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
    if (!WriteOne(file, target, label, stdout, options.quiet, 0)) ++failures;
  }
  return failures ? 1 : 0;
}
