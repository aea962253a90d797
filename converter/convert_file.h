// ConvertFile: the conversion job behind every request, from the window (a
// menu choice, a drop, the command line) and from trelvio-cli alike.
//
// It names the target beside the source, logs the request line, converts
// into a temporary file beside the target and moves that over the target only
// when the conversion and every write succeeded. A failed job leaves no
// temporary file and keeps an existing target as it was; the source is only
// ever opened for reading.
#pragma once

#include "converter/conversion_report.h"
#include "converter/conversion_state.h"
#include "support/message_log.h"
#include "support/text_facts.h"

struct ConvertOptions {
  // The target path; null puts it beside the source as base name + ".mml".
  const char* targetPath = nullptr;
  // How the request line names an explicit target; null uses its file name.
  const char* targetLabel = nullptr;
  // Where the job reports what the conversion lost; null for no report.
  ReportWriter* report = nullptr;
  // Read the MML back and compare it with what the converter meant to write;
  // a disagreement fails the job.
  bool check = false;
};

// Converts the file at sourcePath (null does nothing and returns 0). Both
// file objects of state are closed before and after, and its track table is
// released. lastFile (260 bytes, may be null) receives the source path,
// zero-padded, only on success. Returns the core's nonzero result on success,
// 0 when any step failed; every outcome is in the log.
int ConvertFile(ConversionState& state, MessageLog& log, const char* sourcePath, char* lastFile,
                const ConvertOptions* options);

// Creates a new temporary file beside target, never one that exists: each
// name is created exclusively, and a taken name passes to the next. Returns 1
// with file open for writing and its name in tempPath (260 bytes).
int CreateTempFile(CPVFile& file, const PVTextFacts& facts, const char* target, char* tempPath);
