// The conversion that keeps the notes: each track's notes are spread over
// voices (VoiceSplit), the analysis pass counts every voice's notes, and the
// six parts go to the voices with the most notes, written in the order of
// their tracks and voices. Drum keys without a macro are played by their
// family's, and every part ends at one tick.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "converter/voice_split.h"
#include "support/message_log.h"

struct VoiceTally {
  int32_t notes[kMaxVoices + 1];      // note-ons per voice; the last: no voice
  int32_t firstTick[kMaxVoices + 1];  // where each voice's first note starts
  int8_t part[kMaxVoices];            // the part a voice plays, -1 for none
  int8_t lengthIndex[kMaxVoices];     // the default length of that part
  int8_t hasNotes;                    // the track has notes, if only of velocity 0
};

// The analysis pass's count of one track's voices.
struct VoiceCount {
  VoiceTally& tally;
  void On(int voice, int32_t, int32_t tick) {
    if (tally.notes[voice]++ == 0) tally.firstTick[voice] = tick;
  }
  void Off(int, int32_t) {}
};

// Allocates the zero-filled tally table beside the track table. Returns 1,
// or 0 when the memory cannot be had.
int AllocateVoiceTallies(ConversionState& s, uint16_t trackCount);
void ReleaseVoiceTallies(ConversionState& s);

// After the analysis pass: gives the parts to the voices with the most
// notes, marks their tracks active, and sets the song's end (the longest of
// those tracks) and volumes from them. When a voice would be left without a
// part, the parts are shared instead (PlanSharedParts); a chord wider than
// the voices is logged as the part limit once.
// A song whose tracks have notes but no voice a note-on with a velocity gets
// the first such track's first voice as its part, of rests only, as the
// plain conversion writes it.
void ChooseVoiceParts(ConversionState& s, MessageLog& log, uint16_t trackCount);

// Marks the track written and takes its end and volumes into the song's.
void ActivateTrack(ConversionState& s, TrackInfo& track);

// The length pass, keeping the notes: reads every track that has parts
// again, counts each part's voice to choose its default length, and sets the
// song's end to the tick where every part's written time can end together
// (the length grid can carry a part past the last event, and a rest to a tick
// between grid points lands on one). Returns 1, or 0 when the track data
// cannot be read or a limit stopped the count.
int RunVoiceLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division);

// The drum key a kept note of a rhythm part is written as: the first key of
// its family's macro when the key has no macro of its own.
int32_t KeptDrumKey(int32_t key);
