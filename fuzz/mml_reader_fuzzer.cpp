// Fuzzing of the MML reader and the MIDI file written from it, in memory:
// every input keeps the promises checked below.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mml/midi_of_mml.h"
#include "tests/kit/os_double.h"

static void Check(bool kept, const char* promise) {
  if (kept) return;
  std::fprintf(stderr, "mml_reader_fuzzer: broken promise: %s\n", promise);
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int32_t kTicks[6] = {1920, 960, 480, 240, 120, 60};
  OsDouble os;
  os.ServeFromMemory(data, size);
  CPVFile mml, midi;
  mml.Open("fuzz.mml", CPVFile::kRead);
  MmlReader reader;
  reader.Start(&mml, kTicks);
  MmlItem item;
  size_t items = 0;
  int32_t partTick = 0;
  int r;
  while ((r = reader.Next(&item)) == 1) {
    Check(++items <= size, "no more items than bytes");
    if (item.kind == kMmlPartStart) partTick = 0;
    if (item.kind == kMmlMacro || item.kind == kMmlPartStart) continue;
    Check(item.tick >= partTick, "a part's items in the order of their ticks");
    if (item.kind == kMmlNote) partTick = item.tick + item.length;
    Check(item.kind != kMmlNote || item.length > 0, "a note of some length");
  }
  const MmlError& error = reader.error();
  Check(reader.Next(&item) == r, "the end or the error again after it");
  Check(r == 0 || (error.line >= 1 && error.column >= 1 && error.text[0]), "an error with its place and text");

  midi.Open("fuzz.mid", CPVFile::kWrite);
  MmlError midiError;
  const int written = WriteMidiOfMml(&mml, &midi, &midiError);
  mml.Close();
  midi.Close();
  Check(written == (r == 0) || midiError.line >= 1, "a MIDI file for every text read whole");
  Check(os.openFiles == 0, "every handle released");
  if (!written) return 0;
  // The header and the track chunks, each as long as it says, fill the file.
  const std::string& bytes = os.written;
  size_t at = 14;
  int tracks = 0;
  for (; at + 8 <= bytes.size() && bytes.compare(at, 4, "MTrk") == 0; ++tracks) {
    const uint8_t* length = reinterpret_cast<const uint8_t*>(bytes.data() + at + 4);
    at += 8 + ((size_t{length[0]} << 24) | (length[1] << 16) | (length[2] << 8) | length[3]);
  }
  Check(bytes.compare(0, 4, "MThd") == 0 && at == bytes.size() && tracks == bytes[11],
        "track chunks that fill the file as the header counts them");
  return 0;
}
