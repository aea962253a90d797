#include "mml/mml_reader.h"

#include <cstdio>
#include <cstring>

#include "converter/length_grid.h"
#include "converter/mml_writer.h"
#include "converter/rhythm_kit.h"

namespace {

const int32_t kTickLimit = 2147483647;
// The fastest tempo a MIDI file can hold: one microsecond per quarter note.
const int32_t kMaxBpm = 60000000;
const int32_t kMaxVolume = 127;

// What each part line opens with: its letter and one blank.
const char kPartLineWhat[] = "the part letter and a blank";

// The pitch class of each note letter, from "a" to "g"; which ones take "+"
// follows from the writer's note names.
const int kLetterPitch[7] = {9, 11, 0, 2, 4, 5, 7};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int PitchOfLetter(int c) { return c >= 'a' && c <= 'g' ? kLetterPitch[c - 'a'] : -1; }

bool TakesSharp(int pitch) { return noteNames[(pitch + 1) % 12][1] == '+'; }

// How a byte is named in an error: printable ones quoted, the rest by value.
void DescribeByte(int c, char* dst, size_t size) {
  if (c < 0) {
    std::snprintf(dst, size, "the end of the text");
  } else if (c == '\r') {
    std::snprintf(dst, size, "the end of the line");
  } else if (c == ' ') {
    std::snprintf(dst, size, "a blank");
  } else if (c > ' ' && c < 0x7F) {
    std::snprintf(dst, size, "\"%c\"", c);
  } else {
    std::snprintf(dst, size, "byte 0x%02X", c);
  }
}

}  // namespace

void MmlReader::Start(CPVFile* file, const int32_t lengthTicks[6]) {
  *this = MmlReader();
  file_ = file;
  std::memcpy(lengthTicks_, lengthTicks, sizeof lengthTicks_);
  stage_ = kFileStart;
}

int MmlReader::Next(MmlItem* item) {
  if (hasQueued_) {
    *item = queued_;
    hasQueued_ = false;
    return 1;
  }
  while (stage_ != kFinished) {
    *item = MmlItem();
    int r = Step(item);
    if (r != 0) return r;
  }
  return result_;
}

// One step of the reading: returns 1 with an item, 0 when the step made none
// (the loop goes on), -1 on an error. Every step takes at least one byte or
// moves to a later stage, so a text is read in time bounded by its size.
int MmlReader::Step(MmlItem* item) {
  switch (stage_) {
    case kFileStart:
      if (PeekByte() == ';') {
        if (!Expect("; Rhythm Macro\r\n", "\"; Rhythm Macro\"")) return -1;
        stage_ = kMacroLine;
        return 0;
      }
      stage_ = kPartStart;
      return 0;
    case kMacroLine: {
      // The definition line with its volume in place of "%d".
      const char* definition = macroDefinitions[macroIndex_];
      const char* hole = std::strstr(definition, "%d");
      char head[16];
      char what[24];
      std::snprintf(head, sizeof head, "%.*s", static_cast<int>(hole - definition), definition);
      std::snprintf(what, sizeof what, "\"%s\"", head);
      if (!Expect(head, what)) return -1;
      int32_t volume = 0;
      if (!ReadNumber(0, kMaxVolume, &volume)) return -1;
      if (!Expect(hole + 2, "\" ?o4c\" and the end of the line")) return -1;
      item->kind = kMmlMacro;
      item->key = macroIndex_;
      item->value = volume;
      if (++macroIndex_ == 10) stage_ = kPartStart;
      return 1;
    }
    case kPartStart:
      if (PeekByte() < 0) {
        stage_ = kFinished;
        return 0;
      }
      return StartPart(item);
    case kBody:
      if (PeekByte() != '\r') return BodyToken(item);
      if (!Expect("\r\n", "the end of the line")) return -1;
      if (PeekByte() != '\r') {
        const char prefix[3] = {letter_, ' ', 0};
        return Expect(prefix, "the next line of the part or an empty line") ? 0 : -1;
      }
      if (tieKey_ >= 0) return Fail("the tied note");
      if (!Expect("\r\n", "an empty line")) return -1;
      item->kind = kMmlPartEnd;
      item->part = letter_;
      item->rhythm = rhythm_;
      item->tick = tick_;
      stage_ = kPartStart;
      return 1;
    case kFinished:
      break;
  }
  return result_;
}

