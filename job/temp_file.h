// The temporary file a job writes its MML to before the MML takes the
// target's place: created exclusively under a fresh name beside a given
// path (never over a file that exists), noted as pending so that an
// interruption removes it, and removed or moved away when the job ends.
#pragma once

#include "support/file.h"
#include "support/path.h"
#include "support/text_facts.h"

struct TempFile {
  // Opens file for writing on a new file beside besidePath (see
  // NameTempFile). Returns 1, or 0 when no name could be created.
  int Create(CPVFile& file, const PVTextFacts& facts, const char* besidePath);
  // Opens file for writing on a new file in the temporary folder: where
  // output bound for a stream (a device, a FIFO, standard output) waits
  // until it is whole. Returns 1, or 0 when no name could be created.
  int CreateStaged(CPVFile& file, const PVTextFacts& facts);
  // Removes the file, unless it was forgotten, and forgets it.
  void Remove();
  // Forgets the file once it has been moved to its place (or never made).
  void Forget();

  char path[kPVPathSize] = "";
  int pendingSlot = -1;
};

// Copies the closed file at stagedPath into target, a stream that is written
// into and never replaced (standard output when standard is set). Returns
// null, or the message of what failed.
const char* DeliverStaged(const char* stagedPath, const char* target, int standard);
