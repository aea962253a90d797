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

// Room for one token of a note, drum hit or rest with its line prefix: the
// prefix (4 bytes), the longest token (6: a macro call and a two-digit
// number) and the block copied for its last part.
const uint32_t kTokenRoom = 16;

// Where a token goes together when the target's buffer has no room for it.
// It lives apart from the token being built, so that the bytes stored into
// it cannot be taken for the builder's own position.
struct SpareToken {
  uint8_t bytes[kTokenRoom];
};

// One token of a note, drum hit or rest, put together in place: straight in
// the target's buffer when it has room, else in the spare bytes, which Write
// hands over and so fills the buffer up to its block size as the direct way
// would. A new line's prefix goes first when one is due. Parts are copied
// as blocks of a fixed size and counted by their own length; the bytes after
// the token are not counted and are written over later.
class PieceToken {
 public:
  PieceToken(ConversionState& s, SpareToken& spare) : s_(s), spare_(spare.bytes) {
    uint8_t* room = s.targetFile.Room(kTokenRoom);
    start_ = end_ = room ? room : spare_;
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
    if (start_ == spare_) s_.targetFile.Write(spare_, size);
    else s_.targetFile.Commit(size);
    EndToken(s_, static_cast<uint32_t>(end_ - text_), barBreak);
  }

 private:
  ConversionState& s_;
  uint8_t* spare_;
  uint8_t* start_;  // the prefix, if any, then the token
  uint8_t* text_;   // the token itself
  uint8_t* end_;
};

// Appends the piece's number unless it is the part's default length.
void AddLength(PieceToken& token, int piece, int defaultPiece) {
  if (piece != defaultPiece) token.AddShort(kLengthTexts[piece]);
}

int DefaultPiece(const ConversionState& s) { return s.tracks[s.curTrack].lengthIndex; }

void WriteMelodicNote(ConversionState& s, int32_t key) {
  if (key < kLowestKey || key > kHighestKey) return;
  int32_t octave = (key - kLowestKey) / 12;
  const char* name = noteNames[(key - kLowestKey) % 12];
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
  PieceRun run(grid, end);
  SpareToken spare;
  int piece = run.Next();
  while (piece != -1) {
    PieceToken token(s, spare);
    token.AddShort(name);
    AddLength(token, piece, defaultPiece);
    // The next piece is chosen first, so a boundary it reaches ends the line
    // after this token, which carries the tie.
    piece = run.Next();
    if (piece != -1) token.AddChar('&');
    token.Finish(&grid.barBreak);
  }
  GivePieceGrid(s, grid);
}

// Writes the time up to curTick as separate tokens, one per piece, never
// tied: each is what addText puts in (a rest, a drum call) and its number.
template <typename AddText>
void WriteSeparatePieces(ConversionState& s, AddText addText) {
  // Notes mostly follow each other without a gap: no time is left and no
  // piece would come (the next boundary never lies after curTick).
  if (s.curTick <= s.writtenTick) return;
  const int defaultPiece = DefaultPiece(s);
  const int32_t end = s.curTick;
  PieceGrid grid = TakePieceGrid(s);
  PieceRun run(grid, end);
  SpareToken spare;
  for (int piece = run.Next(); piece != -1; piece = run.Next()) {
    PieceToken token(s, spare);
    addText(token);
    AddLength(token, piece, defaultPiece);
    token.Finish(&grid.barBreak);
  }
  GivePieceGrid(s, grid);
}

// Every piece of a drum hit is a hit of its own: the first calls the macro,
// the later ones (and later hits of the same drum) repeat it as "g".
void WriteDrumHit(ConversionState& s, int32_t key) {
  int macro = DrumMacro(key);
  if (macro < 0) return;
  WriteSeparatePieces(s, [&](PieceToken& token) {
    if (macro == s.lastMacro) {
      token.AddChar('g');
      return;
    }
    token.AddMacroCall(macroNames[macro]);
    s.lastMacro = macro;
  });
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
  WriteSeparatePieces(s, [](PieceToken& token) { token.AddChar('r'); });
}