// The header of the next part: "X =1" on a line of its own for a rhythm part,
// then part A's tempo, a melodic part's volume and "@0", "L" and the default
// length.
int MmlReader::StartPart(MmlItem* item) {
  if (partCount_ == kMaxParts) return Fail("the end of the text after part F");
  letter_ = static_cast<char>('A' + partCount_);
  const char prefix[3] = {letter_, ' ', 0};
  char nextPart[32];
  std::snprintf(nextPart, sizeof nextPart, "part %c", letter_);
  if (!Expect(prefix, nextPart)) return -1;
  rhythm_ = PeekByte() == '=';
  if (rhythm_) {
    if (macroIndex_ < 10) return Fail("a melodic part (no rhythm macro block heads the text)");
    if (!Expect("=1\r\n", "\"=1\"") || !Expect(prefix, kPartLineWhat)) return -1;
  }
  int32_t bpm = 0;
  if (partCount_ == 0 && (!Expect("T", "the tempo \"T\"") || !ReadNumber(1, kMaxBpm, &bpm))) return -1;
  int32_t volume = -1;
  if (!rhythm_) {
    if (!Expect("V", "the volume \"V\"") || !ReadNumber(0, kMaxVolume, &volume)) return -1;
    if (!Expect("@0", "\"@0\"")) return -1;
  }
  if (!Expect("Ll", "\"Ll\" and the default length")) return -1;
  if (!IsDigit(PeekByte())) return Fail("the default length");
  if (!ReadLength(&defaultIndex_)) return -1;
  if (!Expect("\r\n", "the end of the header line") || !Expect(prefix, kPartLineWhat)) return -1;

  tick_ = 0;
  octave_ = -1;
  lastMacro_ = -1;
  tieKey_ = -1;
  ++partCount_;
  stage_ = kBody;
  item->kind = kMmlPartStart;
  item->part = letter_;
  item->rhythm = rhythm_;
  item->value = volume;
  if (partCount_ == 1) {
    queued_ = *item;
    queued_.kind = kMmlTempo;
    queued_.value = bpm;
    hasQueued_ = true;
  }
  return 1;
}

int MmlReader::BodyToken(MmlItem* item) {
  tokenLine_ = line_;
  tokenColumn_ = column_;
  const int c = PeekByte();
  if (tieKey_ >= 0 && PitchOfLetter(c) < 0) return Fail("the tied note");
  if (c == 'r') {
    TakeByte();
    int index = 0;
    return ReadLength(&index) && Advance(lengthTicks_[index]) ? 0 : -1;
  }
  if (c == 'T' && partCount_ == 1) return Tempo(item);
  if (rhythm_) {
    if (c == '!' || c == 'g') return DrumHit(item);
    return Fail(partCount_ == 1 ? "a drum hit, a rest or a tempo" : "a drum hit or a rest");
  }
  if (c == 'o') {
    TakeByte();
    int32_t octave = 0;
    if (!ReadNumber(0, 7, &octave)) return -1;
    octave_ = octave;
    return 0;
  }
  if (c == '>' || c == '<') {
    const int octave = octave_ + (c == '>' ? 1 : -1);
    if (octave_ < 0) return Fail("an octave \"o\" before the first \">\" or \"<\"");
    if (octave < 0 || octave > 7) return Fail("an octave within o0 to o7");
    TakeByte();
    octave_ = octave;
    return 0;
  }
  if (PitchOfLetter(c) >= 0) return Note(item);
  return Fail(partCount_ == 1 ? "a note, a rest, an octave or a tempo" : "a note, a rest or an octave");
}

// One piece of a melodic note: its name, its length and, when the note goes
// on, "&". The note is handed out with its last piece.
int MmlReader::Note(MmlItem* item) {
  if (octave_ < 0) return Fail("an octave \"o\" before the first note");
  int pitch = PitchOfLetter(PeekByte());
  TakeByte();
  if (PeekByte() == '+' && TakesSharp(pitch)) {
    TakeByte();
    ++pitch;
  }
  const int32_t key = kLowestKey + octave_ * 12 + pitch;
  if (tieKey_ >= 0 && key != tieKey_) {
    return FailAt(tokenLine_, tokenColumn_, "found another note, expected the tied note");
  }
  const int32_t start = tieKey_ >= 0 ? tieStart_ : tick_;
  int index = 0;
  if (!ReadLength(&index) || !Advance(lengthTicks_[index])) return -1;
  if (PeekByte() == '&') {
    TakeByte();
    tieKey_ = key;
    tieStart_ = start;
    return 0;
  }
  tieKey_ = -1;
  item->kind = kMmlNote;
  item->part = letter_;
  item->rhythm = 0;
  item->tick = start;
  item->length = tick_ - start;
  item->key = key;
  return 1;
}

