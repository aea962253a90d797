// ConvertMidi: one Standard MIDI File, read through sourceFile, into MML text
// written through targetFile.
#pragma once

#include "converter/conversion_state.h"
#include "support/message_log.h"

// Both files must be open (source at its first byte). Returns nonzero on
// success; every failure has logged its reason. Allocates the track table
// into s.tracks, which the caller releases with ReleaseTrackTable.
int ConvertMidi(ConversionState& s, MessageLog& log);
// Releases the track table (if any) and sets tracks to null.
void ReleaseTrackTable(ConversionState& s);
