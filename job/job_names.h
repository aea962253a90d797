// The names one conversion job works with, all derived from its paths by the
// path splitters: the source's parts, the target, the request line for the log
// and the temporary files the MML is written to before it takes the target's
// place.
#pragma once

#include <cstdint>

#include "support/path.h"
#include "support/text_facts.h"

struct JobNames {
  char directory[kPVPathSize];
  char fileName[kPVPathSize];
  char baseName[kPVPathSize];
  // The target path; empty when it would not fit in a path buffer.
  char target[kPVPathSize];
  int targetFits;
  // "song.mid->song.mml\n": the file name, the base name, "->", the suffix
  // and a line feed.
  char requestLine[2 * kPVPathSize + 12];
};

// What a target named after its source ends in, after the base name: the
// MML, and the MIDI file of an MML text ("song.mml" gives "song-mml.mid";
// converting that again targets "song-mml.mml", so neither the MML it came
// from nor the song that MML came from is ever replaced).
constexpr const char kMmlSuffix[] = ".mml";
constexpr const char kMidiOfMmlSuffix[] = "-mml.mid";

// Derives the names of a job on sourcePath. Without targetPath the target is
// the directory, the base name and suffix, and the request line names it as
// base name + suffix. With targetPath the request line names targetLabel, or
// the target's file name when no label is given.
void NameJob(const PVTextFacts& facts, const char* sourcePath, const char* targetPath,
             const char* targetLabel, JobNames* names, const char* suffix = kMmlSuffix);

// The name beside path of its directory, its base name (the file name up to
// its first dot) and suffix. Returns 0, with dst empty, when the name would
// not fit in a path buffer.
int NameBeside(const PVTextFacts& facts, const char* path, const char* suffix, char* dst);

// How many temporary names a job tries before it gives up.
const int kTempFileAttempts = 64;

// A temporary name beside target: its directory and base name with ".~"
// and two letters or digits chosen by tag (1296 names). It is as long as the
// ".mml" it stands in for, so a temporary name fits wherever the default
// target fits. Returns 0 when the name would not fit in a path buffer.
int NameTempFile(const PVTextFacts& facts, const char* target, uint32_t tag, char* dst);
// A tag for NameTempFile that differs from run to run and from call to call,
// so that parallel runs and the leftovers of killed ones pass each other.
uint32_t NextTempTag();
