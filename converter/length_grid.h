// The six note lengths, the measure grid and the choice of length pieces.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// The numbers written for length indexes 0 to 5: whole note to 32nd note.
extern const int32_t lengthValues[6];

// Fills lengthTicks from the ticks per quarter note.
void SetLengthTicks(ConversionState& s, int32_t division);

// Ticks of one measure of numerator/denominator; 0 switches measures off.
int32_t MeasureTicks(int32_t division, int32_t numerator, int32_t denominator);
// Returns the meter entry at exactly this tick, or null.
const MeterMap* MeterAt(const ConversionState& s, int32_t tick);
// Measure ticks at the start of a track: the meter at tick 0, else 4/4.
int32_t StartMeasureTicks(const ConversionState& s, int32_t division);

// Chooses the next piece between writtenTick and curTick (bounded by the next
// measure boundary) and advances writtenTick by it. Returns its length index,
// or -1 when no time is left (or a limit stopped the conversion).
int NextLength(ConversionState& s);

// The length pass: chooses each active track's default length. Returns 1, or
// 0 when the track data cannot be read.
int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
