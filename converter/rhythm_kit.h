// The rhythm kit: which drum key calls which of the ten rhythm macros, and
// the block of macro definitions that heads a file with drums.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

extern const char* const macroNames[10];
extern const char* const macroDefinitions[10];
extern const int8_t macroVolumes[10];
// Macro index for keys 35 to 81 (index key - 35), -1 where none.
extern const int32_t drumMap[47];

// Returns the macro index of a drum key, or -1 when it has none. Inline: the
// analysis and emission passes ask for every note of a drum track.
inline int DrumMacro(int32_t key) {
  if (key < 35 || key > 81) return -1;
  return drumMap[key - 35];
}
// The macro that plays a drum key when the notes are kept: the key's own,
// else the macro of its instrument family (any key 0 to 127 has one).
int FamilyMacro(int32_t key);
// The first drum key macro k stands for (35 for "!bg").
int32_t MacroKey(int macro);
// Volume written for macro k, scaled to the loudness of the file's parts.
int32_t MacroVolume(int k, int32_t rhythmVolume, int32_t maxVolume);
// Writes the macro block when any track struck a note on channel 10.
void WriteRhythmHeader(ConversionState& s);
