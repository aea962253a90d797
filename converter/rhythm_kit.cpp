#include "converter/rhythm_kit.h"

#include <cstdio>
#include <cstring>

const char* const macroNames[10] = {
    "!bg ", "!Sg ", "!sg ", "!og ", "!hg ", "!cg ", "!tg ", "!ug ", "!vg ", "!Cg ",
};

// Two blanks follow the one-digit sound numbers so "V" lines up in a column.
const char* const macroDefinitions[10] = {
    "!!bg @6  V%d ?o4c\r\n", "!!Sg @7  V%d ?o4c\r\n", "!!sg @8  V%d ?o4c\r\n",
    "!!og @9  V%d ?o4c\r\n", "!!hg @10 V%d ?o4c\r\n", "!!cg @11 V%d ?o4c\r\n",
    "!!tg @13 V%d ?o4c\r\n", "!!ug @14 V%d ?o4c\r\n", "!!vg @15 V%d ?o4c\r\n",
    "!!Cg @16 V%d ?o4c\r\n\r\n",
};

const int8_t macroVolumes[10] = {125, 115, 120, 90, 90, 110, 110, 110, 110, 120};

const int32_t drumMap[47] = {
    0,  0,  -1, 2,  9,  1,  8,  4,  6,  4,   // 35 to 44
    8,  3,  7,  7,  5,  -1, 5,  5,  -1, -1,  // 45 to 54
    5,  -1, 5,  -1, 5,  -1, -1, -1, -1, -1,  // 55 to 64
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 65 to 74
    -1, -1, -1, -1, -1, -1, -1,              // 75 to 81
};

namespace {

// Drum keys without a macro of their own, by instrument family: the macro of
// the nearest sound. Keys outside every range fall to the acoustic snare.
struct KeyFamily {
  int32_t first, last;
  int macro;
};
const KeyFamily keyFamilies[] = {
    {27, 27, 2},  // high Q: snare
    {28, 28, 9},  // slap: hand clap
    {29, 30, 2},  // scratches: snare
    {31, 33, 1},  // sticks, square and metronome clicks: the dry snare
    {34, 34, 5},  // metronome bell: cymbal
    {37, 37, 1},  // side stick: the dry snare
    {50, 50, 7},  // high tom: the high tom
    {53, 53, 5},  // ride bell: cymbal
    {54, 54, 4},  // tambourine: closed hi-hat
    {56, 56, 3},  // cowbell: open hi-hat
    {58, 58, 1},  // vibraslap: the dry snare
    {60, 63, 7},  // bongos, high congas: the high tom
    {64, 64, 6},  // low conga: the middle tom
    {65, 65, 7},  // high timbale: the high tom
    {66, 66, 6},  // low timbale: the middle tom
    {67, 68, 3},  // agogos: open hi-hat
    {69, 70, 4},  // cabasa, maracas: closed hi-hat
    {71, 74, 4},  // whistles, guiros: closed hi-hat
    {75, 77, 1},  // claves, wood blocks: the dry snare
    {78, 79, 7},  // cuicas: the high tom
    {80, 80, 4},  // mute triangle: closed hi-hat
    {81, 81, 3},  // open triangle: open hi-hat
    {82, 82, 4},  // shaker: closed hi-hat
    {83, 84, 5},  // jingle bell, bell tree: cymbal
    {85, 85, 9},  // castanets: hand clap
    {86, 86, 6},  // mute surdo: the middle tom
    {87, 87, 0},  // open surdo: bass drum
};

}  // namespace

int FamilyMacro(int32_t key) {
  const int own = DrumMacro(key);
  if (own >= 0) return own;
  for (const KeyFamily& f : keyFamilies)
    if (key >= f.first && key <= f.last) return f.macro;
  return 2;
}

int32_t MacroKey(int macro) {
  for (int32_t key = 35; key <= 81; ++key)
    if (drumMap[key - 35] == macro) return key;
  return 38;
}

int32_t MacroVolume(int k, int32_t rhythmVolume, int32_t maxVolume) {
  int32_t v = macroVolumes[k] * rhythmVolume / maxVolume;
  v = static_cast<int32_t>(v * 1.25);
  return v > 127 ? 127 : v;
}

void WriteRhythmHeader(ConversionState& s) {
  if (!s.hasRhythm) return;
  static const char kTitle[] = "; Rhythm Macro\r\n";
  s.targetFile.Write(kTitle, sizeof kTitle - 1);
  for (int k = 0; k < 10; ++k) {
    char line[48];
    int n = std::snprintf(line, sizeof line, macroDefinitions[k],
                          MacroVolume(k, s.rhythmVolume, s.maxVolume));
    s.targetFile.Write(line, static_cast<uint32_t>(n));
  }
}
