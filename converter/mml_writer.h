// Turning the emission pass's decisions into MML tokens: part lines, notes
// with octaves and ties, drum macro calls and rests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "converter/conversion_state.h"

extern const char* const noteNames[12];

// Appends one token, opening a new part line first when one is due.
void WriteToken(ConversionState& s, const char* text);
void WriteToken(ConversionState& s, const char* text, size_t size);
// Writes the note (or drum hit) that ends at curTick for the current part.
void WriteNote(ConversionState& s, int32_t key);
// Writes the rest that ends at curTick.
void WriteRest(ConversionState& s);
// Writes bytes straight to the target, outside the part's line keeping.
void WriteRaw(ConversionState& s, const char* text);
