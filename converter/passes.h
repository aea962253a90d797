// The first and third passes over the tracks (the second lives with the
// length grid).
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Decides the parts, fills the track table, the tempo and meter maps and the
// volume totals, and logs what cannot be written faithfully. Returns 1, or 0
// when the file cannot be read. Leaves the source where the last track ended.
int RunAnalysisPass(ConversionState& s, MessageLog& log, uint16_t trackCount);
// Writes one part for every active track. Returns 1, or 0 when a track
// cannot be read.
int RunEmissionPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
