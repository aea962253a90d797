// trelvio-bench-gen: writes a large, deterministic Standard MIDI File for the
// benchmark.
//
//   trelvio-bench-gen SIZE_MB OUT.mid [chords]
//
// The song has 16 tracks at 480 ticks per quarter note: a conductor track
// with a tempo map and meter changes on bar lines, five melodic tracks and a
// drum track (channel 10) of dense notes written with running status (a
// note ends with a note-on of velocity 0), and nine tracks of controller,
// pitch-bend, pressure and system exclusive traffic without notes. Bars are
// added until the file reaches SIZE_MB mebibytes. With "chords" every
// melodic note sounds with the third above it: eleven voices, more than six
// parts hold. Prints the file's size in bytes and its number of events.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const int kDivision = 480;
const int kStepTicks = kDivision / 4;  // the grid of the song: 16th notes
const int kTrackCount = 16;
const int kSections = 16;  // tempo and meter change at each section's first bar

struct Meter {
  int numerator;
  int exponent;  // the denominator as a power of two
};

// One meter and one tempo per section; every bar is a whole number of steps.
const Meter kMeters[kSections] = {
    {4, 2}, {3, 2}, {6, 3}, {4, 2}, {5, 2}, {7, 3}, {2, 2}, {12, 3},
    {4, 2}, {3, 2},     {9, 3}, {6, 2}, {4, 2}, {5, 3}, {3, 1}, {4, 2},
};
const int kTempos[kSections] = {120, 132, 96, 144, 108, 160, 90, 126,
                                118, 150, 84, 138, 112, 170, 100, 124};

int StepsPerBar(const Meter& m) {
  return m.numerator * 4 * kDivision / (1 << m.exponent) / kStepTicks;
}

// A small fixed-seed generator so that every run writes the same bytes.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_;
};

// One track's event bytes, written in time order with running status.
class TrackWriter {
 public:
  void Channel(int32_t tick, int status, int d1) { Channel(tick, status, d1, -1); }
  void Channel(int32_t tick, int status, int d1, int d2) {
    Delta(tick);
    if (status != runningStatus_) data_.push_back(static_cast<uint8_t>(status));
    runningStatus_ = status;
    data_.push_back(static_cast<uint8_t>(d1));
    if (d2 >= 0) data_.push_back(static_cast<uint8_t>(d2));
    ++events_;
  }
  // Meta and system exclusive events are followed by a full status byte, as
  // readers differ on whether they end running status.
  void Meta(int32_t tick, int type, const Bytes& payload) {
    Delta(tick);
    data_.push_back(0xFF);
    data_.push_back(static_cast<uint8_t>(type));
    Payload(payload);
  }
  void SysEx(int32_t tick, const Bytes& payload) {
    Delta(tick);
    data_.push_back(0xF0);
    Payload(payload);
  }
  const Bytes& data() const { return data_; }
  uint64_t events() const { return events_; }

 private:
  void Delta(int32_t tick) {
    uint32_t delta = static_cast<uint32_t>(tick - lastTick_);
    lastTick_ = tick;
    uint8_t groups[4];
    int n = 0;
    do {
      groups[n++] = delta & 0x7F;
      delta >>= 7;
    } while (delta != 0);
    while (n > 1) data_.push_back(static_cast<uint8_t>(0x80 | groups[--n]));
    data_.push_back(groups[0]);
  }
  void Payload(const Bytes& payload) {
    uint32_t n = static_cast<uint32_t>(payload.size());
    // Payloads stay below 128 bytes: one length byte.
    data_.push_back(static_cast<uint8_t>(n));
    data_.insert(data_.end(), payload.begin(), payload.end());
    runningStatus_ = 0;
    ++events_;
  }

  Bytes data_;
  int32_t lastTick_ = 0;
  int runningStatus_ = 0;
  uint64_t events_ = 0;
};

// A monophonic line on the 16th grid: notes of one to eight steps, a rest
// now and then, a controller or pitch bend now and then.
class MelodyVoice {
 public:
  MelodyVoice(int channel, int lowKey, uint32_t seed, bool chords)
      : channel_(channel), lowKey_(lowKey), key_(lowKey + 12), random_(seed), chords_(chords) {}

