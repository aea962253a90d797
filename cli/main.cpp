// trelvio-cli: converts each FILE named on the command line, in order, with
// the same conversion job as the window, printing each job's log lines.
#include <cstdio>

#include "cli/cli_options.h"
#include "cli/console_log.h"
#include "cli/report_file.h"
#include "cli/stdout_target.h"
#include "cli/to_midi.h"
#include "converter/convert_file.h"
#include "support/path.h"

namespace {

const int kExitConverted = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

// Converts the single FILE to standard output; the log goes to stderr.
int ConvertToStdout(const CliOptions& options, ReportWriter* report) {
  StdoutTarget target;
  if (!target.Reserve()) {
    std::fputs("trelvio-cli: no temporary file for the MML can be created\n", stderr);
    return kExitFailed;
  }
  ConsoleLog log(stderr, options.quiet);
  ConversionState state;
  ConvertOptions convert;
  convert.targetPath = target.path();
  convert.targetLabel = "<stdout>";
  convert.report = report;
  convert.check = options.check;
  int converted = ConvertFile(state, log, options.files[0], nullptr, &convert);
  log.EndJob(!converted);
  if (!converted) return kExitFailed;
  if (!target.CopyToStdout()) {
    std::fputs("trelvio-cli: the MML cannot be written to standard output\n", stderr);
    return kExitFailed;
  }
  return kExitConverted;
}

// Converts every FILE in order; a failed job does not stop the next.
int ConvertEach(const CliOptions& options, ReportWriter* report) {
  // A report on standard output sends the log to standard error.
  ConsoleLog log(IsStdoutPath(options.reportPath) ? stderr : stdout, options.quiet);
  ConversionState state;
  ConvertOptions convert;
  convert.targetPath = options.targetPath;
  convert.report = report;
  convert.check = options.check;
  int failures = 0;
  for (const char* file : options.files) {
    char lastFile[kPVPathSize];
    int converted = ConvertFile(state, log, file, lastFile, &convert);
    log.EndJob(!converted);
    if (!converted) ++failures;
  }
  return failures ? kExitFailed : kExitConverted;
}

}  // namespace

int main(int argc, char** argv) {
  CliOptions options = ParseCliOptions(argc, argv);
  switch (options.action) {
    case CliOptions::kHelp:
      std::fputs(kCliUsage, stdout);
      return kExitConverted;
    case CliOptions::kVersion:
      std::fputs(kCliVersion, stdout);
      return kExitConverted;
    case CliOptions::kUsageError:
      std::fprintf(stderr, "trelvio-cli: %s\n", options.error.c_str());
      std::fputs(kCliUsage, stderr);
      return kExitUsage;
    case CliOptions::kConvert:
      break;
  }
  for (const char* file : options.files) PVUseSeparator(PVHostTextFacts(), const_cast<char*>(file));
  if (options.toMidi) return ConvertToMidi(options);
  ReportFile reportFile;
  ReportWriter reportWriter(reportFile, options.reportJson);
  ReportWriter* report = options.reportPath ? &reportWriter : nullptr;
  if (report && !reportFile.Open(options.reportPath)) {
    std::fprintf(stderr, "trelvio-cli: the report %s cannot be created\n", options.reportPath);
    return kExitFailed;
  }
  const bool toStdout = IsStdoutPath(options.targetPath);
  int status = toStdout ? ConvertToStdout(options, report) : ConvertEach(options, report);
  if (report && !reportFile.Close()) {
    std::fputs("trelvio-cli: the report cannot be written\n", stderr);
    return kExitFailed;
  }
  return status;
}
