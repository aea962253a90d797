// What the parts are written with: the keys a part can write, the texts of
// note names and lengths, and the writing of the part headers.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "converter/rhythm_kit.h"

// The keys a melodic part can write: octave 0 "c" to octave 7 "b".
const int32_t kLowestKey = 12;
const int32_t kHighestKey = 107;
// Whether a part can write the key: in a rhythm part a drum key with a
// macro, in a melodic part a key of the eight octaves.
inline bool IsWritableKey(const TrackInfo& track, int32_t key) {
  if (track.isRhythm) return DrumMacro(key) >= 0;
  return key >= kLowestKey && key <= kHighestKey;
}

// The note names from "c" to "b", and the numbers written for the six
// lengths by length index.
extern const char* const noteNames[12];
extern const char* const lengthTexts[6];

// Appends one token of a part's header, opening a new part line first when
// one is due (the part's body goes through PartWriter).
void WriteToken(ConversionState& s, const char* text);
// Writes bytes straight to the target, outside the part's line keeping.
void WriteRaw(ConversionState& s, const char* text);
