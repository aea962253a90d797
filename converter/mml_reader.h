// MmlReader: reads back the MML text the converter writes (the rhythm macro
// block, then each part's lines) and hands out what it plays, one item at a
// time, so that a text of any size is read in bounded memory.
//
// Times are ticks from the start of the part, in the length table the caller
// gives (the six lengths whole to 32nd in ticks): a note's start is the sum of
// the pieces before it. Anything the dialect does not hold is an error that
// names its line and column.
#pragma once

#include <cstdint>

#include "support/file.h"

enum MmlItemKind {
  kMmlMacro = 1,   // a rhythm macro definition: key = macro index 0..9, value = its volume
  kMmlPartStart,   // part = letter, rhythm = 1 for a rhythm part, value = volume ("V"), -1 when none
  kMmlTempo,       // tick = where the token stands in the part, value = beats per minute
  kMmlNote,        // tick = start, length = ticks (tied pieces joined; a drum piece is a hit of its own),
                   // key = MIDI key of a melodic note, macro index 0..9 of a drum hit
  kMmlPartEnd,     // tick = the end of the part's written time
};

struct MmlItem {
  int kind = 0;
  char part = 0;
  int rhythm = 0;
  int32_t tick = 0;
  int32_t length = 0;
  int32_t key = 0;
  int32_t value = 0;
};

struct MmlError {
  int line = 0;     // from 1
  int column = 0;   // from 1, in bytes
  char text[128] = {0};  // what was found and what was expected
};

class MmlReader {
 public:
  // Starts on file, open for reading at the first byte of the text.
  // lengthTicks: the ticks of the whole note down to the 32nd note.
  void Start(CPVFile* file, const int32_t lengthTicks[6]);
  // Returns 1 with the next item in *item, 0 at the end of the text, -1 on
  // an error (error() says where and what); after 0 or -1 it keeps returning it.
  int Next(MmlItem* item);
  const MmlError& error() const { return error_; }

 private:
  MmlError error_;
};
