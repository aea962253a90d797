// Turning the emission pass's decisions into MML tokens: part lines, notes
// with octaves and ties, drum macro calls and rests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "converter/conversion_state.h"
#include "converter/rhythm_kit.h"

extern const char* const noteNames[12];

// The keys a melodic part can write: octave 0 "c" to octave 7 "b".
const int32_t kLowestKey = 12;
const int32_t kHighestKey = 107;
// Whether a part can write the key: in a rhythm part a drum key with a
// macro, in a melodic part a key of the eight octaves.
inline bool IsWritableKey(const TrackInfo& track, int32_t key) {
  if (track.isRhythm) return DrumMacro(key) >= 0;
  return key >= kLowestKey && key <= kHighestKey;
}

// Appends one token, opening a new part line first when one is due.
void WriteToken(ConversionState& s, const char* text);
void WriteToken(ConversionState& s, const char* text, size_t size);
// Writes the note (or drum hit) that ends at curTick for the current part.
void WriteNote(ConversionState& s, int32_t key);
// Writes the rest that ends at curTick.
void WriteRest(ConversionState& s);
// Writes bytes straight to the target, outside the part's line keeping.
void WriteRaw(ConversionState& s, const char* text);
