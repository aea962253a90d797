#include "tests/kit/watched_run.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "mml/round_trip_check.h"
#include "report/report_watch.h"
#include "tests/kit/os_double.h"

namespace {

struct StringSink : ReportSink {
  void Write(const char* bytes, size_t size) override { text.append(bytes, size); }
  int Flush() override { return 1; }
  std::string text;
};

}  // namespace

WatchedConversion RunWatched(const uint8_t* data, size_t size, uint32_t pieceBudget, bool keepNotes) {
  WatchedConversion out;
  StringLog log;
  StringSink sink;
  ReportWriter report(sink, false);
  MemoryQueue losses, intended;
  ReportWatch watch(&report, &losses, &intended);
  OsDouble os;
  os.ServeFromMemory(data, size);
  ConversionState state;
  state.pieceBudget = pieceBudget;
  state.keepNotes = keepNotes;
  state.watch = &watch;
  report.Begin("source.mid", "target.mml");
  out.result = ConvertServedSong(state, log);
  state.watch = nullptr;
  watch.Finish(state);
  out.mml = os.written;
  if (out.result) {
    // The check reads the MML back: the double now serves it.
    os.ServeFromMemory(reinterpret_cast<const uint8_t*>(out.mml.data()), out.mml.size());
    char fault[320] = "";
    out.checked = CheckRoundTrip(state, watch.Division(), "target.mml", intended, fault, sizeof fault) == 1;
    out.fault = fault;
    report.AddCheck(out.checked ? nullptr : fault);
  }
  report.End(out.result != 0, watch.Division());
  out.log = log.text();
  out.report = sink.text;
  return out;
}

std::string ReportCountsFault(const std::string& report, int* parts) {
  static const char* const kDrops[] = {", chord", ", range", ", drum_key", ", unended", ", no_length"};
  std::map<char, int> dropped;
  std::istringstream lines(report);
  std::vector<std::string> partLines;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  part ", 0) == 0) partLines.push_back(line);
    char letter = 0;
    if (std::sscanf(line.c_str(), "  loss: track %*d, part %c,", &letter) != 1) continue;
    for (const char* reason : kDrops) dropped[letter] += line.find(reason) != std::string::npos;
  }
  if (parts) *parts = static_cast<int>(partLines.size());
  for (const std::string& line : partLines) {
    char letter = 0;
    int in = 0, out = 0;
    const size_t counts = line.find(", notes in ");
    if (std::sscanf(line.c_str(), "  part %c:", &letter) != 1 || counts == std::string::npos ||
        std::sscanf(line.c_str() + counts, ", notes in %d, notes out %d", &in, &out) != 2)
      return "a part line that does not read: " + line;
    if (in != out + dropped[letter]) return "notes in are not notes out and dropped: " + line;
  }
  return "";
}
