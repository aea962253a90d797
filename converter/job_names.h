// The names one conversion job works with, all derived from its paths by the
// path splitters: the source's parts, the target, the request line for the log
// and the temporary files the MML is written to before it takes the target's
// place.
#pragma once

#include "support/path.h"
#include "support/text_facts.h"

struct JobNames {
  char directory[kPVPathSize];
  char fileName[kPVPathSize];
  char baseName[kPVPathSize];
  // The target path; empty when it would pass 259 bytes.
  char target[kPVPathSize];
  int targetFits;
  // "song.mid->song.mml\n": the file name, the base name and seven bytes.
  char requestLine[2 * kPVPathSize + 8];
};

// Derives the names of a job on sourcePath. Without targetPath the target is
// the directory, the base name and ".mml", and the request line names it as
// base name + ".mml". With targetPath the request line names targetLabel, or
// the target's file name when no label is given.
void NameJob(const PVTextFacts& facts, const char* sourcePath, const char* targetPath,
             const char* targetLabel, JobNames* names);

// How many temporary names NameTempFile offers per target.
const int kTempFileAttempts = 10;

// The attempt-th temporary name beside target: its directory and base name
// with ".tmp", then ".tm1" to ".tm9". Those are as long as the ".mml" they
// stand in for, so a temporary name fits wherever the default target fits.
// Returns 0 when attempt is out of range or the name would pass 259 bytes.
int NameTempFile(const PVTextFacts& facts, const char* target, int attempt, char* dst);
