#include "mml/midi_of_mml.h"

#include <cstdio>

#include "converter/conversion_state.h"
#include "converter/rhythm_kit.h"

namespace {

const int32_t kMmlLengthTicks[6] = {
    4 * kMidiOfMmlDivision,      2 * kMidiOfMmlDivision,      kMidiOfMmlDivision,
    kMidiOfMmlDivision / 2, kMidiOfMmlDivision / 4, kMidiOfMmlDivision / 8,
};
// The longest delta time a MIDI file can hold (four bytes of seven bits).
const int32_t kMaxDelta = 0x0FFFFFFF;
const int kRhythmChannel = 9;
const int kMelodicVelocity = 100;
const int32_t kMaxMicroseconds = 0xFFFFFF;

void PutBe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

// A time that a delta time cannot hold, reported where the reader stands.
int TooLong(const MmlReader& reader, MmlError* error) {
  error->line = reader.line();
  error->column = reader.column();
  std::snprintf(error->text, sizeof error->text, "a time too long for a MIDI file");
  return 0;
}

// The drum key a macro plays: the first key of the kit that calls it.
int DrumKeyOfMacro(int macro) {
  for (int key = 35; key <= 81; ++key) {
    if (DrumMacro(key) == macro) return key;
  }
  return 35;
}

// One track chunk, written as its events come. Without a file it only
// counts its bytes: the measuring pass learns each chunk's length, so the
// writing passes put it in front of the chunk and never seek back.
class TrackChunk {
 public:
  void Begin(CPVFile* midi, uint32_t length) {
    midi_ = midi;
    bytes_ = 0;
    lastTick_ = 0;
    if (!midi_) return;
    uint8_t head[8] = {'M', 'T', 'r', 'k'};
    PutBe32(head + 4, length);
    midi_->Write(head, sizeof head);
  }
  // Adds an event at tick (not before the last one). Returns 0 when the time
  // since the last event is too long for a delta time.
  int Event(int32_t tick, const uint8_t* bytes, uint32_t count) {
    const int32_t delta = tick - lastTick_;
    if (delta > kMaxDelta) return 0;
    uint8_t varlen[4];
    uint32_t n = 0;
    for (int shift = 21; shift > 0; shift -= 7) {
      if (n == 0 && (delta >> shift) == 0) continue;
      varlen[n++] = static_cast<uint8_t>(0x80 | ((delta >> shift) & 0x7F));
    }
    varlen[n++] = static_cast<uint8_t>(delta & 0x7F);
    Put(varlen, n);
    Put(bytes, count);
    lastTick_ = tick;
    return 1;
  }
  int End(int32_t tick) {
    static const uint8_t kEnd[3] = {0xFF, 0x2F, 0x00};
    return Event(tick, kEnd, sizeof kEnd);
  }
  uint32_t bytes() const { return bytes_; }

 private:
  void Put(const uint8_t* bytes, uint32_t count) {
    bytes_ += count;
    if (midi_) midi_->Write(bytes, count);
  }

  CPVFile* midi_ = nullptr;
  uint32_t bytes_ = 0;
  int32_t lastTick_ = 0;
};

// What the measuring pass learns: the parts, the macro volumes, the end of
// the longest part and the length of every track chunk.
struct MidiPlan {
  int parts = 0;
  int32_t volumes[10] = {0};
  int32_t endTick = 0;
  uint32_t trackBytes[1 + kMaxParts] = {0};
};

// One pass over the text: plays the tempo track into tempoFile and the part
// tracks into partFile, each measured only when its file is null. Returns 1
// when the text was read whole; 0 with *error saying where.
int Play(CPVFile* mml, CPVFile* tempoFile, CPVFile* partFile, MidiPlan* plan, MmlError* error) {
  MmlReader reader;
  mml->Seek(0, kPVOsSeekSet);
  reader.Start(mml, kMmlLengthTicks);
  TrackChunk tempo;
  TrackChunk part;
  tempo.Begin(tempoFile, plan->trackBytes[0]);
  int parts = 0;
  int channel = 0;
  int32_t endTick = 0;
  MmlItem item;
  int r;
  while ((r = reader.Next(&item)) == 1) {
    int written = 1;
    if (item.kind == kMmlMacro) {
      plan->volumes[item.key] = item.value;
    } else if (item.kind == kMmlTempo) {
      int32_t microseconds = 60000000 / item.value;
      if (microseconds > kMaxMicroseconds) microseconds = kMaxMicroseconds;
      const uint8_t event[6] = {0xFF, 0x51, 0x03, static_cast<uint8_t>(microseconds >> 16),
                                static_cast<uint8_t>(microseconds >> 8), static_cast<uint8_t>(microseconds)};
      written = tempo.Event(item.tick, event, sizeof event);
    } else if (item.kind == kMmlPartStart) {
      channel = item.rhythm ? kRhythmChannel : parts;
      part.Begin(partFile, plan->trackBytes[1 + parts]);
      const uint8_t name[4] = {0xFF, 0x03, 0x01, static_cast<uint8_t>(item.part)};
      part.Event(0, name, sizeof name);
      if (!item.rhythm) {
        // "@0" and the volume.
        const uint8_t program[2] = {static_cast<uint8_t>(0xC0 | channel), 0};
        const uint8_t volume[3] = {static_cast<uint8_t>(0xB0 | channel), 7, static_cast<uint8_t>(item.value)};
        part.Event(0, program, sizeof program);
        part.Event(0, volume, sizeof volume);
      }
    } else if (item.kind == kMmlNote) {
      const int key = item.rhythm ? DrumKeyOfMacro(item.key) : item.key;
      const int velocity = item.rhythm ? plan->volumes[item.key] : kMelodicVelocity;
      const uint8_t on[3] = {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(key),
                             static_cast<uint8_t>(velocity < 1 ? 1 : velocity)};
      const uint8_t off[3] = {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(key), 0};
      written = part.Event(item.tick, on, sizeof on) && part.Event(item.tick + item.length, off, sizeof off);
    } else if (item.kind == kMmlPartEnd) {
      written = part.End(item.tick);
      plan->trackBytes[1 + parts++] = part.bytes();
      if (item.tick > endTick) endTick = item.tick;
    }
    if (!written) return TooLong(reader, error);
  }
  if (r < 0) {
    *error = reader.error();
    return 0;
  }
  if (!tempo.End(endTick)) return TooLong(reader, error);
  plan->trackBytes[0] = tempo.bytes();
  plan->parts = parts;
  plan->endTick = endTick;
  return 1;
}

}  // namespace

int WriteMidiOfMml(CPVFile* mml, CPVFile* midi, MmlError* error) {
  MidiPlan plan;
  if (!Play(mml, nullptr, nullptr, &plan, error)) return 0;
  const uint8_t header[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<uint8_t>(1 + plan.parts),
                              0, kMidiOfMmlDivision};
  midi->Write(header, sizeof header);
  return Play(mml, midi, nullptr, &plan, error) && Play(mml, nullptr, midi, &plan, error);
}
