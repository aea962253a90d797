// What the command line asks trelvio-cli to do.
#pragma once

#include <string>
#include <vector>

extern const char kCliUsage[];
extern const char kCliVersion[];

struct CliOptions {
  enum Action { kConvert, kHelp, kVersion, kUsageError };
  Action action = kConvert;
  std::vector<const char*> files;
  bool toMidi = false;               // --to-midi: the FILEs are MML, each written as MIDI
  const char* targetPath = nullptr;  // -o PATH; "-" is standard output
  bool quiet = false;                // -q: print only the failed jobs' lines
  const char* reportPath = nullptr;  // --report PATH; "-" is standard output
  bool reportJson = false;           // --report-format json
  bool check = false;                // --check: read each MML back and compare
  bool keepNotes = false;            // --keep-notes: the conversion that keeps the notes
  std::string error;                 // why the command line was refused

  // The MML goes to standard output and the log to standard error: "-o -",
  // "-o" naming what standard output writes to, or "-" as FILE without "-o".
  bool MmlToStandardOutput() const;
  // The report goes to standard output: "--report -", or a PATH naming what
  // standard output writes to.
  bool ReportToStandardOutput() const;
};

CliOptions ParseCliOptions(int argc, char** argv);
// Whether path is "-": standard input as FILE, standard output after -o or
// --report. False for null.
bool NamesStandardStream(const char* path);
