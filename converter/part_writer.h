// Writing the body of one part: notes with octaves and ties, drum hits,
// rests and the tempo tokens between them, each opening a new part line when
// the last one reached a measure boundary.
#pragma once

#include <cstdint>
#include <cstring>

#include "converter/conversion_state.h"
#include "converter/length_grid.h"
#include "converter/mml_writer.h"
#include "converter/rhythm_kit.h"

// Writes a part's header lines for the track entry (its rhythm flag, volume
// and default length) with the part letter, and starts the part's first
// body line.
void WritePartHeader(ConversionState& s, const TrackInfo& track, char letter);

class PartWriter;

// Sets the part's measure grid, written position, octave and drum macro for
// the start of its body.
void StartPartBody(ConversionState& s, int32_t division);
// Writes a tempo change token in the first part's body (and tells the watch).
void WriteTempoChange(ConversionState& s, PartWriter& out, const TempoMap& tempo);
// Ends a part's body: rests up to the song's end, the writer's state given
// back, the empty line after the part. Returns 1 unless a limit stopped the
// conversion.
int FinishPartBody(ConversionState& s, PartWriter& out);

// Room for one token with its line prefix: the prefix (4 bytes), the longest
// token (6: a macro call and a two-digit number) and the block copied for
// its last part.
const uint32_t kTokenRoom = 16;

// Where a token goes together when the target's buffer has no room for it.
// It lives apart from the writer, so that the bytes stored into it cannot be
// taken for the writer's own fields.
struct SpareToken {
  uint8_t bytes[kTokenRoom];
};

// A part's writer takes the line, the piece grid, the octave and the last
// drum macro from ConversionState and the free part of the target's buffer
// from the file object, and gives them back when it ends. The emission pass
// keeps one as a local value for the whole part, so that writing a note
// touches neither the record nor the file object: tokens are built in place
// in the buffer and counted to the file object once per block.
class PartWriter {
 public:
  PartWriter(ConversionState& s, const TrackInfo& track, SpareToken& spare)
      : s_(s),
        spare_(spare.bytes),
        grid_(TakePieceGrid(s)),
        lineLen_(s.lineLen),
        octave_(s.curOctave),
        lastMacro_(s.lastMacro),
        defaultPiece_(track.lengthIndex),
        isRhythm_(track.isRhythm),
        letter_(static_cast<uint8_t>('A' + s.curPart)) {
    OpenWindow();
  }
  ~PartWriter() { GiveBack(); }
  PartWriter(const PartWriter&) = delete;
  PartWriter& operator=(const PartWriter&) = delete;

  // Writes the note (or drum hit) of key that ends at end.
  void Note(int32_t key, int32_t end) {
    if (isRhythm_) DrumHit(key, end);
    else MelodicNote(key, end);
  }
  // Writes the rest that ends at end.
  void Rest(int32_t end) {
    WriteSeparatePieces(end, [](uint8_t* p) {
      *p = 'r';
      return p + 1;
    });
  }
  // Writes a short token, at most kTokenRoom - 4 bytes: an octave change,
  // or a tempo change ("T" and at most 8 digits, as 60,000,000 / 1).
  void Token(const char* text, uint32_t size) {
    uint8_t* start = Begin();
    uint8_t* text0 = LinePrefix(start);
    std::memcpy(text0, text, size);
    Finish(start, text0, text0 + size);
  }
  // A meter change: measures of barTicks from the next boundary on.
  void SetMeasure(int32_t barTicks) { grid_.barTicks = barTicks; }

  int32_t WrittenTick() const { return grid_.writtenTick; }
  int32_t StopReason() const { return grid_.stopReason; }

  // Counts the bytes put in the buffer to the file object and gives the
  // line, the grid, the octave and the macro back to ConversionState. Once
  // done the writer writes nothing more.
  void GiveBack() {
    if (givenBack_) return;
    CloseWindow();
    GivePieceGrid(s_, grid_);
    s_.lineLen = lineLen_;
    s_.curOctave = octave_;
    s_.lastMacro = lastMacro_;
    givenBack_ = true;
  }

 private:
  void MelodicNote(int32_t key, int32_t end) {
    if (key < kLowestKey || key > kHighestKey) return;
    const int32_t octave = (key - kLowestKey) / 12;
    const char* name = noteNames[(key - kLowestKey) % 12];
    if (octave != octave_) OctaveTo(octave);
    PieceRun run(grid_, end);
    int piece = run.Next();
    while (piece != -1) {
      uint8_t* start = Begin();
      uint8_t* text = LinePrefix(start);
      uint8_t* p = AddShort(text, name);
      if (piece != defaultPiece_) p = AddShort(p, lengthTexts[piece]);
      // The next piece is chosen first, so a boundary it reaches ends the
      // line after this token, which carries the tie.
      piece = run.Next();
      if (piece != -1) *p++ = '&';
      Finish(start, text, p);
    }
  }

