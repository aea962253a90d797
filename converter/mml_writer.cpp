#include "converter/mml_writer.h"

#include <cstdio>
#include <cstring>

#include "converter/length_grid.h"
#include "converter/rhythm_kit.h"

const char* const noteNames[12] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

namespace {

// The numbers written for the six lengths, as text, by length index.
const char* const kLengthTexts[6] = {"1", "2", "4", "8", "16", "32"};

// One token put together from its parts: a note name or macro call, a
// length number, a tie.
class Token {
 public:
  static const uint32_t kCapacity = 16;
  void Add(const char* part) {
    while (*part && size_ < kCapacity) text_[size_++] = *part++;
  }
  const char* text() const { return text_; }
  uint32_t size() const { return size_; }

 private:
  char text_[kCapacity] = {};
  uint32_t size_ = 0;
};

char PartLetter(const ConversionState& s) { return static_cast<char>('A' + s.curPart); }

// Appends the piece's number unless it is the part's default length.
void AddLength(const ConversionState& s, Token& token, int piece) {
  if (piece != s.tracks[s.curTrack].lengthIndex) token.Add(kLengthTexts[piece]);
}

// Opens a new part line when the last token reached a measure boundary.
void StartToken(ConversionState& s) {
  if (s.lineLen != 0) return;
  const char prefix[4] = {'\r', '\n', PartLetter(s), ' '};
  s.targetFile.Write(prefix, sizeof prefix);
  s.lineLen = 2;
}

// Counts a written token on its line; one that reached a measure boundary
// ends the line.
void EndToken(ConversionState& s, uint32_t size) {
  s.lineLen += static_cast<int32_t>(size);
  if (s.barBreak) {
    s.lineLen = 0;
    s.barBreak = 0;
  }
}

inline void WriteToken(ConversionState& s, const Token& token) {
  StartToken(s);
  // With room in the buffer, the token's whole storage goes in one copy of a
  // fixed size and only its own bytes are counted as written.
  if (uint8_t* room = s.targetFile.Room(Token::kCapacity)) {
    std::memcpy(room, token.text(), Token::kCapacity);
    s.targetFile.Commit(token.size());
  } else {
    s.targetFile.Write(token.text(), token.size());
  }
  EndToken(s, token.size());
}

void WriteMelodicNote(ConversionState& s, int32_t key) {
  if (key < 12 || key > 107) return;
  int32_t octave = (key - 12) / 12;
  const char* name = noteNames[(key - 12) % 12];
  if (octave != s.curOctave) {
    if (octave - s.curOctave == 1) {
      WriteToken(s, ">", 1);
    } else if (s.curOctave - octave == 1) {
      WriteToken(s, "<", 1);
    } else {
      char token[8];
      int n = std::snprintf(token, sizeof token, "o%d", static_cast<int>(octave));
      WriteToken(s, token, static_cast<size_t>(n));
    }
    s.curOctave = octave;
  }
  int piece = NextLength(s);
  while (piece != -1) {
    Token token;
    token.Add(name);
    AddLength(s, token, piece);
    // The next piece is chosen first, so a boundary it reaches ends the line
    // after this token, which carries the tie.
    piece = NextLength(s);
    if (piece != -1) token.Add("&");
    WriteToken(s, token);
  }
}

void WriteDrumHit(ConversionState& s, int32_t key) {
  int macro = DrumMacro(key);
  if (macro < 0) return;
  for (int piece = NextLength(s); piece != -1; piece = NextLength(s)) {
    Token token;
    if (macro == s.lastMacro) {
      token.Add("g");
    } else {
      token.Add(macroNames[macro]);
      s.lastMacro = macro;
    }
    AddLength(s, token, piece);
    WriteToken(s, token);
  }
}

}  // namespace

void WriteRaw(ConversionState& s, const char* text) {
  s.targetFile.Write(text, static_cast<uint32_t>(std::strlen(text)));
}

void WriteToken(ConversionState& s, const char* text) { WriteToken(s, text, std::strlen(text)); }

void WriteToken(ConversionState& s, const char* text, size_t size) {
  StartToken(s);
  s.targetFile.Write(text, static_cast<uint32_t>(size));
  EndToken(s, static_cast<uint32_t>(size));
}

void WriteNote(ConversionState& s, int32_t key) {
  if (s.tracks[s.curTrack].isRhythm) WriteDrumHit(s, key);
  else WriteMelodicNote(s, key);
}

void WriteRest(ConversionState& s) {
  for (int piece = NextLength(s); piece != -1; piece = NextLength(s)) {
    Token token;
    token.Add("r");
    AddLength(s, token, piece);
    WriteToken(s, token);
  }
}
