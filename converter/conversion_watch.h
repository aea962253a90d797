// ConversionWatch: what the passes tell about a conversion beside the MML:
// every loss, each part's counts, and every note, tempo token and part end
// the converter meant to write. The engine declares it and calls it; the
// report (report/report_watch.h) implements it.
//
// The passes hold a pointer to it in ConversionState and call it only when
// it is set, at the events where something is lost or written, so that a
// conversion without report or check costs one null test there.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"

// What was lost, and how. The reasons marked "drops a note" take a note
// of the source out of its part: for every part, the notes in are the
// notes written plus those losses of its track.
enum LossReason {
  kLossChord,          // drops a note: a further note of a chord
  kLossRange,          // drops a note: a melodic key outside 12 to 107
  kLossDrumKey,        // drops a note: a drum key with no rhythm macro
  kLossUnended,        // drops a note: still sounding when its track ends
  kLossNoLength,       // drops a note: covers no time on the length grid
  kLossPartLimit,      // a track with notes after the sixth part (count = its notes)
  kLossTempoConflict,  // another tempo at a tick that has one (value = bpm)
  kLossTempoLimit,     // a tempo change past the sixteenth (value = bpm)
  kLossTempoZero,      // a tempo of 0 microseconds per quarter note
  kLossTempoUnplaced,  // no event of the first part at its tick carries it (value = bpm)
  kLossMeterConflict,  // another time signature at a tick that has one
  kLossMeterLimit,     // a time signature change past the sixteenth
  kLossMoved,          // a written note's start or length differs (shift, stretch)
  kLossEndMoved,       // the part's written end differs from the song's (shift)
  // Kept notes only:
  kLossVoiceLimit,     // a voice of a track after the sixth part (count = its notes)
  kLossSubstituted,    // not a loss: a drum key played by its family's macro (value)
  kLossReasonCount
};

class ConversionWatch {
 public:
  // Analysis pass. Tracks are indexes from 0.
  virtual void StartAnalysis(int32_t division) = 0;
  virtual void Lost(int track, int32_t tick, int reason, int32_t value) = 0;
  virtual void TrackDropped(int track, int32_t notes) = 0;
  // The tempo map's entry index came from track.
  virtual void TempoAdded(int index, int track) = 0;

  // Emission pass: one part at a time, its notes as they end.
  virtual void StartEmission(const ConversionState& s) = 0;
  // voice: the track's voice the part plays (from 0), -1 for the whole track.
  virtual void StartPart(const ConversionState& s, int track, int part, int rhythm, int voice,
                         int32_t bytesBefore) = 0;
  // The notes told of from here on are the track's, in a part that plays
  // the notes of several tracks (keeping the notes in shared parts).
  virtual void NoteTrack(int track) = 0;
  // A note-on with a velocity, on the channel (0 to 15).
  virtual void SourceNote(int channel) = 0;
  // A note of the source left out (a chord note, a key the part cannot write).
  virtual void Dropped(int32_t tick, int key, int reason) = 0;
  // The writer wrote the note of key that sounds from start to end, or the
  // part of it up to end, over the written ticks from to to; last: the
  // note ends there.
  virtual void NoteWritten(int key, int32_t start, int32_t end, int32_t from, int32_t to,
                           bool last) = 0;
  // A voice of the track that no part plays: its first note's tick and its
  // notes (voice kMaxVoices: the notes of chords wider than the voices;
  // voice -1: a note of shared parts that finds every part starting a note).
  virtual void VoiceDropped(int track, int voice, int32_t tick, int32_t notes) = 0;
  // The drum key of the part's note at tick is played by macro.
  virtual void Substituted(int32_t tick, int key, int macro) = 0;
  // The track ended with the note of key, started at start, still sounding.
  virtual void NoteUnended(int key, int32_t start) = 0;
  // The tempo map's entry was written as a token standing at writtenTick.
  virtual void TempoWritten(const ConversionState& s, const TempoMap& entry,
                            int32_t writtenTick) = 0;
  virtual void EndPart(const ConversionState& s, int32_t writtenEnd, int32_t bytesAfter) = 0;

 protected:
  ~ConversionWatch() = default;
};
