// MidiOfMml: writes a Standard MIDI File of what an MML text plays, so that
// the MML can be heard in any MIDI player.
//
// The file is format 1: a tempo track (the tempo tokens of part A), then one
// track per part in part order, each ending where its part ends. A melodic
// part plays on channels 1 to 6 by part letter with program 0 ("@0"), its
// volume ("V") as controller 7 and velocity 100; the rhythm part plays on
// channel 10, each hit on the first drum key the kit maps to its macro, the
// macro's volume as its velocity. The division makes every length exact.
#pragma once

#include <cstdint>

#include "mml/mml_reader.h"
#include "support/file.h"

// Ticks per quarter note: the 32nd note is 12 ticks.
const int32_t kMidiOfMmlDivision = 96;

// Reads mml (open for reading) three times, once to measure the tracks and
// once for each kind of track, and writes the MIDI file into midi (open for
// writing, empty) from start to end, without seeking. Returns 1 when the text was read
// whole; 0 when it is no MML of the dialect or a time cannot be written, with
// *error saying where. Whether the bytes reached the disk is midi's to say.
int WriteMidiOfMml(CPVFile* mml, CPVFile* midi, MmlError* error);
