#include "converter/mml_writer.h"

#include <cstdio>
#include <cstring>

#include "converter/length_grid.h"
#include "converter/rhythm_kit.h"

const char* const noteNames[12] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

namespace {

char PartLetter(const ConversionState& s) { return static_cast<char>('A' + s.curPart); }

// Appends the piece's number unless it is the part's default length.
void AppendLength(const ConversionState& s, char* token, int piece) {
  if (piece == s.tracks[s.curTrack].lengthIndex) return;
  size_t n = std::strlen(token);
  std::snprintf(token + n, 8, "%d", static_cast<int>(lengthValues[piece]));
}

void WriteMelodicNote(ConversionState& s, int32_t key) {
  if (key < 12 || key > 107) return;
  int32_t octave = (key - 12) / 12;
  const char* name = noteNames[(key - 12) % 12];
  if (octave != s.curOctave) {
    char token[8];
    if (octave - s.curOctave == 1) std::strcpy(token, ">");
    else if (s.curOctave - octave == 1) std::strcpy(token, "<");
    else std::snprintf(token, sizeof token, "o%d", static_cast<int>(octave));
    WriteToken(s, token);
    s.curOctave = octave;
  }
  int piece = NextLength(s);
  while (piece != -1) {
    char token[16];
    std::strcpy(token, name);
    AppendLength(s, token, piece);
    // The next piece is chosen first, so a boundary it reaches ends the line
    // after this token, which carries the tie.
    piece = NextLength(s);
    if (piece != -1) std::strcat(token, "&");
    WriteToken(s, token);
  }
}

void WriteDrumHit(ConversionState& s, int32_t key) {
  int macro = DrumMacro(key);
  if (macro < 0) return;
  for (int piece = NextLength(s); piece != -1; piece = NextLength(s)) {
    char token[16];
    if (macro == s.lastMacro) {
      std::strcpy(token, "g");
    } else {
      std::strcpy(token, macroNames[macro]);
      s.lastMacro = macro;
    }
    AppendLength(s, token, piece);
    WriteToken(s, token);
  }
}

}  // namespace

void WriteRaw(ConversionState& s, const char* text) {
  s.targetFile.Write(text, static_cast<uint32_t>(std::strlen(text)));
}

void WriteToken(ConversionState& s, const char* text) {
  if (s.lineLen == 0) {
    char prefix[5] = {'\r', '\n', PartLetter(s), ' ', '\0'};
    WriteRaw(s, prefix);
    s.lineLen = 2;
  }
  size_t n = std::strlen(text);
  s.targetFile.Write(text, static_cast<uint32_t>(n));
  s.lineLen += static_cast<int32_t>(n);
  if (s.barBreak) {
    s.lineLen = 0;
    s.barBreak = 0;
  }
}

void WriteNote(ConversionState& s, int32_t key) {
  if (s.tracks[s.curTrack].isRhythm) WriteDrumHit(s, key);
  else WriteMelodicNote(s, key);
}

void WriteRest(ConversionState& s) {
  for (int piece = NextLength(s); piece != -1; piece = NextLength(s)) {
    char token[8] = "r";
    AppendLength(s, token, piece);
    WriteToken(s, token);
  }
}
