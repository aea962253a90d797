// MmlReader: reads back the MML text the converter writes (the rhythm macro
// block, then each part's lines) and hands out what it plays, one item at a
// time, so that a text of any size is read in bounded memory.
//
// Times are ticks from the start of the part, in the length table the caller
// gives (the six lengths whole to 32nd in ticks): a note's start is the sum of
// the pieces before it. Anything the dialect does not hold is an error that
// names its line and column.
//
// The order of the items: the ten macros (when the text has the macro block),
// then for each part its start, part A's header tempo (a kMmlTempo at tick 0),
// its notes and tempo tokens in text order, and its end. A tempo token stands
// only in part A, as the converter writes it; its tick is where it stands in
// the text, which is where the MML changes the tempo.
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
  // Where the next byte waits (line and column from 1).
  int line() const { return line_; }
  int column() const { return column_; }

 private:
  enum Stage { kFileStart, kMacroLine, kPartStart, kBody, kFinished };

  int Step(MmlItem* item);
  int StartPart(MmlItem* item);
  int BodyToken(MmlItem* item);
  int Note(MmlItem* item);
  int DrumHit(MmlItem* item);
  int Tempo(MmlItem* item);

  int PeekByte();
  void TakeByte();
  // These four return 1, or 0 after an error.
  int Expect(const char* text, const char* what);
  int ReadNumber(int32_t low, int32_t high, int32_t* value);
  int ReadLength(int* index);
  int Advance(int32_t ticks);
  // These two record the error and return -1.
  int Fail(const char* what);
  int FailAt(int line, int column, const char* text);

  CPVFile* file_ = nullptr;
  int32_t lengthTicks_[6] = {0};
  Stage stage_ = kFinished;
  int result_ = 0;
  int line_ = 1;
  int column_ = 1;
  int tokenLine_ = 1;
  int tokenColumn_ = 1;
  int macroIndex_ = 0;
  int partCount_ = 0;
  MmlItem queued_;
  bool hasQueued_ = false;
  // The part being read.
  char letter_ = 0;
  int rhythm_ = 0;
  int defaultIndex_ = 0;
  int32_t tick_ = 0;
  int octave_ = -1;      // -1 until the part's first "o"
  int lastMacro_ = -1;   // the macro "g" repeats
  int32_t tieKey_ = -1;  // the key of a note whose last piece ended in "&"
  int32_t tieStart_ = 0;
  MmlError error_;
};
