// trelvio-cli --to-midi: writes a MIDI file of what each MML file plays.
#pragma once

#include "cli/cli_options.h"

// The default name of the MIDI file of mmlPath: its directory, its base name
// (the file name up to its first dot) and "-mml.mid", so "song.mml" gives
// "song-mml.mid". Converting that file again targets "song-mml.mml": neither
// the MML it came from nor the song that MML came from is ever replaced.
// Returns 0 when the name would pass 259 bytes.
int NameMidiOfMml(const char* mmlPath, char* dst);

// Writes the MIDI file of every FILE in order (of the single FILE to -o PATH,
// '-o -' to standard output); a failed file does not stop the next. Returns
// the exit status: 0 when every file was written, 1 when any failed.
int ConvertToMidi(const CliOptions& options);
