// Writes the bundled example song, examples/demo.mid: five bars for a
// conductor track, a melody, a bass line and a drum kit on MIDI channel 10,
// with a 3/4 bar in the middle and a slower tempo after it.
//
// Usage: make_demo OUTPUT.mid
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const int kDivision = 480;  // ticks per quarter note
const int kQuarter = kDivision;
const int kEighth = kDivision / 2;
const int kBar4 = 4 * kQuarter;
const int kBar3 = 3 * kQuarter;
// Bars 1 and 2 in 4/4, bar 3 in 3/4, bars 4 and 5 in 4/4.
const int kBar3Start = 2 * kBar4;
const int kBar4Start = kBar3Start + kBar3;
const int kSongEnd = kBar4Start + 2 * kBar4;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// One track's events at absolute ticks, appended in time order.
class Track {
 public:
  void Note(int start, int end, int key, int channel) {
    Event(start, {uint8_t(0x90 | channel), uint8_t(key), 100});
    Event(end, {uint8_t(0x80 | channel), uint8_t(key), 64});
  }
  void Volume(int tick, int value, int channel) {
    Event(tick, {uint8_t(0xB0 | channel), 7, uint8_t(value)});
  }
  void Tempo(int tick, uint32_t microsecondsPerQuarter) {
    uint32_t us = microsecondsPerQuarter;
    Event(tick, {0xFF, 0x51, 3, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
  }
  void Meter(int tick, int numerator, int denominatorExponent) {
    Event(tick, {0xFF, 0x58, 4, uint8_t(numerator), uint8_t(denominatorExponent), 24, 8});
  }
  void Name(int tick, const char* text) {
    Bytes event = {0xFF, 0x03, 0};
    for (const char* p = text; *p; ++p) event.push_back(uint8_t(*p));
    event[2] = uint8_t(event.size() - 3);
    Event(tick, event);
  }
  // The end-of-track event and the chunk around the events.
  Bytes Chunk(int endTick) {
    Event(endTick, {0xFF, 0x2F, 0});
    Bytes chunk = {'M', 'T', 'r', 'k'};
    Append(chunk, Be32(uint32_t(events_.size())));
    Append(chunk, events_);
    return chunk;
  }

 private:
  void Event(int tick, const Bytes& bytes) {
    uint32_t delta = uint32_t(tick - last_);
    Bytes varLen = {uint8_t(delta & 0x7F)};
    while (delta >>= 7) varLen.insert(varLen.begin(), uint8_t(0x80 | (delta & 0x7F)));
    Append(events_, varLen);
    Append(events_, bytes);
    last_ = tick;
  }
  Bytes events_;
  int last_ = 0;
};

Bytes Conductor() {
  Track t;
  t.Name(0, "TRELVIO demo");
  t.Tempo(0, 500000);  // 120 beats per minute
  t.Meter(0, 4, 2);
  t.Meter(kBar3Start, 3, 2);
  t.Meter(kBar4Start, 4, 2);
  t.Tempo(kBar4Start, 625000);  // 96 beats per minute
  return t.Chunk(kSongEnd);
}

Bytes Melody() {
  // (key, length in eighths); key 0 is a rest.
  static const int kTune[][2] = {
      {72, 2}, {74, 1}, {76, 1}, {77, 2}, {79, 2},  // bar 1
      {81, 3}, {79, 1}, {77, 2}, {76, 2},           // bar 2
      {74, 2}, {0, 1}, {74, 1}, {76, 2},            // bar 3 (3/4)
      {77, 1}, {76, 1}, {74, 1}, {72, 1}, {71, 4},  // bar 4
      {72, 6}, {0, 2},                              // bar 5
  };
  Track t;
  t.Volume(0, 110, 0);
  int tick = 0;
  for (const auto& note : kTune) {
    int end = tick + note[1] * kEighth;
    if (note[0]) t.Note(tick, end, note[0], 0);
    tick = end;
  }
  return t.Chunk(tick);
}

Bytes Bass() {
  // (key, length in quarters)
  static const int kLine[][2] = {
      {48, 4}, {53, 2}, {55, 2}, {50, 3}, {55, 2}, {43, 2}, {48, 4},
  };
  Track t;
  t.Volume(0, 90, 1);
  int tick = 0;
  for (const auto& note : kLine) {
    int end = tick + note[1] * kQuarter;
    t.Note(tick, end - kEighth, note[0], 1);
    tick = end;
  }
  return t.Chunk(tick);
}

Bytes Drums() {
  const int kChannel = 9;  // MIDI channel 10
  const int kKick = 36, kSnare = 38, kHiHat = 42;
  Track t;
  t.Volume(0, 100, kChannel);
  for (int bar = 0, start = 0; bar < 5; ++bar) {
    int beats = bar == 2 ? 3 : 4;
    for (int beat = 0; beat < beats; ++beat) {
      int tick = start + beat * kQuarter;
      t.Note(tick, tick + kEighth / 2, beat % 2 ? kSnare : kKick, kChannel);
      t.Note(tick + kEighth, tick + kEighth + kEighth / 2, kHiHat, kChannel);
    }
    start += beats * kQuarter;
  }
  return t.Chunk(kSongEnd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_demo OUTPUT.mid\n", stderr);
    return 2;
  }
  const Bytes tracks[] = {Conductor(), Melody(), Bass(), Drums()};
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4, 0, 0};
  file[12] = uint8_t(kDivision >> 8);
  file[13] = uint8_t(kDivision & 0xFF);
  for (const Bytes& track : tracks) Append(file, track);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::fprintf(stderr, "make_demo: cannot create %s\n", argv[1]);
    return 1;
  }
  bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "make_demo: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
