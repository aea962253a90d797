#include "cli/cli_options.h"

#include <cstring>

#include "support/os.h"

const char kCliUsage[] =
    "usage: trelvio-cli [OPTIONS] FILE...\n"
    "Converts each Standard MIDI File to MML, written beside it as BASE.mml\n"
    "(BASE is the file name up to its first dot).\n"
    "\n"
    "  -o PATH     write the MML of the single FILE to PATH; '-o -' writes it\n"
    "              to standard output and the log to standard error\n"
    "  -           as the single FILE: read the song from standard input\n"
    "              (at most 64 MiB) and, without -o, write the MML to standard\n"
    "              output and the log to standard error\n"
    "  -q          print only the lines of conversions that failed\n"
    "  --report PATH\n"
    "              write a report of every conversion (its parts and every\n"
    "              loss) to PATH; '--report -' writes it to standard output\n"
    "              and the log to standard error\n"
    "  --report-format text|json\n"
    "              the report as text (the default) or one JSON object per\n"
    "              conversion per line\n"
    "  --check     read each MML back and compare it with what was meant to\n"
    "              be written; a disagreement fails the file\n"
    "  --keep-notes\n"
    "              keep as many notes as the six parts hold: chords spread\n"
    "              over free parts, drum keys played by their family's macro,\n"
    "              every part as long as the song\n"
    "  --to-midi   read each FILE as MML and write a MIDI file of what it\n"
    "              plays, beside it as BASE-mml.mid (-o PATH names it)\n"
    "  -h, --help  print this help\n"
    "  --version   print the version\n"
    "  --          end of options: every following argument is a FILE\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when any failed,\n"
    "2 when the command line was not understood.\n";

const char kCliVersion[] = "trelvio-cli 1.00\n";

namespace {

CliOptions Refuse(CliOptions options, const std::string& why) {
  options.action = CliOptions::kUsageError;
  options.error = why;
  return options;
}

}  // namespace

CliOptions ParseCliOptions(int argc, char** argv) {
  CliOptions options;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    // A lone "-" is a file name like any other.
    if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
      options.files.push_back(arg);
    } else if (std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      options.action = CliOptions::kHelp;
      return options;
    } else if (std::strcmp(arg, "--version") == 0) {
      options.action = CliOptions::kVersion;
      return options;
    } else if (std::strcmp(arg, "--to-midi") == 0) {
      options.toMidi = true;
    } else if (std::strcmp(arg, "-q") == 0) {
      options.quiet = true;
    } else if (std::strcmp(arg, "--check") == 0) {
      options.check = true;
    } else if (std::strcmp(arg, "--keep-notes") == 0) {
      options.keepNotes = true;
    } else if (std::strcmp(arg, "--report") == 0) {
      if (i + 1 >= argc) return Refuse(options, "option --report needs a PATH");
      if (options.reportPath) return Refuse(options, "option --report given twice");
      options.reportPath = argv[++i];
    } else if (std::strcmp(arg, "--report-format") == 0) {
      if (i + 1 >= argc) return Refuse(options, "option --report-format needs text or json");
      const char* format = argv[++i];
      if (std::strcmp(format, "json") != 0 && std::strcmp(format, "text") != 0)
        return Refuse(options, std::string("unknown report format ") + format);
      options.reportJson = std::strcmp(format, "json") == 0;
    } else if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc) return Refuse(options, "option -o needs a PATH");
      if (options.targetPath) return Refuse(options, "option -o given twice");
      options.targetPath = argv[++i];
    } else {
      return Refuse(options, std::string("unknown option ") + arg);
    }
  }
  if (options.files.empty()) return Refuse(options, "no FILE given");
  if (options.targetPath && options.files.size() > 1) {
    return Refuse(options, "option -o names the target of a single FILE");
  }
  for (const char* file : options.files) {
    if (NamesStandardStream(file) && options.files.size() > 1)
      return Refuse(options, "'-' (standard input) must be the single FILE");
  }
  if (options.toMidi && (options.reportPath || options.check || options.keepNotes)) {
    return Refuse(options, "--to-midi reads MML: it takes no --report, --check or --keep-notes");
  }
  if (options.ReportToStandardOutput() && options.MmlToStandardOutput()) {
    return Refuse(options, "the MML and the report cannot both go to standard output");
  }
  return options;
}

bool CliOptions::MmlToStandardOutput() const {
  if (!targetPath) return files.size() == 1 && NamesStandardStream(files[0]);
  return NamesStandardStream(targetPath) || PVOs()->isStandardOutput(targetPath);
}

bool CliOptions::ReportToStandardOutput() const {
  return reportPath && (NamesStandardStream(reportPath) || PVOs()->isStandardOutput(reportPath));
}

bool NamesStandardStream(const char* path) { return path && path[0] == '-' && path[1] == '\0'; }
