// Keeping the notes when the tracks' voices need more than six parts: the
// parts are shared. The melodic tracks' notes go through one PartPool and
// the rhythm tracks' through another, over the whole song read as one
// stream (SongMerge) once, in the length pass; the first parts are the
// melodic pool's, the last the rhythm pool's. A part so plays the notes of
// several tracks, one at a time.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Splits the six parts between the pools (rhythm: the rhythm voices among the
// voices that rank in the first six) and marks the tracks of each pool that
// has parts active. Called by ChooseVoiceParts when a voice would be left
// without a part.
void PlanSharedParts(ConversionState& s, uint16_t trackCount, int rhythmRanked, int ranked);

// The length pass of shared parts: places the notes, counts each part on the
// length grid (its default length), its volume (the mean of its notes'
// tracks' volumes) and the tracks it plays, keeps each part's placements in
// a queue of partQueues, and sets the song's end to the parts' common end.
// Returns 1, or 0 when the track data cannot be read, the memory or a queue
// cannot be had (the queue's owner tells) or a limit stopped the count.
int RunSharedLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);

// Writes the shared parts, each from its queue: the song is not read again.
// Returns 1, or 0 when a queue cannot be read back or a limit stopped it.
int WriteSharedParts(ConversionState& s, int32_t division);
