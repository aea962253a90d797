// Fuzzing of ConvertMidi in memory: every input keeps the promises below. The work
// bound runs at a small budget, where a runaway input costs no more than others.
#include <cstdio>
#include <cstdlib>

#include "tests/kit/harness.h"

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
  // An input whose last byte is odd also converts keeping the notes.
  if (size == 0 || !(data[size - 1] & 1)) return 0;
  Conversion kept = RunConverter(data, size, kFuzzPieceBudget, true, true);
  Check(kept.result == 0 || kept.result == 1, "keeping the notes: a result of 0 or 1");
  Check(kept.openFiles == 0 && kept.liveBlocks == 0, "keeping the notes: every handle and block released");
  Check(kept.mml.size() <= OutputBound(size, kept.piecesUsed), "keeping the notes: no more text than the work bound");
  Check(kept.result == 0 || !kept.mml.empty(), "keeping the notes: text from every successful conversion");
  return 0;
}
