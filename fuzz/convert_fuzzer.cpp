// Fuzzing of ConvertMidi in memory, plain and keeping the notes, with and
// without the report and the round-trip check: every input keeps the promises
// below. The work bound runs at a small budget, where a runaway input costs
// no more than others.
#include <cstdio>
#include <cstdlib>

#include "tests/kit/harness.h"
#include "tests/kit/watched_run.h"

static void Check(bool kept, const char* promise) {
  if (kept) return;
  std::fprintf(stderr, "convert_fuzzer: broken promise: %s\n", promise);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Conversion c = RunConverter(data, size, kFuzzPieceBudget);
  Check(c.result == 0 || c.result == 1, "a result of 0 or 1");
  Check(!c.log.empty() && c.log.back() == '\n', "a log that ends in a line feed");
  Check(c.openFiles == 0 && c.liveBlocks == 0, "every handle and block released");
  Check(c.mml.size() <= OutputBound(size, c.piecesUsed), "no more text than the work bound");
  Check(c.result == 0 || !c.mml.empty(), "text from every successful conversion");
  // Lengths counted early or by the length pass: the same outcome.
  Conversion late = RunConverter(data, size, kFuzzPieceBudget, false);
  Check(late.result == c.result && late.log == c.log && late.mml == c.mml,
        "the same target and log whether the lengths are counted early or late");
  // With the report and the check: the same target and log, a song that
  // converts passes its own check, and the report's counts add up.
  WatchedConversion watched = RunWatched(data, size, kFuzzPieceBudget, false);
  Check(watched.result == c.result && watched.log == c.log && watched.mml == c.mml,
        "the same target and log with the report and the check");
  Check(!c.result || watched.checked, "a converted song passes its own check");
  Check(ReportCountsFault(watched.report).empty(), "the report's counts add up");
  // An input whose last byte is odd also converts keeping the notes.
  if (size == 0 || !(data[size - 1] & 1)) return 0;
  Conversion kept = RunConverter(data, size, kFuzzPieceBudget, true, true);
  Check(kept.result == 0 || kept.result == 1, "keeping the notes: a result of 0 or 1");
  Check(kept.openFiles == 0 && kept.liveBlocks == 0, "keeping the notes: every handle and block released");
  Check(kept.mml.size() <= OutputBound(size, kept.piecesUsed), "keeping the notes: no more text than the work bound");
  Check(kept.result == 0 || !kept.mml.empty(), "keeping the notes: text from every successful conversion");
  WatchedConversion keptWatched = RunWatched(data, size, kFuzzPieceBudget, true);
  Check(keptWatched.mml == kept.mml, "keeping the notes: the same target with the report and the check");
  Check(!kept.result || keptWatched.checked, "keeping the notes: a converted song passes its own check");
  Check(ReportCountsFault(keptWatched.report).empty(), "keeping the notes: the report's counts add up");
  return 0;
}
