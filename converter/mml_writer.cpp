#include "converter/mml_writer.h"

#include <cstdio>
#include <cstring>

#include "converter/length_grid.h"
#include "converter/rhythm_kit.h"

const char* const noteNames[12] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

namespace {

// The numbers written for the six lengths, as text, by length index.
const char* const kLengthTexts[6] = {"1", "2", "4", "8", "16", "32"};

char PartLetter(const ConversionState& s) { return static_cast<char>('A' + s.curPart); }

// Opens a new part line when the last token reached a measure boundary.
void StartToken(ConversionState& s) {
  if (s.lineLen != 0) return;
  const char prefix[4] = {'\r', '\n', PartLetter(s), ' '};
  s.targetFile.Write(prefix, sizeof prefix);
  s.lineLen = 2;
}

// Counts a written token on its line; one that reached a measure boundary
// ends the line.
void EndToken(ConversionState& s, uint32_t size, int32_t* barBreak) {
  s.lineLen += static_cast<int32_t>(size);
  if (*barBreak) {
    s.lineLen = 0;
    *barBreak = 0;
  }
}

// One token of a note, drum hit or rest, put together in place: straight in
// the target's buffer when it has room, else in an array of its own that
// Write hands over, which fills the buffer up to its block size as the
// direct way would. A new line's prefix goes first when one is due. Parts
// are copied as blocks of a fixed size and counted by their own length; the
// bytes after the token are not counted and are written over later.
class PieceToken {
 public:
  explicit PieceToken(ConversionState& s) : s_(s) {
    uint8_t* room = s.targetFile.Room(kRoom);
    direct_ = room != nullptr;
    start_ = end_ = direct_ ? room : spare_;
    if (s.lineLen == 0) {
      const uint8_t prefix[4] = {'\r', '\n', static_cast<uint8_t>(PartLetter(s)), ' '};
      std::memcpy(end_, prefix, sizeof prefix);
      end_ += sizeof prefix;
      s.lineLen = 2;
    }
    text_ = end_;
  }

  // A note name or a length number: one or two characters.
  void AddShort(const char* text) {
    std::memcpy(end_, text, 2);
    end_ += text[1] ? 2 : 1;
  }
  // A rhythm macro call: four characters.
  void AddMacroCall(const char* text) {
    std::memcpy(end_, text, 4);
    end_ += 4;
  }
  void AddChar(char c) { *end_++ = static_cast<uint8_t>(c); }

  // Writes the token and counts it on its line (see EndToken).
  void Finish(int32_t* barBreak) {
    uint32_t size = static_cast<uint32_t>(end_ - start_);
    if (direct_) s_.targetFile.Commit(size);
    else s_.targetFile.Write(spare_, size);
    EndToken(s_, static_cast<uint32_t>(end_ - text_), barBreak);
  }

 private:
  // A line prefix (4 bytes), the longest token (6: a macro call and a
  // two-digit number) and the block copied for its last part.
  static const uint32_t kRoom = 16;

  ConversionState& s_;
  bool direct_;
  uint8_t* start_;  // the prefix, if any, then the token
  uint8_t* text_;   // the token itself
  uint8_t* end_;
  uint8_t spare_[kRoom];
};

// Appends the piece's number unless it is the part's default length.
void AddLength(PieceToken& token, int piece, int defaultPiece) {
  if (piece != defaultPiece) token.AddShort(kLengthTexts[piece]);
}

int DefaultPiece(const ConversionState& s) { return s.tracks[s.curTrack].lengthIndex; }

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
  const int defaultPiece = DefaultPiece(s);
  const int32_t end = s.curTick;
  PieceGrid grid = TakePieceGrid(s);
  int piece = grid.Next(end);
  while (piece != -1) {
    PieceToken token(s);
    token.AddShort(name);
    AddLength(token, piece, defaultPiece);
    // The next piece is chosen first, so a boundary it reaches ends the line
    // after this token, which carries the tie.
    piece = grid.Next(end);
    if (piece != -1) token.AddChar('&');
    token.Finish(&grid.barBreak);
  }
  GivePieceGrid(s, grid);
}

void WriteDrumHit(ConversionState& s, int32_t key) {
  int macro = DrumMacro(key);
  if (macro < 0) return;
  const int defaultPiece = DefaultPiece(s);
  const int32_t end = s.curTick;
  PieceGrid grid = TakePieceGrid(s);
  for (int piece = grid.Next(end); piece != -1; piece = grid.Next(end)) {
    PieceToken token(s);
    if (macro == s.lastMacro) {
      token.AddChar('g');
    } else {
      token.AddMacroCall(macroNames[macro]);
      s.lastMacro = macro;
    }
    AddLength(token, piece, defaultPiece);
    token.Finish(&grid.barBreak);
  }
  GivePieceGrid(s, grid);
}

}  // namespace

void WriteRaw(ConversionState& s, const char* text) {
  s.targetFile.Write(text, static_cast<uint32_t>(std::strlen(text)));
}

void WriteToken(ConversionState& s, const char* text) { WriteToken(s, text, std::strlen(text)); }

void WriteToken(ConversionState& s, const char* text, size_t size) {
  StartToken(s);
  s.targetFile.Write(text, static_cast<uint32_t>(size));
  EndToken(s, static_cast<uint32_t>(size), &s.barBreak);
}

void WriteNote(ConversionState& s, int32_t key) {
  if (s.tracks[s.curTrack].isRhythm) WriteDrumHit(s, key);
  else WriteMelodicNote(s, key);
}

void WriteRest(ConversionState& s) {
  const int defaultPiece = DefaultPiece(s);
  const int32_t end = s.curTick;
  PieceGrid grid = TakePieceGrid(s);
  for (int piece = grid.Next(end); piece != -1; piece = grid.Next(end)) {
    PieceToken token(s);
    token.AddChar('r');
    AddLength(token, piece, defaultPiece);
    token.Finish(&grid.barBreak);
  }
  GivePieceGrid(s, grid);
}