  void Step(TrackWriter& track, int32_t tick) {
    if (--stepsLeft_ > 0) return;
    if (sounding_) {
      // Mostly a note-on of velocity 0 (running status), sometimes a note-off.
      if (random_.Below(8) == 0) track.Channel(tick, 0x80 | channel_, key_, 64);
      else track.Channel(tick, 0x90 | channel_, key_, 0);
      if (chords_) track.Channel(tick, 0x90 | channel_, key_ + 4, 0);
      sounding_ = false;
    }
    static const int kLengths[8] = {1, 1, 2, 2, 2, 3, 4, 8};
    if (random_.Below(7) == 0) {
      stepsLeft_ = 1 + random_.Below(2);
      return;
    }
    if (random_.Below(16) == 0) track.Channel(tick, 0xB0 | channel_, 1, random_.Below(128));
    if (random_.Below(24) == 0) track.Channel(tick, 0xE0 | channel_, 0, random_.Below(128));
    key_ += random_.Below(9) - 4;
    if (key_ < lowKey_) key_ = lowKey_ + 2;
    if (key_ > lowKey_ + 30) key_ = lowKey_ + 28;
    track.Channel(tick, 0x90 | channel_, key_, 64 + random_.Below(64));
    if (chords_) track.Channel(tick, 0x90 | channel_, key_ + 4, 64);
    sounding_ = true;
    stepsLeft_ = kLengths[random_.Below(8)];
  }

  void End(TrackWriter& track, int32_t tick) {
    if (sounding_) track.Channel(tick, 0x90 | channel_, key_, 0);
    if (sounding_ && chords_) track.Channel(tick, 0x90 | channel_, key_ + 4, 0);
    sounding_ = false;
  }

 private:
  int channel_;
  int lowKey_;
  int key_;
  Random random_;
  bool chords_;
  int stepsLeft_ = 1;
  bool sounding_ = false;
};

// One drum hit on every step: kick on beats, snare on backbeats, hi-hats
// between, a crash at the bar line now and then.
class DrumVoice {
 public:
  explicit DrumVoice(uint32_t seed) : random_(seed) {}

  void Step(TrackWriter& track, int32_t tick, int stepInBar) {
    if (key_ != 0) track.Channel(tick, 0x99, key_, 0);
    if (stepInBar == 0 && random_.Below(4) == 0) key_ = 49;
    else if (stepInBar % 8 == 0) key_ = 36;
    else if (stepInBar % 8 == 4) key_ = 38;
    else key_ = random_.Below(6) == 0 ? 46 : 42;
    track.Channel(tick, 0x99, key_, 80 + random_.Below(48));
  }

  void End(TrackWriter& track, int32_t tick) {
    if (key_ != 0) track.Channel(tick, 0x99, key_, 0);
    key_ = 0;
  }

 private:
  Random random_;
  int key_ = 0;
};

