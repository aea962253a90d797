// Coverage-guided fuzzing of ConvertMidi: every input is served from memory
// and converted into a counting sink. Besides what the sanitizers catch, a
// run must keep the converter's promises: a result of 0 or 1, a log that
// ends in a line feed, every handle and block released, and no more text
// than the work bound allows.
//
// The work bound runs at a small budget here (kFuzzPieceBudget): at the full
// one a single runaway input would cost seconds under the sanitizers and
// starve the search.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/harness.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "convert_fuzzer: broken promise: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryRun run;
  run.keepBytes = 0;
  run.pieceBudget = kFuzzPieceBudget;
  MemoryConversion c = RunConverterInMemory(data, size, run);
  if (c.result != 0 && c.result != 1) Fail("result is neither 0 nor 1");
  if (c.log.empty() || c.log.back() != '\n') Fail("the log does not end in a line feed");
  if (c.openFiles != 0) Fail("a file was left open");
  if (c.liveBlocks != 0) Fail("a block was left allocated");
  if (c.bytesWritten > OutputBound(size, c.piecesUsed)) Fail("more text than the work bound allows");
  if (c.result == 1 && c.bytesWritten == 0) Fail("a successful conversion wrote nothing");
  return 0;
}