// One drum hit: a macro call "!xx " or "g" for the macro last called, and its
// length. Every piece is a hit of its own.
int MmlReader::DrumHit(MmlItem* item) {
  if (PeekByte() == 'g') {
    if (lastMacro_ < 0) return Fail("a rhythm macro call before \"g\"");
    TakeByte();
  } else {
    TakeByte();
    int found = -1;
    for (int k = 0; k < 10 && found < 0; ++k) {
      if (PeekByte() == macroNames[k][1]) found = k;
    }
    if (found < 0) return Fail("a rhythm macro name");
    const int first = PeekByte();
    TakeByte();
    found = -1;
    for (int k = 0; k < 10 && found < 0; ++k) {
      if (first == macroNames[k][1] && PeekByte() == macroNames[k][2]) found = k;
    }
    if (found < 0) return Fail("a rhythm macro name");
    TakeByte();
    if (!Expect(" ", "a blank after the macro name")) return -1;
    lastMacro_ = found;
  }
  const int32_t start = tick_;
  int index = 0;
  if (!ReadLength(&index) || !Advance(lengthTicks_[index])) return -1;
  item->kind = kMmlNote;
  item->part = letter_;
  item->rhythm = 1;
  item->tick = start;
  item->length = lengthTicks_[index];
  item->key = lastMacro_;
  return 1;
}

int MmlReader::Tempo(MmlItem* item) {
  TakeByte();
  int32_t bpm = 0;
  if (!ReadNumber(1, kMaxBpm, &bpm)) return -1;
  item->kind = kMmlTempo;
  item->part = letter_;
  item->rhythm = rhythm_;
  item->tick = tick_;
  item->value = bpm;
  return 1;
}

int MmlReader::PeekByte() {
  const uint8_t* next = nullptr;
  if (file_->Peek(&next) == 0) return -1;
  return *next;
}

void MmlReader::TakeByte() {
  const int c = PeekByte();
  if (c < 0) return;
  file_->Deliver(1);
  if (c == '\n') {
    ++line_;
    column_ = 1;
  } else {
    ++column_;
  }
}

// Takes the bytes of text, failing at the first that differs.
int MmlReader::Expect(const char* text, const char* what) {
  for (; *text; ++text) {
    if (PeekByte() == static_cast<uint8_t>(*text)) {
      TakeByte();
      continue;
    }
    Fail(what);
    return 0;
  }
  return 1;
}

// A decimal number from low to high; one past high stops the reading, so no
// run of digits can overflow.
int MmlReader::ReadNumber(int32_t low, int32_t high, int32_t* value) {
  const int line = line_;
  const int column = column_;
  if (!IsDigit(PeekByte())) {
    Fail("a number");
    return 0;
  }
  int64_t number = 0;
  while (IsDigit(PeekByte()) && number <= high) {
    number = number * 10 + (PeekByte() - '0');
    TakeByte();
  }
  if (number < low || number > high) {
    char text[64];
    std::snprintf(text, sizeof text, "expected a number from %d to %d", static_cast<int>(low),
                  static_cast<int>(high));
    FailAt(line, column, text);
    return 0;
  }
  *value = static_cast<int32_t>(number);
  return 1;
}

// A piece's length index: one of the six numbers, or none for the part's
// default.
int MmlReader::ReadLength(int* index) {
  if (!IsDigit(PeekByte())) {
    *index = defaultIndex_;
    return 1;
  }
  const int line = line_;
  const int column = column_;
  int32_t number = 0;
  if (!ReadNumber(1, 32, &number)) return 0;
  for (int i = 0; i < 6; ++i) {
    if (lengthValues[i] != number) continue;
    *index = i;
    return 1;
  }
  FailAt(line, column, "expected a length of 1, 2, 4, 8, 16 or 32");
  return 0;
}

int MmlReader::Advance(int32_t ticks) {
  if (tick_ > kTickLimit - ticks) {
    FailAt(tokenLine_, tokenColumn_, "the part runs past 2147483647 ticks");
    return 0;
  }
  tick_ += ticks;
  return 1;
}

// Stops the reading at the byte that waits: "found X, expected what".
int MmlReader::Fail(const char* what) {
  char found[32];
  DescribeByte(PeekByte(), found, sizeof found);
  char text[sizeof error_.text];
  std::snprintf(text, sizeof text, "found %s, expected %s", found, what);
  return FailAt(line_, column_, text);
}

int MmlReader::FailAt(int line, int column, const char* text) {
  error_.line = line;
  error_.column = column;
  std::snprintf(error_.text, sizeof error_.text, "%s", text);
  stage_ = kFinished;
  result_ = -1;
  return -1;
}
