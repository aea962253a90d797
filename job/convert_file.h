// ConvertFile: the conversion job behind every request, from the window (a
// menu choice, a drop, the command line) and from trelvio-cli alike, also
// for trelvio-cli --to-midi, which writes a MIDI file of an MML text under
// the same rules.
//
// It names the target beside the source, logs the request line and converts
// into a temporary file. A target that is a regular file (or none yet) gets
// the temporary file beside it, made durable and moved over it only when the
// conversion and every write succeeded, with the target's permission bits.
// A target that is a stream (a device, a FIFO, a link, standard output) is
// never replaced: the MML is staged in the temporary folder and written into
// it after a success. A failed job leaves no temporary file and keeps an
// existing target as it was; the source is only ever opened for reading, and
// one that cannot seek (a pipe) is read into memory first.
#pragma once

#include "report/conversion_report.h"
#include "converter/conversion_state.h"
#include "job/target_claims.h"
#include "support/message_log.h"
#include "support/text_facts.h"

struct ConvertOptions {
  // The target path; null puts it beside the source as base name + ".mml".
  const char* targetPath = nullptr;
  // Read the song from standard input; sourcePath then only names it in the log.
  int standardSource = 0;
  // Write the MML to standard output, named "<stdout>" in the log.
  int standardTarget = 0;
  // The targets of the run's earlier jobs: a job whose target one of them
  // claimed is refused. Null: no such check.
  TargetClaims* claims = nullptr;
  // Where the job reports what the conversion lost; null for no report.
  ReportWriter* report = nullptr;
  // Read the MML back and compare it with what the converter meant to write;
  // a disagreement fails the job.
  bool check = false;
  // Keep as many notes as the six parts can hold: a track's simultaneous
  // notes spread over parts of their own, drum keys without a macro played
  // by the macro of their family, every part ending with the longest.
  bool keepNotes = false;
  // Read the source as MML and write a MIDI file of what it plays, beside it
  // as base name + "-mml.mid" unless targetPath names it (no report, no check).
  bool toMidi = false;
};

// The most bytes a source that cannot seek may hold: it is held in memory.
const uint32_t kMaxStreamedSource = 1u << 26;

// Converts the file at sourcePath (null does nothing and returns 0). Both
// file objects of state are closed before and after, and its track table is
// released. lastFile (kPVPathSize bytes, may be null) receives the source
// path, zero-padded, only on success. Returns the core's nonzero result on
// success, 0 when any step failed; every outcome is in the log.
int ConvertFile(ConversionState& state, MessageLog& log, const char* sourcePath, char* lastFile,
                const ConvertOptions* options);
