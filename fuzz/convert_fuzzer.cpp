// Coverage-guided fuzzing of ConvertMidi, converted in memory. Besides what
// the sanitizers catch, every input must keep the promises checked below.
// The work bound runs at a small budget (kFuzzPieceBudget): at the full one a
// runaway input would cost seconds under the sanitizers and starve the search.
#include <cstdio>
#include <cstdlib>

#include "tests/support/harness.h"

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
  // The lengths the analysis pass counts as it reads stand for the length
  // pass's only where they hold; either way the outcome is the same.
  Conversion late = RunConverter(data, size, kFuzzPieceBudget, false);
  Check(late.result == c.result && late.log == c.log && late.mml == c.mml,
        "the same target and log whether the lengths are counted early or late");
  return 0;
}
