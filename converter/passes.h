// The three passes over the tracks.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Decides the parts, fills the track table, the tempo and meter maps and the
// volume totals, and logs what cannot be written faithfully. Returns 1, or 0
// when the file cannot be read. Leaves the source where the last track ended.
// Counts the parts' default lengths as it reads (see EarlyLengths).
int RunAnalysisPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
// Whether the analysis pass's default lengths (and the limit that stopped
// them, if one did) stand for the length pass's.
int EarlyLengthsHold(const ConversionState& s);
// The length pass: chooses each active track's default length. Returns 1, or
// 0 when the track data cannot be read or a limit stopped it.
int RunLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
// Writes one part for every active track. Returns 1, or 0 when a track
// cannot be read.
int RunEmissionPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);
