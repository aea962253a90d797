// trelvio-cli: converts each FILE named on the command line, in order, with
// the same conversion job as the window, printing each job's log lines.
#include <cstdio>

#include "cli/cli_options.h"
#include "cli/console_log.h"
#include "cli/report_file.h"
#include "job/convert_file.h"
#include "support/os.h"
#include "support/path.h"
#include "support/pending_files.h"

namespace {

const int kExitConverted = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const char kStandardInputName[] = "<stdin>";
const char kLogUnwritable[] = "trelvio-cli: the log cannot be written; conversion stopped\n";

// Converts every FILE in order; a failed job does not stop the next. A log
// that cannot be written (a closed pipe, a full device) ends the run after
// the job in progress, which ends as it would have.
int ConvertEach(const CliOptions& options, ReportWriter* report) {
  // The log gives standard output up to the MML or the report.
  const bool toStdout = options.MmlToStandardOutput();
  ConsoleLog log(toStdout || options.ReportToStandardOutput() ? stderr : stdout, options.quiet);
  ConversionState state;
  TargetClaims claims;
  ConvertOptions convert;
  convert.targetPath = options.targetPath;
  convert.standardTarget = toStdout;
  convert.claims = &claims;
  convert.report = report;
  convert.check = options.check;
  convert.keepNotes = options.keepNotes;
  convert.toMidi = options.toMidi;
  int failures = 0;
  for (const char* file : options.files) {
    convert.standardSource = NamesStandardStream(file);
    int converted = ConvertFile(state, log, convert.standardSource ? kStandardInputName : file, nullptr, &convert);
    log.EndJob(!converted);
    if (!converted) ++failures;
    if (log.Failed()) {
      std::fputs(kLogUnwritable, stderr);
      return kExitFailed;
    }
  }
  return failures ? kExitFailed : kExitConverted;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any file is opened: a closed standard stream must not be handed
  // to the MML. Then an interruption removes the files being written.
  PVOs()->reserveStandard();
  PVOs()->catchInterrupts(PVRemovePendingFiles);
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
  ReportFile reportFile;
  ReportWriter reportWriter(reportFile, options.reportJson);
  ReportWriter* report = options.reportPath ? &reportWriter : nullptr;
  if (report && !reportFile.Open(options.reportPath)) {
    std::fprintf(stderr, "trelvio-cli: the report %s cannot be created\n", options.reportPath);
    return kExitFailed;
  }
  int status = ConvertEach(options, report);
  if (report && !reportFile.Close()) {
    std::fputs("trelvio-cli: the report cannot be written\n", stderr);
    return kExitFailed;
  }
  return status;
}