  // Every piece of a drum hit is a hit of its own: the first calls the
  // macro, the later ones (and later hits of the same drum) repeat it as "g".
  void DrumHit(int32_t key, int32_t end) {
    const int macro = DrumMacro(key);
    if (macro < 0) return;
    WriteSeparatePieces(end, [&](uint8_t* p) {
      if (macro == lastMacro_) {
        *p = 'g';
        return p + 1;
      }
      lastMacro_ = macro;
      std::memcpy(p, macroNames[macro], 4);
      return p + 4;
    });
  }

  // Writes the time up to end as separate tokens, one per piece, never
  // tied: each is what addText puts in (a rest, a drum call) and its number.
  template <typename AddText>
  void WriteSeparatePieces(int32_t end, AddText addText) {
    // Notes mostly follow each other without a gap: no time is left and no
    // piece would come (the next boundary never lies after end).
    if (end <= grid_.writtenTick) return;
    PieceRun run(grid_, end);
    for (int piece = run.Next(); piece != -1; piece = run.Next()) {
      uint8_t* start = Begin();
      uint8_t* text = LinePrefix(start);
      uint8_t* p = addText(text);
      if (piece != defaultPiece_) p = AddShort(p, lengthTexts[piece]);
      Finish(start, text, p);
    }
  }

  void OctaveTo(int32_t octave) {
    if (octave - octave_ == 1) {
      Token(">", 1);
    } else if (octave_ - octave == 1) {
      Token("<", 1);
    } else {
      const char text[2] = {'o', static_cast<char>('0' + octave)};  // octaves 0 to 7
      Token(text, 2);
    }
    octave_ = octave;
  }

  // A note name or a length number: one or two characters, copied as two.
  static uint8_t* AddShort(uint8_t* p, const char* text) {
    std::memcpy(p, text, 2);
    return p + (text[1] ? 2 : 1);
  }

  // Where the next token goes: in the buffer when it has room for the
  // longest token, else in the spare bytes.
  uint8_t* Begin() { return windowEnd_ - next_ >= static_cast<int32_t>(kTokenRoom) ? next_ : spare_; }

  // Puts the new line's prefix first when one is due; returns where the
  // token's own text goes.
  uint8_t* LinePrefix(uint8_t* start) {
    if (lineLen_ != 0) return start;
    const uint8_t prefix[4] = {'\r', '\n', letter_, ' '};
    std::memcpy(start, prefix, sizeof prefix);
    lineLen_ = 2;
    return start + sizeof prefix;
  }

  // Takes the token built from start to end (its text from text on) and
  // counts it on its line; one that reached a measure boundary ends the
  // line. Parts are copied as blocks of a fixed size and counted by their own
  // length; the bytes after the token are written over later.
  void Finish(uint8_t* start, uint8_t* text, uint8_t* end) {
    if (start == spare_) {
      // Write fills the buffer up to its block size and writes it out, as
      // the direct way would; the window opens again after it.
      CloseWindow();
      s_.targetFile.Write(spare_, static_cast<uint32_t>(end - start));
      OpenWindow();
    } else {
      next_ = end;
    }
    lineLen_ += static_cast<int32_t>(end - text);
    if (grid_.barBreak) {
      lineLen_ = 0;
      grid_.barBreak = 0;
    }
  }

  void OpenWindow() {
    uint8_t* at = nullptr;
    uint32_t room = s_.targetFile.Room(&at);
    windowStart_ = next_ = at;
    windowEnd_ = at + room;
  }
  void CloseWindow() {
    if (next_ != windowStart_) s_.targetFile.Commit(static_cast<uint32_t>(next_ - windowStart_));
    windowStart_ = next_;
  }

  ConversionState& s_;
  bool givenBack_ = false;
  uint8_t* spare_;
  PieceGrid grid_;
  int32_t lineLen_;
  int32_t octave_;
  int32_t lastMacro_;
  int32_t defaultPiece_;
  int32_t isRhythm_;
  uint8_t letter_;
  uint8_t* windowStart_ = nullptr;  // the first byte not yet counted to the file
  uint8_t* next_ = nullptr;
  uint8_t* windowEnd_ = nullptr;
};