// Controller, pitch-bend, pressure and system exclusive traffic.
void AutomationStep(TrackWriter& track, int kind, int32_t tick, int step, Random& random) {
  int channel = kind;
  switch (kind % 4) {
    case 0:
      if (step % 2 == 0) track.Channel(tick, 0xB0 | channel, 11, random.Below(128));
      break;
    case 1:
      if (step % 2 == 0) track.Channel(tick, 0xE0 | channel, random.Below(128), 64);
      break;
    case 2:
      if (step % 4 == 0) track.Channel(tick, 0xD0 | channel, random.Below(128));
      break;
    default:
      if (step % 16 == 0) track.SysEx(tick, Bytes{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
      if (step % 8 == 4) track.Meta(tick, 0x01, Bytes{'c', 'u', 'e'});
      if (step % 4 == 2) track.Channel(tick, 0xB0 | channel, 10, random.Below(128));
      break;
  }
}

Bytes TempoPayload(int bpm) {
  uint32_t us = 60000000u / static_cast<uint32_t>(bpm);
  return Bytes{uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)};
}

struct Song {
  std::vector<TrackWriter> tracks;
  uint64_t Events() const {
    uint64_t n = 0;
    for (const TrackWriter& t : tracks) n += t.events();
    return n;
  }
  uint64_t FileBytes() const {
    uint64_t n = 14;
    for (const TrackWriter& t : tracks) n += 8 + t.data().size();
    return n;
  }
};

// Writes bars until the file holds at least targetBytes (or maxBars bars).
// sectionBars sets how often tempo and meter change.
Song Compose(uint64_t targetBytes, uint64_t maxBars, uint64_t sectionBars, bool chords) {
  Song song;
  song.tracks.resize(kTrackCount);
  TrackWriter& conductor = song.tracks[0];
  const int kMelodyTracks = 5;
  std::vector<MelodyVoice> melodies;
  static const int kLowKeys[kMelodyTracks] = {48, 36, 60, 28, 54};
  for (int i = 0; i < kMelodyTracks; ++i) melodies.emplace_back(i, kLowKeys[i], 1234567u + i * 7919u, chords);
  DrumVoice drums(424242u);
  Random automationRandom(99991u);
  const int kDrumTrack = 1 + kMelodyTracks;
  const int kFirstAutomation = kDrumTrack + 1;

  Bytes name = {'b', 'e', 'n', 'c', 'h'};
  conductor.Meta(0, 0x03, name);
  for (int i = 0; i < kMelodyTracks; ++i) {
    song.tracks[1 + i].Channel(0, 0xC0 | i, i * 8);
    song.tracks[1 + i].Channel(0, 0xB0 | i, 7, 90 + i * 8);
  }
  song.tracks[kDrumTrack].Channel(0, 0xB9, 7, 110);

  int32_t tick = 0;
  uint64_t step = 0;
  uint64_t bar = 0;
  Meter meter = kMeters[0];
  while (bar < maxBars && song.FileBytes() < targetBytes) {
    uint64_t section = bar / sectionBars;
    if (bar % sectionBars == 0 && section < kSections) {
      meter = kMeters[section];
      conductor.Meta(tick, 0x51, TempoPayload(kTempos[section]));
      conductor.Meta(tick, 0x58, Bytes{uint8_t(meter.numerator), uint8_t(meter.exponent), 24, 8});
    }
    int steps = StepsPerBar(meter);
    for (int s = 0; s < steps; ++s, ++step, tick += kStepTicks) {
      for (int i = 0; i < kMelodyTracks; ++i) melodies[i].Step(song.tracks[1 + i], tick);
      drums.Step(song.tracks[kDrumTrack], tick, s);
      for (int t = kFirstAutomation; t < kTrackCount; ++t)
        AutomationStep(song.tracks[t], t - kFirstAutomation, tick, static_cast<int>(step), automationRandom);
    }
    ++bar;
  }
  for (int i = 0; i < kMelodyTracks; ++i) melodies[i].End(song.tracks[1 + i], tick);
  drums.End(song.tracks[kDrumTrack], tick);
  for (TrackWriter& t : song.tracks) t.Meta(tick, 0x2F, Bytes{});
  return song;
}

void PutBe(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int WriteSong(const Song& song, const char* path) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return 0;
  Bytes header = {'M', 'T', 'h', 'd'};
  PutBe(header, 6, 4);
  PutBe(header, 1, 2);
  PutBe(header, kTrackCount, 2);
  PutBe(header, kDivision, 2);
  bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
  for (const TrackWriter& t : song.tracks) {
    Bytes chunk = {'M', 'T', 'r', 'k'};
    PutBe(chunk, static_cast<uint32_t>(t.data().size()), 4);
    ok = ok && std::fwrite(chunk.data(), 1, chunk.size(), out) == chunk.size();
    ok = ok && std::fwrite(t.data().data(), 1, t.data().size(), out) == t.data().size();
  }
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const bool chords = argc == 4 && std::strcmp(argv[3], "chords") == 0;
  if (argc != 3 && !chords) {
    std::fprintf(stderr, "usage: trelvio-bench-gen SIZE_MB OUT.mid [chords]\n");
    return 2;
  }
  char* end = nullptr;
  long megabytes = std::strtol(argv[1], &end, 10);
  // Ticks and chunk lengths stay far inside 31 bits up to this size.
  if (*end != '\0' || megabytes < 1 || megabytes > 512) {
    std::fprintf(stderr, "trelvio-bench-gen: SIZE_MB must be 1 to 512\n");
    return 2;
  }
  uint64_t target = static_cast<uint64_t>(megabytes) << 20;
  // A short sample gives the bytes per bar, hence how long the song will be
  // and how many bars each of the sixteen sections gets.
  const uint64_t kSampleBars = 256;
  Song sample = Compose(UINT64_MAX, kSampleBars, kSampleBars, chords);
  uint64_t bars = target * kSampleBars / sample.FileBytes() + 1;
  uint64_t sectionBars = bars / kSections > 0 ? bars / kSections : 1;
  Song song = Compose(target, UINT64_MAX, sectionBars, chords);
  if (!WriteSong(song, argv[2])) {
    std::fprintf(stderr, "trelvio-bench-gen: cannot write %s: %s\n", argv[2], std::strerror(errno));
    return 1;
  }
  std::printf("%llu bytes %llu events\n", static_cast<unsigned long long>(song.FileBytes()),
              static_cast<unsigned long long>(song.Events()));
  return 0;
}
