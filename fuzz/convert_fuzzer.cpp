// Coverage-guided fuzzing of ConvertMidi: every input is served from memory
// and converted into a counting sink. Besides what the sanitizers catch, a
// run must keep the converter's promises: a result of 0 or 1, a log that
// ends in a line feed, every handle and block released, and no more text
// than the work bound allows. The bound runs at a small budget here
// (kFuzzPieceBudget): at the full one a single runaway input would cost
// seconds under the sanitizers and starve the search.
#include <cstdio>
#include <cstdlib>

#include "tests/support/harness.h"

static void Check(bool kept, const char* promise) {
  if (kept) return;
  std::fprintf(stderr, "convert_fuzzer: broken promise: %s\n", promise);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Conversion c = RunConverter(data, size, kFuzzPieceBudget, 0);
  Check(c.result == 0 || c.result == 1, "a result of 0 or 1");
  Check(!c.log.empty() && c.log.back() == '\n', "a log that ends in a line feed");
  Check(c.openFiles == 0 && c.liveBlocks == 0, "every handle and block released");
  Check(c.mml.size() <= OutputBound(size, c.piecesUsed), "no more text than the work bound");
  Check(c.result == 0 || !c.mml.empty(), "text from every successful conversion");
  return 0;
}
