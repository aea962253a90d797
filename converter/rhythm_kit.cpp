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
