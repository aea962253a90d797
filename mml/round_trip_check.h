// The round-trip check: the MML just written is read back with the MML
// reader and compared, part by part, with what the converter meant to write
// (the intended items the conversion spooled): each part's start, every
// tempo token at its tick, every note with its key (or drum macro), start
// and length, and the tick where each part ends. Both are streams, so the
// check runs in bounded memory beside a text of any size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "converter/conversion_state.h"
#include "support/record_queue.h"

// One thing the converter meant to write, in the MML reader's terms (kind
// is an MmlItemKind): a part's start (key = its letter, length = 1 for a
// rhythm part), a tempo token (key = bpm), a note (key, or the macro of a
// drum hit, which may be written as several hits back to back), a part's end.
struct IntendedItem {
  int32_t kind;
  int32_t tick;
  int32_t length;
  int32_t key;
};

// Returns 1 when the MML at mmlPath plays the intended items; otherwise 0
// with the first disagreement in fault: the part, bar and beat, what was
// meant and what was found (or where the text could not be read).
int CheckRoundTrip(const ConversionState& s, int32_t division, const char* mmlPath,
                   PVRecordQueue& intended, char* fault, size_t faultSize);
