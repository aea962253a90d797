// Reading one track chunk: the byte budget, variable-length quantities,
// running status and the consumption of one event, shared by all passes.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Which pass reads: only the analysis pass names most reading faults; the
// later passes meet them silently (the analysis pass has already refused).
enum PassKind { kAnalysisPass, kLengthPass, kEmissionPass };

struct TrackEvent {
  int status;         // the status in force, running status applied
  int data[2];        // the data bytes of a channel message
  int metaType;       // for status 0xFF
  int32_t payload;    // system exclusive or meta bytes still to read or skip
};

// Reads count (1 to 4) bytes of the current track into out (or drops them).
// Returns 1, or 0 after logging that the track data is damaged.
int ReadTrackBytes(ConversionState& s, MessageLog& log, int count, int* out);
// Reads one variable-length quantity of at most four bytes. Returns 1 or 0.
int ReadVarLen(ConversionState& s, MessageLog& log, int32_t* out);

// Reads "MTrk" and the chunk length into trackBytesLeft, and starts the
// track at tick 0. Returns 0 for another chunk type (logged in the analysis pass).
int ReadChunkHeader(ConversionState& s, MessageLog& log, PassKind pass);
// Moves the source over a chunk's events without reading them; a chunk that
// claims no bytes is not moved over.
void SkipChunk(ConversionState& s);

// Reads the next event's delta time and adds it to curTick. Returns 0 when
// the track data fails or the tick would overflow (stopReason says which).
int ReadDeltaTime(ConversionState& s, MessageLog& log, int32_t* delta);
// Reads the event after its delta time: status (or running status) and data
// bytes; for system exclusive and meta events their length, leaving the
// payload to the pass. Returns 0 when the event cannot be read.
int ReadEventBody(ConversionState& s, MessageLog& log, PassKind pass, int* runningStatus,
                  TrackEvent* ev);
// Skips n payload bytes without testing the budget: a payload that runs past
// the chunk ends the track.
void SkipTrackBytes(ConversionState& s, int32_t n);
