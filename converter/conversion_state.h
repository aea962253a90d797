// The converter's working record: what the three passes over the tracks share.
#pragma once

#include <cstdint>

#include "support/file.h"

struct TrackInfo {
  int32_t active;       // the track is written as a part
  int32_t lengthIndex;  // default length of the part, index into lengthValues
  int32_t maxVolume;    // largest channel volume (controller 7) seen, at least 1
  int32_t isRhythm;     // a note-on on MIDI channel 10 was seen
  int32_t endTick;      // where the accepted track's data ended
};

struct TempoMap {
  int32_t tick;
  int32_t bpm;
};

struct MeterMap {
  int32_t tick;
  int32_t numerator;
  int32_t denominator;  // the note value itself (4, 8, ...), not its exponent
};

// How a span of time is cut into length pieces when no measure boundary
// falls before its end: the pieces' length indexes in order, three bits each
// with the first lowest; how many there are (0 when more than
// kMaxSpanPieces, which are cut one at a time); the ticks they cover.
struct SpanCut {
  uint32_t pieces;
  uint16_t count;
  uint16_t covered;
};
const int kSpanCutCount = 4096;  // spans of 1 to 4095 ticks have a cut
const int kMaxSpanPieces = 8;

const int kMapCapacity = 16;
const int kMaxParts = 6;

// The most length pieces one pass may produce. A piece is at least one byte
// of MML, so this allows well over 64 MiB of text while keeping a hostile
// file (division 1, delta times near 2^28) from running for minutes.
const uint32_t kMaxPiecesPerPass = 1u << 26;

// Why a conversion was stopped by the converter's own limits rather than by
// the file's bytes. The passes look at it after every event.
enum StopReason {
  kRunning = 0,
  kTickOverflow = 1,   // a tick would no longer fit in 32 bits
  kTooManyPieces = 2,  // the length pieces of one pass passed the work bound
};

// Default lengths the analysis pass counts while it reads the tracks, so
// that the length pass need not read them again. The analysis pass counts
// with the meter map as it stands when a track begins (or, after meter
// entries at tick 0, as it stands then), so its counts hold only when no
// meter entry was added later from the first part's track on. They
// also need the later passes to read the events the analysis pass read,
// which they do not after a tempo or meter event of another size than the
// standard one (the analysis pass takes the standard bytes and reads on from
// there, the later passes skip the size the event gives) or after a payload
// that ran past its chunk's end (the later passes skip a chunk they do not
// write by its stated length). Otherwise the length pass counts afresh.
struct EarlyLengths {
  int32_t enabled = 1;             // 0: the length pass always counts
  int32_t meterCount = 0;          // meter entries the first part was counted with
  int32_t readsDiffer = 0;         // the later passes will read other events
  int32_t stopReason = kRunning;   // the limit that stopped a part's count
};

// Keeping the notes when the tracks' voices need more than six parts: the
// parts shared by the tracks' notes (see shared_parts.h). The melodic parts
// come first.
struct SharedPart {
  int8_t rhythm;
  int8_t lengthIndex;  // the part's default length
  int8_t queue;        // the queue that holds its notes (see PartEvent)
  int32_t volume;      // the mean channel volume of its notes' tracks
  int32_t firstTrack;  // the lowest and highest track it plays notes of
  int32_t lastTrack;
};
struct SharedPlan {
  int32_t on = 0;
  int32_t stepEnd = 0;  // the tempo and meter ticks before this shape the parts' ends
  int32_t melodicParts = 0;
  int32_t rhythmParts = 0;
  SharedPart parts[kMaxParts] = {};
};

class ConversionWatch;
class PVQueueSource;
struct VoiceTally;

struct ConversionState {
  CPVFile sourceFile;
  CPVFile targetFile;
  int32_t trackBytesLeft = 0;
  int32_t partCount = 0;
  TrackInfo* tracks = nullptr;
  int32_t tempoCount = 0;
  TempoMap tempos[kMapCapacity] = {};
  int32_t meterCount = 0;
  MeterMap meters[kMapCapacity] = {};
  int32_t maxEndTick = 0;
  int32_t maxVolume = 1;
  int32_t hasRhythm = 0;
  int32_t rhythmVolume = 1;
  int32_t curTrack = 0;
  int32_t curPart = 0;
  int32_t barTicks = 0;
  int32_t curTick = 0;
  int32_t nextBarTick = 0;
  int32_t writtenTick = 0;
  int32_t curOctave = -2;
  int32_t lastMacro = -1;
  int32_t lineLen = 2;
  int32_t barBreak = 0;
  int32_t lengthTicks[6] = {};
  // The midpoint of each pair of neighbouring lengths, rounded down: where
  // the nearest piece changes from one to the other (set with lengthTicks).
  uint32_t lengthMidpoints[5] = {};
  // The cut of every short span, by its ticks (set with lengthTicks).
  SpanCut spanCuts[kSpanCutCount] = {};

  // Bounds that keep every conversion finite and free of 32-bit overflow.
  int32_t stopReason = kRunning;
  uint32_t pieceBudget = kMaxPiecesPerPass;  // pieces each pass may produce
  uint32_t piecesLeft = 0;  // length pieces the current pass may still produce

  EarlyLengths early;

  // Keep the notes (ConvertOptions::keepNotes): voices of a track become
  // parts of their own, drum keys fall back to their family's macro, and
  // every part ends at the song's end.
  int32_t keepNotes = 0;
  // With keepNotes: each track's voices and the parts they got (one entry
  // per track, allocated with the track table).
  VoiceTally* voices = nullptr;
  SharedPlan shared;
  // With keepNotes: where shared parts keep their notes between the length
  // pass, which places them, and the emission pass, which writes them.
  PVQueueSource* partQueues = nullptr;

  // Told what is lost and what is written, for a report or a round-trip
  // check; null when neither was asked for.
  ConversionWatch* watch = nullptr;
};
